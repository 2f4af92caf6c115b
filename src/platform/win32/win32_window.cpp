#include "platform/win32/win32_window.h"

#include <commctrl.h>

#include <algorithm>

#include "os/win32/utf16_text.h"
#include "platform/call_guarded.h"

namespace r742 {

namespace {

BOOL CALLBACK KeepFirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
  *reinterpret_cast<LPWSTR*>(found) = name;
  return FALSE;
}

// The program's icon: the first icon group among its resources, else the platform's.
HICON ProgramIcon(int size) {
  HMODULE module = GetModuleHandleW(nullptr);
  LPWSTR first = nullptr;
  EnumResourceNamesW(module, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, &KeepFirstName,
                     reinterpret_cast<LONG_PTR>(&first));
  HANDLE icon = first ? LoadImageW(module, first, IMAGE_ICON, size, size, LR_SHARED) : nullptr;
  return icon ? static_cast<HICON>(icon) : LoadIconW(nullptr, MAKEINTRESOURCEW(32512) /* IDI_APPLICATION */);
}

std::string WindowText(HWND hwnd) {
  if (!hwnd) return {};
  std::wstring text(static_cast<std::size_t>(std::max(GetWindowTextLengthW(hwnd), 0)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

}  // namespace

Win32Window::Win32Window(CDialog& dialog) : dialog_(dialog) {}

Win32Window::~Win32Window() { DropShortcuts(); }

INT_PTR CALLBACK Win32Window::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* window = reinterpret_cast<Win32Window*>(lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    return window->OnInit(hwnd) ? TRUE : FALSE;
  }
  auto* window = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!window) return FALSE;
  switch (message) {
    case WM_COMMAND: return window->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_TIMER: window->OnTimerMessage(wParam); return TRUE;
    case WM_SYSCOMMAND: return window->OnSysCommandMessage(wParam);
    case WM_DESTROY: window->OnDestroyMessage(); return TRUE;
    case kQuitMessage:
      if (window->onQuitMessage) window->onQuitMessage();
      return TRUE;
    case WM_ENDSESSION:
      // The process may end as soon as this returns: the quit is done here as far as it can be.
      if (wParam && window->onSessionEnd) window->onSessionEnd();
      return TRUE;
    case WM_NCDESTROY:
      window->hwnd_ = nullptr;
      SetWindowLongPtrW(hwnd, DWLP_USER, 0);
      return FALSE;
    default: return FALSE;
  }
}

bool Win32Window::OnInit(HWND hwnd) {
  hwnd_ = hwnd;
  SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ProgramIcon(GetSystemMetrics(SM_CXICON))));
  SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(ProgramIcon(GetSystemMetrics(SM_CXSMICON))));
  for (const ControlTemplate& c : dialog_.Template().controls) {
    if (c.kind == ControlKind::ComboBox)
      for (const std::string& row : c.items) InsertString(c.id, -1, row);
    if (c.kind == ControlKind::Static && (c.style & kIconImage))
      SendMessageW(GetDlgItem(hwnd, c.id), STM_SETICON,
                   reinterpret_cast<WPARAM>(ProgramIcon(GetSystemMetrics(SM_CXICON))), 0);
  }
  dialog_.AttachWindow(this);
  bool focusDefault = true;
  // A dialog whose initialisation failed is not shown.
  if (!CallGuarded("OnInitDialog", [&] { focusDefault = dialog_.InitWindow(); })) EndDialog(kIdCancel);
  if (!ended_ && onShown) onShown(*this);
  return focusDefault;
}

