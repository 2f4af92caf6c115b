#include "platform/win32/win32_platform.h"

#include <cstdio>

#include "platform/win32/win32_dialog_template.h"

namespace r742 {

int Win32Platform::RunModal(CDialog& dialog) {
  const std::vector<std::uint16_t> words = BuildDialogTemplate(dialog.Template());
  Win32Window window(dialog);
  window.onShown = onShown;
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

}  // namespace r742
