#include "platform/qt/qt_platform.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <iostream>

#include "platform/call_guarded.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/qt_window.h"

namespace r742 {

QtPlatform::QtPlatform() = default;
QtPlatform::~QtPlatform() = default;

int QtPlatform::RunModal(CDialog& dialog) {
  if (quitRequested_ && !running_.empty()) return kIdCancel;  // the program is ending
  QWidget* parent = running_.empty() ? QApplication::activeWindow() : running_.back();
  QPointer<QtWindow> window = new QtWindow(dialog, parent);
  dialog.AttachWindow(window);
  running_.push_back(window);
  bool initialised = false;
  CallGuarded("OnInitDialog", [&] {
    dialog.InitWindow();
    initialised = true;
  });
  if (!initialised && window) window->EndDialog(kIdCancel);  // a half-initialised dialog is not shown
  if (window && !window->Ended()) {
    ArmScreenshot(*window);
    if (quitRequested_) QTimer::singleShot(0, window, [this] { ContinueQuit(); });
    ++looping_;
    window->exec();
    --looping_;
  }
  running_.pop_back();
  int result = kIdCancel;
  if (window) {
    if (window->Ended()) result = window->Result();
    window->Destroy();
    delete window;
  }
  dialog.AttachWindow(nullptr);  // the window could only be gone with its owner; never leave it dangling
  return result;
}

void QtPlatform::RequestQuit() {
  quitRequested_ = true;
  ContinueQuit();
}

void QtPlatform::ContinueQuit() {
  if (!quitRequested_ || running_.empty()) return;
  QtWindow* outermost = running_.front();
  for (std::size_t i = 1; i < running_.size(); ++i) running_[i]->EndDialog(kIdCancel);
  bool boxOpen = false;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
      box->done(QMessageBox::Ok);
      boxOpen = true;
    } else if (auto* files = qobject_cast<QFileDialog*>(widget); files && files->isVisible()) {
      files->reject();  // as its Cancel button: no path is chosen
      boxOpen = true;
    }
  // The outermost window is cancelled from its own loop, once the nested
  // loops have returned and the handlers that ran them have finished.
  if (running_.size() > 1 || boxOpen || looping_ != 1 || outermost->InMessageBox()) {
    QTimer::singleShot(0, outermost, [this] { ContinueQuit(); });
    return;
  }
  quitRequested_ = false;
  outermost->reject();  // as the close box does
}

void QtPlatform::RequestScreenshot(std::string pngPath, int delayMs, bool closeAfter, int settleLimitMs) {
  screenshot_ = Screenshot{std::move(pngPath), delayMs, closeAfter, settleLimitMs};
}

// Pictures `window` once none of its timers runs, looking again every
// kSettlePollMs; past `giveUp` it pictures the busy window. The checks are
// single shots owned by the window, so none outlives it.
void QtPlatform::PictureWhenIdle(QtWindow& window, const Screenshot& shot,
                                 std::chrono::steady_clock::time_point giveUp) {
  const bool busy = window.AnyTimerRunning();
  if (busy && std::chrono::steady_clock::now() < giveUp) {
    QTimer::singleShot(kSettlePollMs, &window,
                       [this, &window, shot, giveUp] { PictureWhenIdle(window, shot, giveUp); });
    return;
  }
  if (busy)
    std::cerr << "The window was still busy after " << shot.settleLimitMs << " ms: picturing it anyway" << std::endl;
  std::string error;
  const std::string written = WriteWidgetPicture(window, shot.path, error);
  if (!written.empty()) {
    std::cout << "Window picture written to " << written << std::endl;
  } else {
    std::cerr << "Could not write the window picture to " << shot.path << ": " << error << std::endl;
    pictureFailed_ = true;
  }
  if (shot.closeAfter) window.close();
}

void QtPlatform::ArmScreenshot(QtWindow& window) {
  if (!screenshot_) return;
  Screenshot shot = std::move(*screenshot_);
  screenshot_.reset();
  // Armed just before exec() shows the window; the timer dies with the window.
  QTimer::singleShot(shot.delayMs, &window, [this, target = &window, shot] {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(shot.settleLimitMs, 0));
    PictureWhenIdle(*target, shot, giveUp);
  });
}

std::string WriteWidgetPicture(QWidget& widget, const std::string& pngPath, std::string& error) {
  const QString absolute = QFileInfo(ToQString(pngPath)).absoluteFilePath();
  QFile file(absolute);
  // The picture goes where it was asked for or nowhere: no folder is made for it.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    error = ToStdString(file.errorString());
    return {};
  }
  if (!widget.grab().save(&file, "PNG") || !file.flush()) {
    error = file.error() != QFileDevice::NoError ? ToStdString(file.errorString()) : "the PNG could not be made";
    file.close();
    file.remove();
    return {};
  }
  return ToStdString(absolute);
}

}  // namespace r742
