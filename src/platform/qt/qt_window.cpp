#include "platform/qt/qt_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>
#include <climits>

#include "platform/call_guarded.h"
#include "platform/qt/qt_controls.h"

namespace r742 {

QtWindow::QtWindow(CDialog& dialog, QWidget* parent) : QDialog(parent), dialog_(dialog) {
  const DialogTemplate& tmpl = dialog.Template();
  // A fixed frame: a title bar and a close box at most, never minimise or maximise.
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
  if (tmpl.style & kDlgCaption) flags |= Qt::WindowTitleHint;
  if (tmpl.style & kDlgSysMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  setWindowFlags(flags);
  setWindowTitle(ToQString(tmpl.caption));
  setSizeGripEnabled(false);
  setFixedSize(DluToPixelsX(tmpl.width), DluToPixelsY(tmpl.height));

  QFont font(QString::fromLatin1(kDialogFontFamily));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(kDialogFontPixels);
  font.setLetterSpacing(QFont::PercentageSpacing, kDialogFontSpacingPercent);
  setFont(font);

  // Creation order is the template order, which Qt takes as the tab order.
  for (const auto& c : tmpl.controls) {
    QWidget* widget = CreateControlWidget(c, this);
    if (c.kind == ControlKind::GroupBox) widget->lower();  // frames stay behind what they frame
    if (c.id == -1) continue;                              // unnamed statics are shown but cannot be addressed
    Control control{c.kind, c.style, widget, c.text};
    auto it = controls_.insert_or_assign(c.id, std::move(control)).first;
    ConnectUserSignals(c.id, it->second);
  }
}

QtWindow::~QtWindow() {
  if (!destroyed_) Destroy();
}

void QtWindow::Destroy() {
  if (destroyed_) return;
  StopTimers();
  CallGuarded("OnDestroy", [&] { dialog_.DestroyWindow(); });
  destroyed_ = true;
  StopTimers();  // in case OnDestroy set one
}

QtWindow::Control* QtWindow::Find(int id) {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : &it->second;
}
const QtWindow::Control* QtWindow::Find(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : &it->second;
}
bool QtWindow::IsList(const Control* c) {
  return c && (c->kind == ControlKind::ListBox || c->kind == ControlKind::ComboBox);
}

QWidget* QtWindow::Widget(int id) const {
  if (id == 0) return const_cast<QtWindow*>(this);
  const Control* c = Find(id);
  return c ? c->widget : nullptr;
}

void QtWindow::ConnectUserSignals(int id, Control& control) {
  QWidget* w = control.widget;
  switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox:  // a check box has toggled itself before `clicked`
      connect(static_cast<QAbstractButton*>(w), &QAbstractButton::clicked, this, [this, id] {
        if (Live()) Raise(id, Notify::Clicked);
      });
      break;
    case ControlKind::Edit:
      connect(static_cast<QLineEdit*>(w), &QLineEdit::textEdited, this, [this, id] { OnUserEdit(id); });
      break;
    case ControlKind::ListBox:
      // Program changes run with the list's signals blocked, so this is the user.
      connect(static_cast<QListWidget*>(w), &QListWidget::itemSelectionChanged, this,
              [this, id] { OnUserSelection(id); });
      break;
    case ControlKind::ComboBox:
      connect(static_cast<QComboBox*>(w), &QComboBox::activated, this,
              [this, id](int row) { OnUserComboChoice(id, row); });
      break;
    case ControlKind::Static:
    case ControlKind::GroupBox:
    case ControlKind::ProgressBar: break;
  }
}

void QtWindow::Raise(int id, Notify code) {
  CallGuarded("control notification", [&] { dialog_.Dispatch(id, code); });
}

void QtWindow::OnUserEdit(int id) {
  Control* c = Find(id);
  if (!c || !Live()) return;
  auto* edit = static_cast<QLineEdit*>(c->widget);
  if (c->style & kUpperCase) {
    const QString upper = edit->text().toUpper();
    if (upper != edit->text()) {
      const int cursor = edit->cursorPosition();
      const QSignalBlocker block(edit);
      edit->setText(upper);
      edit->setCursorPosition(cursor);
    }
  }
  Raise(id, Notify::Changed);
}

std::string QtWindow::GetText(int id) const {
  if (id == 0) return ToStdString(windowTitle());
  const Control* c = Find(id);
  if (!c) return {};
  switch (c->kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox: return ToStdString(static_cast<QAbstractButton*>(c->widget)->text());
    case ControlKind::GroupBox: return ToStdString(static_cast<QGroupBox*>(c->widget)->title());
    case ControlKind::Edit: return ToStdString(static_cast<QLineEdit*>(c->widget)->text());
    case ControlKind::ComboBox: return GetRowText(id, c->curSel);
    case ControlKind::Static:
    case ControlKind::ListBox:
    case ControlKind::ProgressBar: return c->text;
  }
  return {};
}

void QtWindow::SetText(int id, std::string_view text) {
  if (id == 0) {
    setWindowTitle(ToQString(text));
    return;
  }
  Control* c = Find(id);
  if (!c) return;
  switch (c->kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox: static_cast<QAbstractButton*>(c->widget)->setText(ToQString(text)); break;
    case ControlKind::GroupBox: static_cast<QGroupBox*>(c->widget)->setTitle(ToQString(text)); break;
    case ControlKind::Static:
      c->text = std::string(text);
      if (!(c->style & kIconImage)) SetStaticText(c->widget, text);
      break;
    case ControlKind::Edit: {
      auto* edit = static_cast<QLineEdit*>(c->widget);
      {
        const QSignalBlocker block(edit);
        edit->setText(ToQString(text));
      }
      // Exactly one notification, even when the text did not change.
      if (!destroyed_) Raise(id, Notify::Changed);
      break;
    }
    case ControlKind::ListBox:
    case ControlKind::ComboBox:
    case ControlKind::ProgressBar: break;
  }
}

void QtWindow::Enable(int id, bool enabled) {
  if (QWidget* w = Widget(id)) w->setEnabled(enabled);
}

bool QtWindow::IsEnabled(int id) const {
  if (id == 0) return isEnabled();
  const QWidget* w = Widget(id);
  return w && w->isEnabledTo(this);
}

bool QtWindow::Exists(int id) const { return Widget(id) != nullptr; }

int QtWindow::GetCheck(int id) const {
  const Control* c = Find(id);
  if (!c || c->kind != ControlKind::CheckBox) return 0;
  switch (static_cast<QCheckBox*>(c->widget)->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    case Qt::Unchecked: break;
  }
  return 0;
}

void QtWindow::SetCheck(int id, int state) {
  Control* c = Find(id);
  if (!c || c->kind != ControlKind::CheckBox) return;
  auto* box = static_cast<QCheckBox*>(c->widget);
  if (state == 2) box->setTristate(true);
  box->setCheckState(state == 2 ? Qt::PartiallyChecked : state ? Qt::Checked : Qt::Unchecked);
}

unsigned QtWindow::SetTimer(unsigned timerId, unsigned periodMs) {
  if (destroyed_ || timerId == 0) return 0;
  std::unique_ptr<QTimer>& timer = timers_[timerId];
  if (!timer) {
    timer = std::make_unique<QTimer>();
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer.get(), &QTimer::timeout, this, [this, timerId] { OnTimerTick(timerId); });
  }
  // A period of 0 ticks as soon as possible, like the platform's minimum.
  const unsigned period = std::clamp(periodMs, 1u, static_cast<unsigned>(INT_MAX));
  timer->start(static_cast<int>(period));  // restarts a running timer with the new period
  return timerId;
}

