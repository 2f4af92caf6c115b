#include <gtest/gtest.h>

#include "platform/headless/headless_platform.h"
#include "platform/recording_dialog.h"

namespace r742::test {
namespace {

using Tick = std::pair<std::uint64_t, unsigned>;  // (virtual time, timer id)

class HeadlessPlatformTest : public ::testing::Test {
 protected:
  HeadlessWindow& Open() {
    dlg.onTimer = [this](unsigned id) {
      ticks.emplace_back(platform.Now(), id);
      if (onTick) onTick(id);
    };
    return platform.Open(dlg);
  }
  RecordingDialog dlg;  // outlives the platform, which destroys the windows still open
  HeadlessPlatform platform;
  PlatformScope scope{platform};
  std::vector<Tick> ticks;
  std::function<void(unsigned)> onTick;
};

TEST_F(HeadlessPlatformTest, SettingAnEditTextRaisesOneChangeEvenWhenUnchanged) {
  HeadlessWindow& w = Open();
  std::vector<std::string> seen;
  dlg.onNote = [&](int id, Notify) { seen.push_back(w.GetText(id)); };
  dlg.GetDlgItem(kEdit).SetWindowText("12");
  dlg.GetDlgItem(kEdit).SetWindowText("12");
  w.Type(kEdit, "7");
  EXPECT_EQ(seen, (std::vector<std::string>{"12", "12", "7"}));
  EXPECT_EQ(dlg.notes, std::vector<RecordingDialog::Note>(3, {kEdit, Notify::Changed}));
  w.Enable(kEdit, false);
  EXPECT_FALSE(w.Type(kEdit, "8"));
  EXPECT_FALSE(w.Click(kEdit));  // not a button
}

TEST_F(HeadlessPlatformTest, TimersTickInOrderRestartAndStop) {
  HeadlessWindow& w = Open();
  dlg.SetTimer(1, 300);
  dlg.SetTimer(2, 1000);
  platform.Advance(299);
  EXPECT_TRUE(ticks.empty());
  platform.Advance(1);
  EXPECT_EQ(ticks, (std::vector<Tick>{{300, 1}}));
  dlg.SetTimer(1, 500);  // restarts from now with the new period
  platform.Advance(700);
  EXPECT_EQ(ticks, (std::vector<Tick>{{300, 1}, {800, 1}, {1000, 2}}));
  EXPECT_TRUE(dlg.KillTimer(1));
  EXPECT_FALSE(dlg.KillTimer(1));
  platform.Advance(1000);
  EXPECT_EQ(ticks.back(), (Tick{2000, 2}));
  EXPECT_EQ(ticks.size(), 4u);

  // Timer 1's handler kills timer 2, due at the same time, and later ends the window.
  dlg.SetTimer(1, 100);
  dlg.SetTimer(2, 100);
  onTick = [&](unsigned id) {
    if (id == 1) dlg.KillTimer(2);
    if (platform.Now() >= 2500) dlg.EndDialog(kIdOk);
  };
  platform.Advance(2000);
  EXPECT_EQ(ticks,
            (std::vector<Tick>{
                {300, 1}, {800, 1}, {1000, 2}, {2000, 2}, {2100, 1}, {2200, 1}, {2300, 1}, {2400, 1}, {2500, 1}}));
  EXPECT_TRUE(w.Destroyed());
  EXPECT_EQ(dlg.destroys, 1);
  EXPECT_EQ(dlg.SetTimer(1, 10), 0u);
  EXPECT_EQ(w.Result(), kIdOk);
}

TEST_F(HeadlessPlatformTest, NestedModalRunsFollowTheirScriptsWhileTimersGoOn) {
  HeadlessWindow& w = Open();
  dlg.SetTimer(1, 100);
  int nestedResult = 0;
  std::string nestedEdit;
  dlg.onNote = [&](int, Notify) {
    RecordingDialog nested;
    nested.onNote = [&](int id, Notify) { nestedEdit = nested.GetDlgItem(id).GetWindowText(); };
    nestedResult = nested.DoModal();
  };
  platform.ScriptModal(900, [&](HeadlessWindow& n) {
    n.Type(kEdit, "inner");
    platform.Advance(250);  // the outer window's timer keeps ticking inside the modal run
    n.Dialog().EndDialog(kIdOk);
  });
  w.Click(kButton);
  EXPECT_EQ(nestedResult, kIdOk);
  EXPECT_EQ(nestedEdit, "inner");
  EXPECT_EQ(ticks.size(), 2u);

  w.Click(kButton);  // no script: the run ends as if cancelled
  EXPECT_EQ(nestedResult, kIdCancel);
  EXPECT_EQ(platform.ModalRuns(), (std::vector<int>{900, 900}));
}

}  // namespace
}  // namespace r742::test
