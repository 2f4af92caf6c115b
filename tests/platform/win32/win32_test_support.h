// Runs a test inside a real modal dialog box: the body runs from a timer tick
// of the window once the dialog box is shown and its modal loop runs.
#pragma once

#include <functional>

#include "platform/win32/win32_platform.h"
#include "support/recording_dialog.h"

namespace r742::test {

using Body = std::function<void(Win32Window&)>;

// Runs `dialog` modally; `body` runs once it is shown. With `endAfter` the
// window then ends with kIdOk unless the body ended it or left that to timers.
inline int RunShown(Win32Platform& platform, CDialog& dialog, Body body, bool endAfter = true) {
  platform.onShown = [&platform, body, endAfter](Win32Window& shown) {
    platform.onShown = nullptr;  // nested windows are the body's own business
    shown.onHookTick = [body, endAfter](Win32Window& w) {
      // A dialog box shows once its message queue is first empty; a tick already due comes before.
      if (!IsWindowVisible(w.Handle())) return;
      KillTimer(w.Handle(), Win32Window::kHookTimerId);
      body(w);
      if (endAfter) w.EndDialog(kIdOk);
    };
    SetTimer(shown.Handle(), Win32Window::kHookTimerId, 1, nullptr);
  };
  PlatformScope scope(platform);
  return dialog.DoModal();
}

// Handles the thread's messages until `done` holds or `timeoutMs` passed.
inline bool PumpUntil(const std::function<bool()>& done, unsigned timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!done() && GetTickCount64() < deadline) {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }
  return done();
}

}  // namespace r742::test
