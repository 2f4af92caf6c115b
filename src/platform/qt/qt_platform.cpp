#include "platform/qt/qt_platform.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <iostream>

#include "platform/call_guarded.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/qt_window.h"

namespace r742 {

QtPlatform::QtPlatform() = default;
QtPlatform::~QtPlatform() = default;

int QtPlatform::RunModal(CDialog& dialog) {
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
    window->exec();
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

void QtPlatform::RequestScreenshot(std::string pngPath, int delayMs, bool closeAfter, int settleLimitMs) {
  screenshot_ = Screenshot{std::move(pngPath), delayMs, closeAfter, settleLimitMs};
}

namespace {

using SteadyClock = std::chrono::steady_clock;

// Pictures `window` once none of its timers runs, looking again every
// kSettlePollMs; past `giveUp` it pictures the busy window. The checks are
// single shots owned by the window, so none outlives it.
void PictureWhenIdle(QtWindow& window, const std::string& path, bool closeAfter, int settleLimitMs,
                     SteadyClock::time_point giveUp) {
  const bool busy = window.AnyTimerRunning();
  if (busy && SteadyClock::now() < giveUp) {
    QTimer::singleShot(QtPlatform::kSettlePollMs, &window, [&window, path, closeAfter, settleLimitMs, giveUp] {
      PictureWhenIdle(window, path, closeAfter, settleLimitMs, giveUp);
    });
    return;
  }
  if (busy) std::cerr << "The window was still busy after " << settleLimitMs << " ms: picturing it anyway" << std::endl;
  const std::string written = WriteWidgetPicture(window, path);
  if (!written.empty())
    std::cout << "Window picture written to " << written << std::endl;
  else
    std::cerr << "Could not write the window picture to " << path << std::endl;
  if (closeAfter) window.close();
}

}  // namespace

void QtPlatform::ArmScreenshot(QtWindow& window) {
  if (!screenshot_) return;
  Screenshot shot = std::move(*screenshot_);
  screenshot_.reset();
  // Armed just before exec() shows the window; the timer dies with the window.
  QTimer::singleShot(shot.delayMs, &window, [target = &window, shot] {
    const auto giveUp = SteadyClock::now() + std::chrono::milliseconds(std::max(shot.settleLimitMs, 0));
    PictureWhenIdle(*target, shot.path, shot.closeAfter, shot.settleLimitMs, giveUp);
  });
}

std::string WriteWidgetPicture(QWidget& widget, const std::string& pngPath) {
  const QFileInfo file(ToQString(pngPath));
  const QString absolute = file.absoluteFilePath();
  if (!QDir().mkpath(file.absolutePath())) return {};
  if (!widget.grab().save(absolute, "PNG")) return {};
  return ToStdString(absolute);
}

}  // namespace r742
