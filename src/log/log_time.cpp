#include "log/log_time.h"

#include <array>

namespace r742 {
namespace {

constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Fixed-width decimal text of 0 <= v < 10^width, padded with `pad`.
std::string Digits(int v, int width, char pad) {
  std::string s(static_cast<std::size_t>(width), pad);
  for (int i = width - 1; i >= 0; --i) {
    s[static_cast<std::size_t>(i)] = static_cast<char>('0' + v % 10);
    v /= 10;
    if (v == 0 && pad != '0') break;
  }
  return s;
}

bool InRange(int v, int lo, int hi) { return v >= lo && v <= hi; }

// Years 0..9999 print as 4 digits; tm_year counts from 1900 and is checked
// before the addition so it cannot overflow.
bool IsPrintable(const std::tm& tm) {
  return InRange(tm.tm_year, -1900, 9999 - 1900) && InRange(tm.tm_mon, 0, 11) && InRange(tm.tm_mday, 1, 31) &&
         InRange(tm.tm_hour, 0, 23) && InRange(tm.tm_min, 0, 59) && InRange(tm.tm_sec, 0, 60);
}

}  // namespace

CLogTime::CLogTime() : CLogTime(std::time(nullptr)) {}

CLogTime::CLogTime(std::time_t t) : day_("??"), month_("???"), year_("????"), time_("????????") {
  tzset();  // pick up the current TZ; localtime_r alone need not
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr || !IsPrintable(tm)) return;
  day_ = Digits(tm.tm_mday, 2, ' ');
  month_ = kMonths[static_cast<std::size_t>(tm.tm_mon)];
  year_ = Digits(tm.tm_year + 1900, 4, '0');
  time_ = Digits(tm.tm_hour, 2, '0') + ':' + Digits(tm.tm_min, 2, '0') + ':' + Digits(tm.tm_sec, 2, '0');
}

std::string CLogTime::DateRow() const { return day_ + ' ' + month_ + ' ' + year_; }

}  // namespace r742
