// Dialog code runs inside the platform's dialog procedure: nothing it throws
// may unwind through the system's frames.
#pragma once

#include <cstdio>
#include <exception>

namespace r742 {

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
