// Dialog code runs from the window system's event loop or dialog procedure:
// nothing it throws may unwind through the system's frames.
#pragma once

#include <cstdio>
#include <exception>

namespace r742 {

// Runs `f`; an exception it throws is reported on stderr with `where` and
// ends there. False when it threw.
template <class F>
bool CallGuarded(const char* where, F&& f) noexcept {
  try {
    f();
    return true;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: unhandled exception: %s\n", where, e.what());
  } catch (...) {
    std::fprintf(stderr, "%s: unhandled exception\n", where);
  }
  return false;
}

}  // namespace r742
