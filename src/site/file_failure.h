// A file operation whose failure is told as "<path>: <reason>", whether the
// operation said why or threw.
#pragma once

#include <exception>
#include <string>

namespace r742 {

// Runs `attempt(reason)`; when it returns false or throws, `error` names the path and why.
template <typename Attempt>
bool FailureNamesPath(const std::string& path, std::string& error, Attempt attempt) {
  std::string reason;
  try {
    if (attempt(reason)) return true;
  } catch (const std::exception& e) {
    reason = e.what();
  }
  error = path + ": " + reason;
  return false;
}

}  // namespace r742
