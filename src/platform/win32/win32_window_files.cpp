// The Win32 window's file dialogs: the platform's open and save dialogs, modal
// to the window, with their window noted so that a quit can close them.
#include "platform/win32/win32_window.h"  // windows.h, before the common dialogs' header

#include <commdlg.h>

#include <cstdio>

#include "os/win32/utf16_text.h"

namespace r742 {

namespace {

// Where the window's file dialog is noted once it first becomes active.
thread_local HWND* fileDialogSlot = nullptr;

LRESULT CALLBACK NoteFileDialog(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && fileDialogSlot && !*fileDialogSlot) {
    wchar_t className[16] = {};
    GetClassNameW(reinterpret_cast<HWND>(wParam), className, 16);
    if (std::wstring_view(className) == L"#32770") *fileDialogSlot = reinterpret_cast<HWND>(wParam);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

constexpr std::size_t kMaxPathChars = 32768;  // the longest path the platform takes, terminator included

}  // namespace

std::optional<std::string> Win32Window::AskFilePath(FileDialogKind kind, std::string_view folder,
                                                    std::string_view fileName) {
  const bool save = kind == FileDialogKind::Save;
  std::wstring path = Widen(fileName).substr(0, kMaxPathChars - 1);
  path.resize(kMaxPathChars, L'\0');
  const std::wstring initialFolder = Widen(folder);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = destroyed_ ? nullptr : hwnd_;
  ofn.lpstrFilter = L"Configuration (*.json)\0*.json\0All files (*.*)\0*.*\0";
  ofn.lpstrFile = path.data();
  ofn.nMaxFile = static_cast<DWORD>(path.size());
  ofn.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
  ofn.lpstrTitle = save ? L"Save Configuration" : L"Open Configuration";
  ofn.lpstrDefExt = L"json";
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
              (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);

  HWND* const outerSlot = fileDialogSlot;
  fileDialog_ = nullptr;
  fileDialogSlot = &fileDialog_;
  HHOOK hook = SetWindowsHookExW(WH_CBT, &NoteFileDialog, nullptr, GetCurrentThreadId());
  ++messageBoxes_;
  const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  --messageBoxes_;
  if (hook) UnhookWindowsHookEx(hook);
  fileDialogSlot = outerSlot;
  fileDialog_ = nullptr;
  if (!chosen) {
    if (const DWORD error = CommDlgExtendedError())
      std::fprintf(stderr, "The file dialog could not be shown (error %lu)\n", static_cast<unsigned long>(error));
    return std::nullopt;
  }
  return Narrow(path.c_str());
}

}  // namespace r742