bool Win32Window::OnCommand(int id, int code, HWND from) {
  if (!Live()) return true;
  // A shortcut's accelerator (a system menu entry's own comes as WM_SYSCOMMAND).
  if (code == 1 && !from && shortcutCommands_.count(static_cast<unsigned>(id))) {
    SysCommand(static_cast<unsigned>(id));
    return true;
  }
  const ControlTemplate* c = Find(id);
  // Enter and Escape with no such button, and the close box: the dialog's OK and Cancel.
  if ((id == IDOK || id == IDCANCEL) && (!from || !c)) {
    CallGuarded("OnOK/OnCancel", [&] { id == IDOK ? dialog_.DispatchOk() : dialog_.DispatchCancel(); });
    return true;
  }
  if (!c) return false;
  switch (c->kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox:  // an automatic check box has toggled itself before it notifies
      if (code == BN_CLICKED) Raise(id, Notify::Clicked);
      break;
    case ControlKind::Edit:
      if (code == EN_CHANGE && settingText_ != id) Raise(id, Notify::Changed);
      break;
    case ControlKind::ListBox:
      if (code == LBN_DBLCLK) Raise(id, Notify::DblClick);
      // Only a row the user picked is news; a list without selectable rows has none.
      if (code == LBN_SELCHANGE && !(c->style & kNoSelection) && GetCurSel(id) != kLbErr) Raise(id, Notify::SelChange);
      break;
    case ControlKind::ComboBox:
      if (code == CBN_SELCHANGE) Raise(id, Notify::SelChange);
      if (code == CBN_CLOSEUP) Raise(id, Notify::CloseUp);
      break;
    case ControlKind::Static:
    case ControlKind::GroupBox:
    case ControlKind::ProgressBar: break;
  }
  return true;
}

void Win32Window::Cancel() {
  if (Live()) CallGuarded("OnCancel", [&] { dialog_.DispatchCancel(); });
}

void Win32Window::Raise(int id, Notify code) {
  CallGuarded("control notification", [&] { dialog_.Dispatch(id, code); });
}

const ControlTemplate* Win32Window::Find(int id) const { return id == 0 ? nullptr : dialog_.Template().Find(id); }

HWND Win32Window::Item(int id) const {
  if (!hwnd_) return nullptr;
  if (id == 0) return hwnd_;
  return Find(id) ? GetDlgItem(hwnd_, id) : nullptr;
}

LRESULT Win32Window::Send(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
  HWND item = Item(id);
  return item ? SendMessageW(item, message, wParam, lParam) : 0;
}

std::string Win32Window::GetText(int id) const {
  const ControlTemplate* c = Find(id);
  if (c && c->kind == ControlKind::ComboBox) return GetRowText(id, GetCurSel(id));
  return WindowText(Item(id));
}

void Win32Window::SetText(int id, std::string_view text) {
  HWND item = Item(id);
  const ControlTemplate* c = Find(id);
  if (!item || (c && (c->kind == ControlKind::ListBox || c->kind == ControlKind::ComboBox ||
                      c->kind == ControlKind::ProgressBar)))
    return;
  if (c && (c->style & kIconImage)) return;  // shows the icon, never a text
  // The platform's edit notifies inside the call, and not on every version for
  // unchanged text: ours notifies exactly once, after the text is in place.
  const int outer = settingText_;
  settingText_ = id;
  SetWindowTextW(item, Widen(text).c_str());
  settingText_ = outer;
  if (c && c->kind == ControlKind::Edit && !destroyed_) Raise(id, Notify::Changed);
}

void Win32Window::Enable(int id, bool enabled) {
  if (HWND item = Item(id)) EnableWindow(item, enabled ? TRUE : FALSE);
}

bool Win32Window::IsEnabled(int id) const {
  HWND item = Item(id);
  return item && IsWindowEnabled(item);
}

bool Win32Window::Exists(int id) const { return Item(id) != nullptr; }

int Win32Window::GetCheck(int id) const {
  const ControlTemplate* c = Find(id);
  if (!c || c->kind != ControlKind::CheckBox) return 0;
  return static_cast<int>(Send(id, BM_GETCHECK));
}

void Win32Window::SetCheck(int id, int state) {
  const ControlTemplate* c = Find(id);
  if (c && c->kind == ControlKind::CheckBox) Send(id, BM_SETCHECK, static_cast<WPARAM>(state));
}

