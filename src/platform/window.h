// What a dialog needs of the window it runs in. Each backend (headless, Qt)
// implements it; the dialog classes see nothing else of the platform.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace r742 {

// Results of a modal run and of a message box. The names differ from the
// platform headers' macros of the same values so that both can meet in one file.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Message box flags (buttons and icon).
inline constexpr unsigned kMbOk = 0x0000;
inline constexpr unsigned kMbIconExclamation = 0x0030;

// List and combo box results.
inline constexpr int kLbErr = -1;

// Notifications a control raises towards its dialog.
enum class Notify {
  Clicked,     // push button, check box (after the check box toggled itself)
  Changed,     // edit text changed, by the user or by the program
  SelChange,   // list or combo box selection changed by the user
  CloseUp,     // combo box list closed
  EditChange,  // combo box edit part changed (never for a drop-down list)
  DblClick,
};

// What a file dialog asks for: a configuration to open (the file must exist)
// or one to save (an existing file is replaced only once the user agrees).
enum class FileDialogKind { Open, Save };

class IWindow {
 public:
  virtual ~IWindow() = default;

  // Caption of a button, static or group box; text of an edit box; the
  // selected entry of a combo box. The dialog's own caption is id 0.
  virtual std::string GetText(int id) const = 0;
  // Setting an edit box's text raises its Changed notification once,
  // synchronously, before this returns.
  virtual void SetText(int id, std::string_view text) = 0;
  virtual void Enable(int id, bool enabled) = 0;
  virtual bool IsEnabled(int id) const = 0;
  virtual bool Exists(int id) const = 0;
  virtual int GetCheck(int id) const = 0;
  virtual void SetCheck(int id, int state) = 0;

  // List box and combo box rows. Row operations out of range return kLbErr.
  virtual void ResetContent(int id) = 0;
  virtual int AddString(int id, std::string_view text) = 0;              // new row index
  virtual int InsertString(int id, int row, std::string_view text) = 0;  // row -1 appends
  virtual int DeleteString(int id, int row) = 0;                         // rows left
  virtual int GetCount(int id) const = 0;
  virtual std::string GetRowText(int id, int row) const = 0;  // empty out of range
  virtual int GetCurSel(int id) const = 0;                    // kLbErr when none
  // Selects a row (or none with -1) and brings it into view; returns kLbErr
  // for a row out of range, which also clears the selection.
  virtual int SetCurSel(int id, int row) = 0;
  // First row at or after `start + 1` whose text begins with `prefix` (case-insensitive), kLbErr if none.
  virtual int FindStringPrefix(int id, int start, std::string_view prefix) const = 0;

  // Window timers: setting a running id restarts it with the new period;
  // killing drops ticks not yet delivered; no tick after the window is gone.
  // Returns the timer id (never 0) on success.
  virtual unsigned SetTimer(unsigned timerId, unsigned periodMs) = 0;
  virtual bool KillTimer(unsigned timerId) = 0;

  // A progress bar's position in per cent; values outside 0..100 are clamped.
  // 0 for a control that is no progress bar.
  virtual void SetProgress(int id, int percent) = 0;
  virtual int GetProgress(int id) const = 0;

  virtual int MessageBox(std::string_view text, std::string_view caption, unsigned flags) = 0;
  // Asks modally for a configuration file ("*.json", or any file), starting
  // in `folder` with `fileName` proposed. The chosen path in UTF-8, or nothing
  // when the user cancels or the program is asked to quit meanwhile.
  virtual std::optional<std::string> AskFilePath(FileDialogKind kind, std::string_view folder,
                                                 std::string_view fileName) = 0;

  // Entries of the window's system menu (or the platform's equivalent window
  // menu). Text after a tab is the entry's shortcut, shown aligned to the
  // right: "&Find Node...\tCtrl+F". Choosing one reaches the dialog as
  // OnSysCommand(commandId, 0); the low four bits of the id must be 0.
  virtual void AppendSystemMenuSeparator() = 0;
  virtual void AppendSystemMenuEntry(unsigned commandId, std::string_view text) = 0;
  // A separator, then the entry.
  void AppendSystemMenu(unsigned commandId, std::string_view text) {
    AppendSystemMenuSeparator();
    AppendSystemMenuEntry(commandId, text);
  }
  virtual bool HasSystemMenu() const = 0;
  // Ctrl+`key` ('A'..'Z') anywhere in the window, whatever control has the
  // focus, reaches the dialog as OnSysCommand(commandId, 0), as a menu entry does.
  virtual void AddShortcut(unsigned commandId, char key) = 0;

  // Ends the modal run with `result` once the current handler returns.
  virtual void EndDialog(int result) = 0;
};

}  // namespace r742
