// Runs dialogs as real modal dialog boxes and acts on them with the messages
// a user's input makes; the thread's message loop stands in for time.
#pragma once

#include "os/win32/utf16_text.h"
#include "platform/win32/win32_platform.h"  // windows.h, before the common dialogs' headers

#include <commdlg.h>
#include <dlgs.h>
#include "platform/window_contract.h"

namespace r742::test {

class Win32Driver : public DriverRuns<Win32Window> {
 public:
  Win32Driver() {
    platform_.onShown = [this](Win32Window& shown) {
      if (!Pending()) return;
      ++shows_;
      // A dialog box shows once its message queue is first empty; the test acts from a tick after that.
      shown.onHookTick = [this](Win32Window& w) {
        if (!IsWindowVisible(w.Handle())) return;
        ::KillTimer(w.Handle(), Win32Window::kHookTimerId);
        Shown(w);
      };
      ::SetTimer(shown.Handle(), Win32Window::kHookTimerId, 1, nullptr);
    };
  }

  void Click(int id) {  // the platform routes no click to a disabled control
    if (IsWindowEnabled(W().Item(id))) SendMessageW(W().Item(id), BM_CLICK, 0, 0);
  }
  void Type(int id, std::string_view ascii) {
    for (char ch : ascii) SendMessageW(W().Item(id), WM_CHAR, static_cast<WPARAM>(ch), 1);
  }
  void SelectRow(int id, int row) {  // keys step to the row; a combo box's list is open meanwhile
    HWND box = W().Item(id);
    if (IsCombo(id)) SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
    for (int n = 0; Highlighted(id) != row && n < W().GetCount(id); ++n)
      SendMessageW(box, WM_KEYDOWN, row > Highlighted(id) ? VK_DOWN : VK_UP, 0);
    if (IsCombo(id)) SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
  }
  void PressEnter(int focused) {  // the focus moves as Tab moves it: a push button becomes the default
    SendMessageW(W().Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(W().Item(focused)), TRUE);
    Post(Focus(), WM_KEYDOWN, VK_RETURN);
  }
  void PressEscape() { Post(Focus(), WM_KEYDOWN, VK_ESCAPE); }
  void CloseBox() { Post(W().Handle(), WM_SYSCOMMAND, SC_CLOSE); }
  void ChooseMenu(std::string_view text) {  // the low four bits of a system command are the platform's own
    const std::vector<std::string> texts = MenuTexts();
    for (std::size_t i = 0; i < texts.size(); ++i)
      if (texts[i] == text)
        Post(W().Handle(), WM_SYSCOMMAND, GetMenuItemID(GetSystemMenu(W().Handle(), FALSE), static_cast<int>(i)) | 3u);
  }
  void PressCtrl(int focused, char key) {  // the key goes to the focused control with Ctrl held
    SendMessageW(W().Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(W().Item(focused)), TRUE);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const BYTE control = keys[VK_CONTROL];
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    Post(Focus(), WM_KEYDOWN, static_cast<WPARAM>(key));
    keys[VK_CONTROL] = control;
    SetKeyboardState(keys);
  }
  std::vector<std::string> MenuTexts() {
    HMENU menu = GetSystemMenu(W().Handle(), FALSE);
    std::vector<std::string> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      wchar_t entry[64] = {};
      GetMenuStringW(menu, static_cast<UINT>(i), entry, 64, MF_BYPOSITION);  // empty for a separator
      texts.push_back(Narrow(entry));
    }
    return texts;
  }
  // From a tick in the file dialog's own loop once it shows: the path into its name box and OK, or Cancel.
  void OnFileDialog(FileAct act, const std::string& path) {
    W().onHookTick = [act, path](Win32Window& w) {
      HWND box = w.FileDialog();
      if (!box || !IsWindowVisible(box)) return;
      ::KillTimer(w.Handle(), Win32Window::kHookTimerId);
      if (act == FileAct::Quit) return CurrentPlatform()->RequestQuit();
      for (int nameBox : {edt1, cmb13})  // an edit, or a combo box with the names typed before
        if (act == FileAct::Confirm && GetDlgItem(box, nameBox))
          SendMessageW(box, CDM_SETCONTROLTEXT, nameBox, reinterpret_cast<LPARAM>(Widen(path).c_str()));
      PostMessageW(box, WM_COMMAND, act == FileAct::Confirm ? IDOK : IDCANCEL, 0);
    };
    ::SetTimer(W().Handle(), Win32Window::kHookTimerId, 10, nullptr);
  }
  std::string Text(int id) {
    wchar_t wide[256] = {};
    char utf8[768] = {};
    GetWindowTextW(W().Item(id), wide, 256);
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
    return utf8;
  }
  int Highlighted(int id) {
    return static_cast<int>(SendMessageW(W().Item(id), IsCombo(id) ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
  }
  bool RowInView(int id, int row) {
    RECT r{}, client{};
    SendMessageW(W().Item(id), LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    GetClientRect(W().Item(id), &client);
    return IntersectRect(&r, &r, &client) != FALSE;
  }
  bool Visible() { return IsWindowVisible(W().Handle()) != FALSE; }
  // Handles the thread's messages as a dialog box's loop does until `done` holds or `ms` passed.
  bool WaitUntil(const std::function<bool()>& done, unsigned ms) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    while (!done() && GetTickCount64() < deadline) {
      MSG msg;
      if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      } else if (!Showing() || !IsDialogMessageW(Showing()->Handle(), &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    return done();
  }
  bool OwnedAndBlocked(IWindow& inner, IWindow& outer) {
    HWND owner = static_cast<Win32Window&>(outer).Handle();
    return GetWindow(static_cast<Win32Window&>(inner).Handle(), GW_OWNER) == owner && !IsWindowEnabled(owner);
  }

 private:
  bool IsCombo(int id) { return W().Dialog().Template().Find(id)->kind == ControlKind::ComboBox; }
  HWND Focus() { return GetFocus() ? GetFocus() : W().Handle(); }  // where keys go
  // Posts what the user's input makes and handles what is then queued.
  void Post(HWND to, UINT message, WPARAM wParam) {
    PostMessageW(to, message, wParam, 0);
    MSG msg;
    WaitUntil([&] { return !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); }, 1000);
  }

  Win32Platform platform_;
  PlatformScope scope_{platform_};
};

}  // namespace r742::test
