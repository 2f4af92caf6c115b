// Dialog code runs from Qt's event loop: nothing it throws may unwind into Qt.
#pragma once

#include <QtGlobal>
#include <exception>

namespace r742 {

template <class F>
void CallGuarded(const char* where, F&& f) noexcept {
  try {
    f();
  } catch (const std::exception& e) {
    qCritical("%s: unhandled exception: %s", where, e.what());
  } catch (...) {
    qCritical("%s: unhandled exception", where);
  }
}

}  // namespace r742
