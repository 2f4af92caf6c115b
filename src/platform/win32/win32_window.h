// The Win32 window of a dialog: a real dialog box made from the template,
// whose control notifications, timers and menu commands reach its CDialog.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "os/win32/windows_api.h"
#include "platform/dialog.h"
#include "platform/window.h"

namespace r742 {

class Win32Window final : public IWindow {
 public:
  explicit Win32Window(CDialog& dialog);
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  // The dialog procedure; WM_INITDIALOG brings the Win32Window in its lParam.
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  // --- IWindow
  std::string GetText(int id) const override;
  void SetText(int id, std::string_view text) override;
  void Enable(int id, bool enabled) override;
  bool IsEnabled(int id) const override;
  bool Exists(int id) const override;
  int GetCheck(int id) const override;
  void SetCheck(int id, int state) override;
  void ResetContent(int id) override;
  int AddString(int id, std::string_view text) override;
  int InsertString(int id, int row, std::string_view text) override;
  int DeleteString(int id, int row) override;
  int GetCount(int id) const override;
  std::string GetRowText(int id, int row) const override;
  int GetCurSel(int id) const override;
  int SetCurSel(int id, int row) override;
  int FindStringPrefix(int id, int start, std::string_view prefix) const override;
  unsigned SetTimer(unsigned timerId, unsigned periodMs) override;
  bool KillTimer(unsigned timerId) override;
  void SetProgress(int id, int percent) override;
  int GetProgress(int id) const override;
  int MessageBox(std::string_view text, std::string_view caption, unsigned flags) override;
  std::optional<std::string> AskFilePath(FileDialogKind kind, std::string_view folder,
                                         std::string_view fileName) override;
  void AppendSystemMenuSeparator() override;
  void AppendSystemMenuEntry(unsigned commandId, std::string_view text) override;
  bool HasSystemMenu() const override;
  void AddShortcut(unsigned commandId, char key) override;
  void EndDialog(int result) override;

  HWND Handle() const { return hwnd_; }
  // The control's window (the dialog's for 0), null if there is none.
  HWND Item(int id) const;
  const CDialog& Dialog() const { return dialog_; }
  bool Ended() const { return ended_; }
  int Result() const { return result_; }
  bool Destroyed() const { return destroyed_; }
  // True while a timer set through SetTimer runs: an operation is under way.
  bool AnyTimerRunning() const { return !timers_.empty(); }
  // A message box or a file dialog of this window is open.
  bool InMessageBox() const { return messageBoxes_ > 0; }
  // The open file dialog's window, null when none is open.
  HWND FileDialog() const { return fileDialog_; }

  // Called once the window exists and its dialog is initialised (a test or
  // the program's picture taking hooks in here); `onHookTick` receives the ticks of
  // timer kHookTimerId, which never reaches the dialog.
  std::function<void(Win32Window&)> onShown;
  std::function<void(Win32Window&)> onHookTick;
  static constexpr UINT_PTR kHookTimerId = 0x7E420000u;
  // The platform's own: its posted quit request, and the session ending (log-off, shut-down).
  std::function<void()> onQuitMessage;
  std::function<void()> onSessionEnd;
  static constexpr UINT kQuitMessage = WM_APP + 0x742;
  // The dialog's OnCancel, as the close box gives it.
  void Cancel();

 private:
  const ControlTemplate* Find(int id) const;
  const ControlTemplate* List(int id) const;
  bool Live() const { return hwnd_ && !ended_ && !destroyed_; }
  LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  bool OnInit(HWND hwnd);
  bool OnCommand(int id, int code, HWND from);
  void OnTimerMessage(UINT_PTR timerId);
  bool OnSysCommandMessage(WPARAM command);
  void OnDestroyMessage();
  void StopTimers();
  void SysCommand(unsigned commandId);  // a menu entry or a shortcut
  void DropShortcuts();
  // The dialog manager's modal loop hands each message to this hook first:
  // Ctrl+key of a window with shortcuts becomes its command there.
  static LRESULT CALLBACK TranslateShortcut(int code, WPARAM wParam, LPARAM lParam);
  void Raise(int id, Notify code);
  // Applies the selection the list rules give after a row operation.
  void ShowSelection(const ControlTemplate* c, int row, bool scroll);

  CDialog& dialog_;
  HWND hwnd_ = nullptr;
  std::set<UINT_PTR> timers_;
  std::set<unsigned> menuCommands_;
  std::vector<ACCEL> shortcuts_;
  std::set<unsigned> shortcutCommands_;
  HACCEL shortcutTable_ = nullptr;
  HWND fileDialog_ = nullptr;
  std::map<int, int> noSelectionRow_;  // the program's row of each list whose rows the user cannot select
  int settingText_ = 0;                // the edit whose text the program is setting
  int messageBoxes_ = 0;
  bool ended_ = false;
  bool destroyed_ = false;
  int result_ = kIdCancel;
};

}  // namespace r742
