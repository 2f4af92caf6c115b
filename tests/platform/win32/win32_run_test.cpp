// Modal runs of the Win32 window: timers, nested dialogs, runs that end before they show.
#include <gtest/gtest.h>

#include <stdexcept>

#include "win32_test_support.h"

namespace r742::test {
namespace {

enum : unsigned { kRestarted = 1, kKilled, kRivalA, kRivalB, kLeftRunning, kEnd };

TEST(Win32Timers, RestartKillRivalsAndNoTickAfterTheRun) {
  Win32Platform platform;
  RecordingDialog dlg;
  int leftAtEnd = -1;
  dlg.onTimer = [&](unsigned id) {
    if (id == kRivalA || id == kRivalB) dlg.KillTimer(id == kRivalA ? kRivalB : kRivalA);  // drops a due tick too
    if (id == kRestarted || id == kRivalA || id == kRivalB) dlg.KillTimer(id);
    if (id == kEnd) {
      leftAtEnd = dlg.ticks[kLeftRunning];
      dlg.EndDialog(kIdOk);
    }
  };
  RunShown(
      platform, dlg,
      [&](Win32Window& w) {
        EXPECT_EQ(w.SetTimer(kRestarted, 60'000), kRestarted);
        EXPECT_EQ(w.SetTimer(kRestarted, 20), kRestarted);  // restarts with the new period
        w.SetTimer(kKilled, 20);
        EXPECT_TRUE(w.KillTimer(kKilled));
        EXPECT_FALSE(w.KillTimer(kKilled));
        EXPECT_EQ(w.SetTimer(0, 10), 0u);
        w.SetTimer(kRivalA, 10);
        w.SetTimer(kRivalB, 10);
        w.SetTimer(kLeftRunning, 10);
        w.SetTimer(kEnd, 400);
      },
      false);
  EXPECT_EQ(dlg.ticks[kRestarted], 1);
  EXPECT_EQ(dlg.ticks[kKilled], 0);
  EXPECT_EQ(dlg.ticks[kRivalA] + dlg.ticks[kRivalB], 1) << "the rival killed first never ticks";
  EXPECT_GT(leftAtEnd, 0);
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(dlg.ticks[kLeftRunning], leftAtEnd) << "a tick after the run ended";
  EXPECT_EQ(dlg.ticks[kEnd], 1);
  EXPECT_EQ(dlg.SetTimer(kEnd, 10), 0u);  // no window, no timer
}

TEST(Win32Runs, NestedRunOwnedByTheOuterWindowWhoseTimersGoOn) {
  Win32Platform platform;
  RecordingDialog outer, inner;
  int nestedResult = 0, ticksBefore = 0;
  bool outerDisabled = false;
  HWND innerOwner = nullptr, outerHandle = nullptr;
  inner.onTimer = [&](unsigned) {
    if (outer.ticks[1] < ticksBefore + 3) return;  // the outer window's timer ticks meanwhile
    outerDisabled = !IsWindowEnabled(outerHandle);
    EXPECT_EQ(platform.Depth(), 2);
    inner.EndDialog(kIdOk);
  };
  inner.onInit = [&] { inner.SetTimer(7, 10); };
  RunShown(platform, outer, [&](Win32Window& w) {
    outerHandle = w.Handle();
    w.SetTimer(1, 10);
    ticksBefore = outer.ticks[1];
    platform.onShown = [&](Win32Window& nested) { innerOwner = GetWindow(nested.Handle(), GW_OWNER); };
    nestedResult = inner.DoModal();
    EXPECT_EQ(inner.DoModal() == kIdOk, true);  // a dialog runs again after its run ended
    EXPECT_EQ(platform.Depth(), 1);
    EXPECT_TRUE(IsWindowEnabled(w.Handle()));
  });
  EXPECT_EQ(nestedResult, kIdOk);
  EXPECT_EQ(innerOwner, outerHandle);
  EXPECT_TRUE(outerDisabled);
  EXPECT_EQ(inner.destroys, 2);
  EXPECT_EQ(platform.Depth(), 0);
}

// A dialog that ends or fails while it initialises is never shown.
TEST(Win32Runs, EndedOrFailedInitialisationReturnsWithoutShowing) {
  const std::vector<std::pair<std::function<void(RecordingDialog&)>, int>> cases = {
      {[](RecordingDialog& d) { d.EndDialog(kIdOk); }, kIdOk},
      {[](RecordingDialog&) { throw std::runtime_error("no port"); }, kIdCancel}};
  for (const auto& [init, result] : cases) {
    Win32Platform platform;
    RecordingDialog dlg;
    bool shown = false;
    platform.onShown = [&](Win32Window&) { shown = true; };
    dlg.onInit = [&, init = init] { init(dlg); };
    PlatformScope scope(platform);
    EXPECT_EQ(dlg.DoModal(), result);
    EXPECT_FALSE(shown);
    EXPECT_EQ(dlg.destroys, 1);
  }
}

}  // namespace
}  // namespace r742::test
