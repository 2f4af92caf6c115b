#pragma once

#include <ctime>
#include <string>

namespace r742 {

// Local date and time of one log line, as fixed-width text. A time that cannot
// be broken down (or whose year needs more than 4 digits) shows as '?'s.
class CLogTime {
 public:
  CLogTime();  // now
  explicit CLogTime(std::time_t t);

  const std::string& Time() const { return time_; }  // "hh:mm:ss", 24-hour

  std::string DateRow() const;  // " 6 Dec 2026"

 private:
  std::string day_;
  std::string month_;
  std::string year_;
  std::string time_;
};

}  // namespace r742