bool QtWindow::KillTimer(unsigned timerId) {
  auto it = timers_.find(timerId);
  if (it == timers_.end() || !it->second->isActive()) return false;
  // The QTimer stays: this may run inside its own timeout.
  it->second->stop();
  return true;
}

void QtWindow::OnTimerTick(unsigned timerId) {
  // A tick of a timer killed or reset by an earlier handler in the same pass
  // of the event loop, or of a window whose run is over, is dropped.
  auto it = timers_.find(timerId);
  if (!Live() || it == timers_.end() || !it->second->isActive()) return;
  CallGuarded("OnTimer", [&] { dialog_.DispatchTimer(timerId); });
}

bool QtWindow::AnyTimerRunning() const {
  return std::any_of(timers_.begin(), timers_.end(), [](const auto& t) { return t.second->isActive(); });
}

void QtWindow::StopTimers() {
  for (auto& [id, timer] : timers_) timer->stop();
}

int QtWindow::MessageBox(std::string_view text, std::string_view caption, unsigned flags) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (flags & 0xF0u) {
    case 0x10: icon = QMessageBox::Critical; break;
    case 0x20: icon = QMessageBox::Question; break;
    case kMbIconExclamation: icon = QMessageBox::Warning; break;
    case 0x40: icon = QMessageBox::Information; break;
    default: break;
  }
  QMessageBox box(icon, ToQString(caption), ToQString(text), QMessageBox::Ok, destroyed_ ? nullptr : this);
  box.setTextFormat(Qt::PlainText);
  ++messageBoxes_;
  box.exec();
  --messageBoxes_;
  return kIdOk;  // the only button; closing the box counts as OK too
}

