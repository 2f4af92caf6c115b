// Window timers: ticks, restarting, killing, and silence once the window is gone.
#include <gtest/gtest.h>

#include <QTimer>
#include <memory>

#include "qt_test_support.h"

namespace r742::test {
namespace {

constexpr unsigned kFast = 1, kOther = 2;

// Runs the event loop until a plain Qt timer has ticked `n` times: long
// enough for a wrongly running window timer to show itself.
bool RunOtherTimer(int n) {
  int ticks = 0;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] { ++ticks; });
  watch.start(10);
  return WaitUntil([&] { return ticks >= n; });
}

TEST(QtWindowTimers, ResettingRestartsWithTheNewPeriodAndKillingStopsIt) {
  RecordingDialog dlg;
  ShownWindow w(dlg);
  EXPECT_EQ(w->SetTimer(0, 10), 0u);
  EXPECT_EQ(w->SetTimer(kFast, 60000), kFast);
  EXPECT_EQ(w->SetTimer(kFast, 5), kFast);  // a minute is not waited out
  EXPECT_TRUE(WaitUntil([&] { return dlg.ticks[kFast] >= 3; }));
  w->SetTimer(kFast, 60000);
  w->SetTimer(kOther, 1);
  EXPECT_TRUE(w->KillTimer(kOther));
  EXPECT_FALSE(w->KillTimer(kOther));
  dlg.ticks.clear();
  ASSERT_TRUE(RunOtherTimer(5));
  EXPECT_TRUE(dlg.ticks.empty());
}

TEST(QtWindowTimers, NoTickOnceTheDialogEndedOrTheWindowIsGone) {
  RecordingDialog dlg;
  auto w = std::make_unique<ShownWindow>(dlg);
  (*w)->SetTimer(kFast, 1);
  ASSERT_TRUE(WaitUntil([&] { return dlg.ticks[kFast] >= 1; }));
  (*w)->EndDialog(IDOK);
  EXPECT_EQ((*w)->SetTimer(kOther, 1), kOther);  // allowed until OnDestroy, never delivered
  dlg.ticks.clear();
  ASSERT_TRUE(RunOtherTimer(5));
  EXPECT_TRUE(dlg.ticks.empty());

  w.reset();
  EXPECT_EQ(dlg.destroys, 1);
  EXPECT_EQ(dlg.SetTimer(kFast, 1), 0u);
  ASSERT_TRUE(RunOtherTimer(5));
  EXPECT_TRUE(dlg.ticks.empty());
}

}  // namespace
}  // namespace r742::test
