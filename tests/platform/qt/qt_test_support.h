// Waiting on a condition while the Qt event loop runs.
#pragma once

#include <QCoreApplication>
#include <QTimer>
#include <functional>

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

}  // namespace r742::test
