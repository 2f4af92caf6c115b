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