std::optional<std::string> QtWindow::AskFilePath(FileDialogKind kind, std::string_view folder,
                                                 std::string_view fileName) {
  const bool save = kind == FileDialogKind::Save;
  QFileDialog box(destroyed_ ? nullptr : this,
                  save ? QStringLiteral("Save Configuration") : QStringLiteral("Open Configuration"),
                  ToQString(folder));
  // Qt's own dialog rather than the desktop's: it looks and behaves the same
  // everywhere and closes like the message boxes when the program must quit.
  box.setOption(QFileDialog::DontUseNativeDialog);
  box.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  box.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  box.setNameFilters({QStringLiteral("Configuration (*.json)"), QStringLiteral("All files (*)")});
  box.setDefaultSuffix(QStringLiteral("json"));
  if (!fileName.empty()) box.selectFile(ToQString(fileName));
  ++messageBoxes_;
  const int answer = box.exec();
  --messageBoxes_;
  const QStringList chosen = box.selectedFiles();
  if (answer != QDialog::Accepted || chosen.isEmpty()) return std::nullopt;
  return ToStdString(chosen.front());
}

void QtWindow::AppendSystemMenuSeparator() {
  auto* separator = new QAction(this);
  separator->setSeparator(true);
  addAction(separator);
}

void QtWindow::AppendSystemMenuEntry(unsigned commandId, std::string_view text) {
  // Qt cannot extend the window manager's menu: the dialog's own context menu
  // (a right click on its background) stands in for it. A menu shows the
  // text after a tab as the shortcut, aligned to the right.
  setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* entry = new QAction(ToQString(text), this);
  entry->setData(commandId);
  connect(entry, &QAction::triggered, this, [this, commandId] { SysCommand(commandId); });
  addAction(entry);
}

void QtWindow::AddShortcut(unsigned commandId, char key) {
  if (key < 'A' || key > 'Z') return;
  auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_A + (key - 'A'))), this);
  shortcut->setContext(Qt::WindowShortcut);
  connect(shortcut, &QShortcut::activated, this, [this, commandId] { SysCommand(commandId); });
}

void QtWindow::SysCommand(unsigned commandId) {
  if (Live()) CallGuarded("OnSysCommand", [&] { dialog_.DispatchSysCommand(commandId); });
}

void QtWindow::SetProgress(int id, int percent) {
  const Control* c = Find(id);
  if (c && c->kind == ControlKind::ProgressBar)
    static_cast<QProgressBar*>(c->widget)->setValue(std::clamp(percent, 0, 100));
}

int QtWindow::GetProgress(int id) const {
  const Control* c = Find(id);
  return c && c->kind == ControlKind::ProgressBar ? static_cast<QProgressBar*>(c->widget)->value() : 0;
}

bool QtWindow::HasSystemMenu() const { return (dialog_.Template().style & kDlgSysMenu) != 0; }

void QtWindow::EndDialog(int result) {
  if (ended_) return;
  ended_ = true;
  result_ = result;
  StopTimers();
  // Before exec() has started this only hides; RunModal then skips exec().
  QDialog::done(result);
}

void QtWindow::accept() {
  if (Live()) CallGuarded("OnOK", [&] { dialog_.DispatchOk(); });
}

void QtWindow::reject() {
  if (Live()) CallGuarded("OnCancel", [&] { dialog_.DispatchCancel(); });
}

void QtWindow::keyPressEvent(QKeyEvent* event) {
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    event->accept();
    // Enter on a focused push button presses that button; anywhere else it is the dialog's OK.
    if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
      button->click();
    else
      accept();
    return;
  }
  QDialog::keyPressEvent(event);  // Escape calls reject()
}

void QtWindow::closeEvent(QCloseEvent* event) {
  if (ended_ || destroyed_) {  // EndDialog closing the window
    event->accept();
    return;
  }
  event->ignore();
  reject();
}

}  // namespace r742
