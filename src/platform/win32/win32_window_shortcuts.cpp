// The Win32 window's keyboard shortcuts: an accelerator table per window,
// translated by a message filter hook that the dialog manager's modal loop
// (and IsDialogMessage) calls before a message reaches the focused control.
#include <algorithm>
#include <vector>

#include "platform/win32/win32_window.h"

namespace r742 {

namespace {

thread_local std::vector<Win32Window*> windowsWithShortcuts;
thread_local HHOOK shortcutHook = nullptr;

}  // namespace

void Win32Window::AddShortcut(unsigned commandId, char key) {
  if (!hwnd_ || destroyed_ || key < 'A' || key > 'Z' || commandId > 0xFFFFu) return;
  std::erase_if(shortcuts_, [&](const ACCEL& a) { return a.key == static_cast<WORD>(key); });
  shortcuts_.push_back({FVIRTKEY | FCONTROL, static_cast<WORD>(key), static_cast<WORD>(commandId)});
  shortcutCommands_.insert(commandId);
  if (shortcutTable_) DestroyAcceleratorTable(shortcutTable_);
  shortcutTable_ = CreateAcceleratorTableW(shortcuts_.data(), static_cast<int>(shortcuts_.size()));
  if (std::find(windowsWithShortcuts.begin(), windowsWithShortcuts.end(), this) == windowsWithShortcuts.end())
    windowsWithShortcuts.push_back(this);
  if (!shortcutHook) shortcutHook = SetWindowsHookExW(WH_MSGFILTER, &TranslateShortcut, nullptr, GetCurrentThreadId());
}

void Win32Window::DropShortcuts() {
  if (shortcutTable_) DestroyAcceleratorTable(shortcutTable_);
  shortcutTable_ = nullptr;
  std::erase(windowsWithShortcuts, this);
  if (windowsWithShortcuts.empty() && shortcutHook) {
    UnhookWindowsHookEx(shortcutHook);
    shortcutHook = nullptr;
  }
}

LRESULT CALLBACK Win32Window::TranslateShortcut(int code, WPARAM wParam, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && msg && msg->hwnd && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN)) {
    // Only the window the key is typed in: its own window or one of its controls.
    HWND root = GetAncestor(msg->hwnd, GA_ROOT);
    for (Win32Window* w : windowsWithShortcuts)
      if (w->hwnd_ == root && w->Live() && w->shortcutTable_ && TranslateAcceleratorW(root, w->shortcutTable_, msg))
        return TRUE;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace r742
