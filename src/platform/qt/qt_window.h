// The Qt window of a dialog: a QDialog with one widget per template control,
// laid out at the template's rectangles, reporting user actions to its CDialog.
#pragma once

#include <QDialog>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/dialog.h"
#include "platform/window.h"

class QTimer;

namespace r742 {

class QtWindow final : public QDialog, public IWindow {
 public:
  explicit QtWindow(CDialog& dialog, QWidget* parent = nullptr);
  ~QtWindow() override;
  QtWindow(const QtWindow&) = delete;
  QtWindow& operator=(const QtWindow&) = delete;

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

  // The widget of control `id` (the dialog itself for 0), null if there is none.
  QWidget* Widget(int id) const;
  bool Ended() const { return ended_; }
  int Result() const { return result_; }
  // Stops the timers and runs the dialog's OnDestroy, which detaches it.
  // Called once the modal run is over; later calls do nothing.
  void Destroy();
  bool Destroyed() const { return destroyed_; }
  // True while a timer set through SetTimer is running: an operation of the
  // dialog is still under way.
  bool AnyTimerRunning() const;
  // A message box or a file dialog of this window is open.
  bool InMessageBox() const { return messageBoxes_ > 0; }

  // Enter and Escape (and the close box) go to the dialog, which decides
  // whether the window closes: it only ever closes through EndDialog.
  void accept() override;
  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Control {
    ControlKind kind;
    unsigned style;
    QWidget* widget;
    std::string text;     // a static's caption as set, '&' included; a list box's template text
    int curSel = kLbErr;  // the selected row of a list or combo box
  };
  Control* Find(int id);
  const Control* Find(int id) const;
  static bool IsList(const Control* c);
  bool Live() const { return !ended_ && !destroyed_; }

  void ConnectUserSignals(int id, Control& control);
  void Raise(int id, Notify code);  // passes a notification to the dialog
  void OnUserSelection(int id);
  void OnUserComboChoice(int id, int row);
  void OnUserEdit(int id);
  void OnTimerTick(unsigned timerId);
  void StopTimers();
  void SysCommand(unsigned commandId);  // a menu entry or a shortcut
  // Shows the remembered selection of a list or combo box, without notifying.
  void ShowSelection(Control& control, bool scroll);

  CDialog& dialog_;
  std::map<int, Control> controls_;
  std::map<unsigned, std::unique_ptr<QTimer>> timers_;
  int messageBoxes_ = 0;
  bool ended_ = false;
  bool destroyed_ = false;
  int result_ = kIdCancel;
};

}  // namespace r742
