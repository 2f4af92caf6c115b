// Shared pieces of the Qt backend tests: a shown window, and waiting on a
// condition while the event loop runs.
#pragma once

#include <QCoreApplication>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <memory>

#include "platform/qt/qt_window.h"
#include "support/recording_dialog.h"

namespace r742::test {

// Runs the event loop until `done` holds or `timeoutMs` passed; true if it held.
// It blocks only waiting for events; the deadline timer is one of them.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  bool expired = false;
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, [&] { expired = true; });
  deadline.start(timeoutMs);
  while (!done() && !expired) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return done();
}

// A dialog's window opened and shown without a modal run, for the test to drive.
class ShownWindow {
 public:
  explicit ShownWindow(CDialog& dialog) : window_(std::make_unique<QtWindow>(dialog)) {
    dialog.AttachWindow(window_.get());
    dialog.InitWindow();
    window_->show();
    WaitUntil([this] { return window_->windowHandle() && window_->windowHandle()->isExposed(); });
  }
  ~ShownWindow() { window_->Destroy(); }
  QtWindow* operator->() const { return window_.get(); }
  QtWindow& operator*() const { return *window_; }
  template <class W>
  W* Widget(int id) const {
    return qobject_cast<W*>(window_->Widget(id));
  }

 private:
  std::unique_ptr<QtWindow> window_;
};

}  // namespace r742::test
