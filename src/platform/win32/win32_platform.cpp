#include "platform/win32/win32_platform.h"

#include <commctrl.h>

#include <cstdio>
#include <string_view>

#include "platform/win32/win32_dialog_template.h"

namespace r742 {

int Win32Platform::RunModal(CDialog& dialog) {
  if (quitRequested_ && !running_.empty()) return kIdCancel;  // the program is ending
  // The common controls a template may name (the progress bar) are registered before any dialog is made.
  static const bool commonControls = [] {
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    return InitCommonControlsEx(&classes) != FALSE;
  }();
  (void)commonControls;
  const std::vector<std::uint16_t> words = BuildDialogTemplate(dialog.Template());
  Win32Window window(dialog);
  window.onShown = onShown;
  window.onQuitMessage = [this] { ContinueQuit(); };
  window.onSessionEnd = [this] { RequestQuit(); };
  HWND owner = running_.empty() ? nullptr : running_.back()->Handle();
  running_.push_back(&window);
  const INT_PTR result =
      DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), owner,
                              &Win32Window::DialogProc, reinterpret_cast<LPARAM>(&window));
  running_.pop_back();
  dialog.AttachWindow(nullptr);  // never left pointing at a window that is gone
  if (result == -1) {
    std::fprintf(stderr, "The dialog %d could not be created (error %lu)\n", dialog.IDD(), GetLastError());
    return kIdCancel;
  }
  return window.Ended() ? window.Result() : kIdCancel;
}

void Win32Platform::RequestQuit() {
  quitRequested_ = true;
  ContinueQuit();
}

void Win32Platform::ContinueQuit() {
  if (!quitRequested_ || running_.empty()) return;
  Win32Window* outermost = running_.front();
  for (std::size_t i = 1; i < running_.size(); ++i) running_[i]->EndDialog(kIdCancel);
  bool boxOpen = CloseMessageBoxes();
  for (const Win32Window* w : running_)
    if (HWND files = w->FileDialog()) {
      PostMessageW(files, WM_COMMAND, IDCANCEL, 0);  // as its Cancel button: no path is chosen
      boxOpen = true;
    }
  // The outermost window is cancelled from its own loop, once the nested
  // loops have returned and the handlers that ran them have finished.
  if (running_.size() > 1 || boxOpen || outermost->InMessageBox()) {
    PostMessageW(outermost->Handle(), Win32Window::kQuitMessage, 0, 0);
    return;
  }
  quitRequested_ = false;
  outermost->Cancel();
}

namespace {
struct BoxSearch {
  const std::vector<Win32Window*>* ours;
  bool found = false;
};

BOOL CALLBACK PressOkInMessageBox(HWND hwnd, LPARAM param) {
  auto& search = *reinterpret_cast<BoxSearch*>(param);
  wchar_t className[16] = {};
  GetClassNameW(hwnd, className, 16);
  if (std::wstring_view(className) != L"#32770" || !IsWindowVisible(hwnd)) return TRUE;  // not a dialog box
  for (const Win32Window* w : *search.ours)
    if (w->Handle() == hwnd || w->FileDialog() == hwnd) return TRUE;
  PostMessageW(hwnd, WM_COMMAND, IDOK, 0);  // the program's message boxes have only OK
  search.found = true;
  return TRUE;
}
}  // namespace

bool Win32Platform::CloseMessageBoxes() const {
  BoxSearch search{&running_};
  EnumThreadWindows(GetCurrentThreadId(), &PressOkInMessageBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace r742
