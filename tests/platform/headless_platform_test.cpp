#include <gtest/gtest.h>

#include "platform/headless/headless_platform.h"

namespace r742::test {
namespace {

constexpr int kEdit = 10, kButton = 11, kList = 12, kCombo = 13;

const DialogTemplate& TestTemplate() {
  static const DialogTemplate t = [] {
    DialogTemplate d;
    d.id = 900;
    d.caption = "Test";
    d.width = 100;
    d.height = 100;
    d.controls = {
        {kEdit, ControlKind::Edit, "", {1, 1, 20, 12}, kBorder, {}},
        {kButton, ControlKind::PushButton, "Go", {1, 20, 20, 12}, kTabStop, {}},
        {kList, ControlKind::ListBox, "", {1, 40, 20, 30}, kNotify, {}},
        {kCombo, ControlKind::ComboBox, "", {1, 80, 20, 40}, kStyleNone, {"ALPHA", "BETA", "BETTER"}},
    };
    return d;
  }();
  return t;
}

// Records what reaches it; its handlers can be given actions.
class RecordingDialog : public CDialog {
 public:
  RecordingDialog() : CDialog(TestTemplate()) {
    OnNotify(kEdit, Notify::Changed, [this] { events.push_back("changed:" + GetDlgItem(kEdit).GetWindowText()); });
    OnNotify(kButton, Notify::Clicked, [this] {
      events.push_back("clicked");
      if (onClick) onClick();
    });
  }
  std::vector<std::string> events;
  std::vector<std::pair<std::uint64_t, unsigned>> ticks;
  std::function<void(unsigned)> onTick;
  std::function<void()> onClick;
  HeadlessPlatform* platform = nullptr;
  bool destroyed = false;

 protected:
  void OnTimer(unsigned id) override {
    ticks.emplace_back(platform->Now(), id);
    if (onTick) onTick(id);
  }
  void OnDestroy() override { destroyed = true; }
};

class HeadlessPlatformTest : public ::testing::Test {
 protected:
  HeadlessWindow& Open() {
    dlg.platform = &platform;
    return platform.Open(dlg);
  }
  RecordingDialog dlg;  // outlives the platform, which destroys the windows still open
  HeadlessPlatform platform;
  PlatformScope scope{platform};
};

TEST_F(HeadlessPlatformTest, SettingAnEditTextRaisesOneChangeEvenWhenUnchanged) {
  HeadlessWindow& w = Open();
  dlg.GetDlgItem(kEdit).SetWindowText("12");
  dlg.GetDlgItem(kEdit).SetWindowText("12");
  w.Type(kEdit, "7");
  EXPECT_EQ(dlg.events, (std::vector<std::string>{"changed:12", "changed:12", "changed:7"}));
  w.Enable(kEdit, false);
  EXPECT_FALSE(w.Type(kEdit, "8"));
  EXPECT_FALSE(w.Click(kEdit));  // not a button
}

TEST_F(HeadlessPlatformTest, TimersTickInOrderRestartAndStop) {
  Open();
  dlg.SetTimer(1, 300);
  dlg.SetTimer(2, 1000);
  platform.Advance(299);
  EXPECT_TRUE(dlg.ticks.empty());
  platform.Advance(1);
  ASSERT_EQ(dlg.ticks.size(), 1u);
  EXPECT_EQ(dlg.ticks[0], (std::pair<std::uint64_t, unsigned>{300, 1}));

  dlg.SetTimer(1, 500);  // restarts from now with the new period
  platform.Advance(700);
  EXPECT_EQ(dlg.ticks, (std::vector<std::pair<std::uint64_t, unsigned>>{{300, 1}, {800, 1}, {1000, 2}}));
  EXPECT_TRUE(dlg.KillTimer(1));
  EXPECT_FALSE(dlg.KillTimer(1));
  platform.Advance(1000);
  EXPECT_EQ(dlg.ticks.back(), (std::pair<std::uint64_t, unsigned>{2000, 2}));
  EXPECT_EQ(dlg.ticks.size(), 4u);
}

TEST_F(HeadlessPlatformTest, KillingFromAHandlerDropsATickDueAtTheSameTime) {
  Open();
  dlg.SetTimer(1, 100);
  dlg.SetTimer(2, 100);
  dlg.onTick = [&](unsigned id) {
    if (id == 1) dlg.KillTimer(2);
  };
  platform.Advance(100);
  EXPECT_EQ(dlg.ticks, (std::vector<std::pair<std::uint64_t, unsigned>>{{100, 1}}));
}

TEST_F(HeadlessPlatformTest, NoTickAfterTheWindowIsGone) {
  HeadlessWindow& w = Open();
  dlg.SetTimer(1, 100);
  dlg.onTick = [&](unsigned) { dlg.EndDialog(IDOK); };
  platform.Advance(1000);
  EXPECT_EQ(dlg.ticks.size(), 1u);
  EXPECT_TRUE(w.Destroyed());
  EXPECT_TRUE(dlg.destroyed);
  EXPECT_EQ(dlg.SetTimer(1, 10), 0u);
  EXPECT_EQ(w.Result(), IDOK);
}

TEST_F(HeadlessPlatformTest, NestedModalRunsFollowTheirScriptsWhileTimersGoOn) {
  HeadlessWindow& w = Open();
  dlg.SetTimer(1, 100);
  int nestedResult = 0;
  std::string nestedEdit;
  dlg.onClick = [&] {
    RecordingDialog nested;
    nested.platform = &platform;
    nestedResult = nested.DoModal();
    nestedEdit = nested.events.empty() ? "" : nested.events.back();
  };
  platform.ScriptModal(900, [&](HeadlessWindow& n) {
    n.Type(kEdit, "inner");
    platform.Advance(250);  // the outer window's timer keeps ticking inside the modal run
    n.Dialog().EndDialog(IDOK);
  });
  w.Click(kButton);
  EXPECT_EQ(nestedResult, IDOK);
  EXPECT_EQ(nestedEdit, "changed:inner");
  EXPECT_EQ(dlg.ticks.size(), 2u);

  w.Click(kButton);  // no script: the run ends as if cancelled
  EXPECT_EQ(nestedResult, IDCANCEL);
  EXPECT_EQ(platform.ModalRuns(), (std::vector<int>{900, 900}));
}

TEST_F(HeadlessPlatformTest, MessageBoxesAreRecordedAndAnswered) {
  Open();
  platform.ScriptMessageBox(IDCANCEL);
  EXPECT_EQ(dlg.MessageBox("a", "b", MB_OK), IDCANCEL);
  EXPECT_EQ(dlg.MessageBox("c", "d", MB_OK | MB_ICONEXCLAMATION), IDOK);
  ASSERT_EQ(platform.MessageBoxes().size(), 2u);
  EXPECT_EQ(platform.MessageBoxes()[1].caption, "d");
}

// Row operations are compared with the Qt window's; here only what that comparison cannot show.
TEST_F(HeadlessPlatformTest, ComboTextIsTheSelectedRow) {
  Open();
  const CDlgItem combo = dlg.GetDlgItem(kCombo);
  EXPECT_EQ(combo.GetWindowText(), "");
  EXPECT_EQ(combo.FindString(2, "BET"), 1);  // wraps round
  combo.SetCurSel(2);
  EXPECT_EQ(combo.GetWindowText(4), "BETT");
}

}  // namespace
}  // namespace r742::test
