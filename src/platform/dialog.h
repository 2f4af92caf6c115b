// CDialog: a dialog built from a template, with control access by id, a
// message map from (control, notification) to handler, timers, message boxes
// and modal runs. The backend behind it is chosen by the process (platform.h).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog_template.h"
#include "platform/window.h"

namespace r742 {

class CDialog;

// A control of a created dialog, addressed by id (like a CWnd* from GetDlgItem).
class CDlgItem {
 public:
  CDlgItem(IWindow* window, int id) : window_(window), id_(id) {}

  int Id() const { return id_; }
  std::string GetWindowText(std::size_t maxChars = std::string::npos) const;
  void SetWindowText(std::string_view text) const;
  void EnableWindow(bool enabled) const;
  bool IsWindowEnabled() const;
  int GetCheck() const;
  void SetCheck(int state) const;

  void ResetContent() const;
  int AddString(std::string_view text) const;
  int InsertString(int row, std::string_view text) const;
  int DeleteString(int row) const;
  int GetCount() const;
  std::string GetText(int row) const;
  int GetCurSel() const;
  int SetCurSel(int row) const;
  int FindString(int start, std::string_view prefix) const;
  void SetPos(int percent) const;  // a progress bar's position
  int GetPos() const;

 private:
  IWindow* window_;  // null while the dialog has no window: every call is then a no-op
  int id_;
};

class CDialog {
 public:
  explicit CDialog(const DialogTemplate& tmpl);
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  const DialogTemplate& Template() const { return template_; }
  int IDD() const { return template_.id; }

  // Runs the dialog modally on the current platform; kIdCancel when there is none.
  int DoModal();
  void EndDialog(int result);
  bool HasWindow() const { return window_ != nullptr; }

  CDlgItem GetDlgItem(int id) const { return CDlgItem(window_, id); }
  int MessageBox(std::string_view text, std::string_view caption, unsigned flags);
  unsigned SetTimer(unsigned timerId, unsigned periodMs);
  bool KillTimer(unsigned timerId);
  // Transfers between members and controls: towards the controls when save is
  // false, into the members when it is true.
  bool UpdateData(bool save);

  // Entry points for the backend.
  void AttachWindow(IWindow* window);
  bool InitWindow();     // runs OnInitDialog
  void DestroyWindow();  // runs OnDestroy, then detaches
  void Dispatch(int controlId, Notify code);
  void DispatchTimer(unsigned timerId) { OnTimer(timerId); }
  void DispatchSysCommand(unsigned commandId) { OnSysCommand(commandId, 0); }
  void DispatchCancel() { OnCancel(); }  // Escape and the close box
  void DispatchOk() { OnOK(); }          // Enter

 protected:
  virtual bool OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  virtual void OnTimer(unsigned /*timerId*/) {}
  virtual void OnSysCommand(unsigned /*commandId*/, long /*param*/) {}
  virtual void OnDestroy() {}
  virtual void DoDataExchange(bool /*save*/) {}

  // One message-map entry: `handler` runs when control `controlId` raises `code`.
  void OnNotify(int controlId, Notify code, std::function<void()> handler);

  IWindow* Window() const { return window_; }

 private:
  struct MapEntry {
    int controlId;
    Notify code;
    std::function<void()> handler;
  };
  const DialogTemplate& template_;
  IWindow* window_ = nullptr;
  std::vector<MapEntry> messageMap_;
};

}  // namespace r742
