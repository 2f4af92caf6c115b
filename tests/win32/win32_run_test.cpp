// Modal runs of the Win32 window: timers, nested dialogs, message boxes, and
// the program's unattended run (presses, picture, control texts).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/win32/win32_autopilot.h"
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

TEST(Win32Runs, MessageBoxOwnedByTheWindowShowsTheTextAndAnswers) {
  Win32Platform platform;
  RecordingDialog dlg;
  static std::wstring shownText;
  static HWND shownOwner = nullptr;
  RunShown(platform, dlg, [&](Win32Window& w) {
    // A thread timer answers the box from inside its modal loop.
    UINT_PTR answer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
      HWND box = FindWindowW(L"#32770", L"Port – Fehler");
      if (!box) return;
      wchar_t text[64] = {};
      GetDlgItemTextW(box, 0xFFFF, text, 64);
      shownText = text;
      shownOwner = GetWindow(box, GW_OWNER);
      KillTimer(nullptr, id);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(w.MessageBox("List Full µ", "Port – Fehler", kMbOk | kMbIconExclamation), kIdOk);
    KillTimer(nullptr, answer);
    EXPECT_FALSE(w.InMessageBox());
    EXPECT_EQ(shownOwner, w.Handle());
  });
  EXPECT_EQ(shownText, L"List Full µ");
}

TEST(Win32Autopilot, PressesInTurnWhenIdleThenPicturesListsAndCloses) {
  EXPECT_EQ(SplitPresses("Send,,Release"), (std::vector<std::string>{"Send", "Release"}));
  const auto dir = std::filesystem::temp_directory_path() / "r742-win32-autopilot";
  std::filesystem::create_directories(dir);
  const std::string bmp = (dir / "window.bmp").string(), texts = (dir / "texts.txt").string();
  std::filesystem::remove(bmp);

  Win32Platform platform;
  RecordingDialog dlg;
  dlg.onInit = [&] { dlg.SetTimer(1, 150); };  // busy until its first tick
  dlg.onTimer = [&](unsigned id) { dlg.KillTimer(id); };
  dlg.onNote = [&](int id, Notify) {
    if (id == kButton) dlg.GetDlgItem(kEdit).SetWindowText(std::to_string(dlg.ticks[1]) + " ticks");
  };
  ArmAutopilot(platform, {bmp, texts, {"Apply", "Nothing"}, 0, 5000});
  PlatformScope scope(platform);
  EXPECT_EQ(dlg.DoModal(), kIdCancel);  // closed as the close box does

  EXPECT_EQ(dlg.notes, (std::vector<RecordingDialog::Note>{{kButton, Notify::Clicked}, {kEdit, Notify::Changed}}));
  std::ifstream in(texts, std::ios::binary);
  const std::string listed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string head = "1\tOK\n10\t&Apply\n11\tCheck\n12\t&Value\n14\t1 ticks\n";
  EXPECT_EQ(listed.substr(0, head.size()), head);
  EXPECT_NE(listed.find("\n18[2]\tGamma\n"), std::string::npos) << listed;

  std::ifstream picture(bmp, std::ios::binary);
  char header[26] = {};
  picture.read(header, sizeof header);
  ASSERT_TRUE(picture) << bmp;
  EXPECT_EQ(std::string(header, 2), "BM");
  std::int32_t width = 0, height = 0;
  std::memcpy(&width, header + 18, 4);
  std::memcpy(&height, header + 22, 4);
  EXPECT_GT(width, 300);  // 200 dialog units and the frame
  EXPECT_GT(height, 200);
}

}  // namespace
}  // namespace r742::test
