// Setting and removing environment variables in tests, on every platform.
#pragma once

#include <cstdlib>
#include <string>

namespace r742::test {

inline void SetEnv(const std::string& name, const std::string& value) {
#if defined(_WIN32)
  _putenv_s(name.c_str(), value.c_str());  // an empty value removes the variable there
#else
  setenv(name.c_str(), value.c_str(), 1);
#endif
}

inline void UnsetEnv(const std::string& name) {
#if defined(_WIN32)
  _putenv_s(name.c_str(), "");
#else
  unsetenv(name.c_str());
#endif
}

}  // namespace r742::test