unsigned Win32Window::SetTimer(unsigned timerId, unsigned periodMs) {
  if (!hwnd_ || destroyed_ || timerId == 0 || timerId == kHookTimerId) return 0;
  // A running id restarts with the new period; 0 ticks as soon as the platform allows.
  if (!::SetTimer(hwnd_, timerId, std::max(periodMs, 1u), nullptr)) return 0;
  timers_.insert(timerId);
  return timerId;
}

bool Win32Window::KillTimer(unsigned timerId) {
  if (timers_.erase(timerId) == 0) return false;
  if (hwnd_) ::KillTimer(hwnd_, timerId);
  return true;
}

void Win32Window::OnTimerMessage(UINT_PTR timerId) {
  if (timerId == kHookTimerId) {
    if (onHookTick) onHookTick(*this);
    return;
  }
  // A tick already queued for a timer killed or reset since, or of a window
  // whose run is over, is dropped.
  if (!Live() || timers_.count(timerId) == 0) return;
  CallGuarded("OnTimer", [&] { dialog_.DispatchTimer(static_cast<unsigned>(timerId)); });
}

int Win32Window::MessageBox(std::string_view text, std::string_view caption, unsigned flags) {
  ++messageBoxes_;
  const int answer = MessageBoxW(destroyed_ ? nullptr : hwnd_, Widen(text).c_str(), Widen(caption).c_str(), flags);
  --messageBoxes_;
  return answer == 0 ? kIdCancel : answer;
}

void Win32Window::AppendSystemMenuSeparator() {
  if (HMENU menu = hwnd_ ? GetSystemMenu(hwnd_, FALSE) : nullptr) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
}

void Win32Window::AppendSystemMenuEntry(unsigned commandId, std::string_view text) {
  HMENU menu = hwnd_ ? GetSystemMenu(hwnd_, FALSE) : nullptr;
  if (!menu) return;
  AppendMenuW(menu, MF_STRING, commandId, Widen(text).c_str());  // a menu shows text after a tab on the right
  menuCommands_.insert(commandId & 0xFFF0u);
}

void Win32Window::SetProgress(int id, int percent) {
  const ControlTemplate* c = Find(id);
  if (c && c->kind == ControlKind::ProgressBar) Send(id, PBM_SETPOS, static_cast<WPARAM>(std::clamp(percent, 0, 100)));
}

int Win32Window::GetProgress(int id) const {
  const ControlTemplate* c = Find(id);
  return c && c->kind == ControlKind::ProgressBar ? static_cast<int>(Send(id, PBM_GETPOS)) : 0;
}

bool Win32Window::HasSystemMenu() const { return (dialog_.Template().style & kDlgSysMenu) != 0; }

bool Win32Window::OnSysCommandMessage(WPARAM command) {
  // The low four bits of a system command are the platform's own.
  const unsigned id = static_cast<unsigned>(command) & 0xFFF0u;
  if (menuCommands_.count(id) == 0 && shortcutCommands_.count(id) == 0) return false;
  SysCommand(id);
  SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, 0);
  return true;
}

void Win32Window::SysCommand(unsigned commandId) {
  if (Live()) CallGuarded("OnSysCommand", [&] { dialog_.DispatchSysCommand(commandId); });
}

void Win32Window::EndDialog(int result) {
  if (ended_ || !hwnd_) return;
  ended_ = true;
  result_ = result;
  StopTimers();
  ::EndDialog(hwnd_, result);
}

void Win32Window::OnDestroyMessage() {
  if (destroyed_) return;
  StopTimers();
  ::KillTimer(hwnd_, kHookTimerId);
  CallGuarded("OnDestroy", [&] { dialog_.DestroyWindow(); });
  destroyed_ = true;
  StopTimers();  // in case OnDestroy set one
  DropShortcuts();
}

void Win32Window::StopTimers() {
  for (UINT_PTR id : timers_) ::KillTimer(hwnd_, id);
  timers_.clear();
}

}  // namespace r742
