#include "log/log_time.h"

#include <array>
#include <cstdint>

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

bool BreakDownDirect(std::time_t t, std::tm& tm) {
#if defined(_WIN32)
  _tzset();  // pick up the current TZ
  return localtime_s(&tm, &t) == 0;
#else
  tzset();  // pick up the current TZ; localtime_r alone need not
  return localtime_r(&t, &tm) != nullptr;
#endif
}

// Some C libraries break down only part of the printable years (Windows'
// localtime_s: 1970 to 3000). The Gregorian calendar repeats every 400 years
// (146097 days, whole weeks), and so do a zone's rules from 1970 on: such a
// time is broken down whole cycles nearer and the years are set back.
bool BreakDownLocal(std::time_t t, std::tm& tm) {
  if (BreakDownDirect(t, tm)) return true;
  constexpr std::int64_t kCycleSeconds = std::int64_t{146097} * 86400;
  constexpr std::int64_t kFrom = 2 * 86400;             // 3 Jan 1970: every zone's local date is in 1970
  constexpr std::int64_t kUntil = 32503680000 - 86400;  // 31 Dec 2999
  constexpr std::int64_t kCycles = 20;                  // far beyond the years 0..9999
  const std::int64_t s = t;
  if (s < kFrom - kCycles * kCycleSeconds || s >= kUntil + kCycles * kCycleSeconds) return false;
  std::int64_t cycles = 0;
  if (s >= kUntil) cycles = (s - kUntil) / kCycleSeconds + 1;
  if (s < kFrom) cycles = -((kFrom - 1 - s) / kCycleSeconds + 1);
  if (cycles == 0 || !BreakDownDirect(static_cast<std::time_t>(s - cycles * kCycleSeconds), tm)) return false;
  tm.tm_year += static_cast<int>(cycles * 400);
  return true;
}

}  // namespace

CLogTime::CLogTime() : CLogTime(std::time(nullptr)) {}

CLogTime::CLogTime(std::time_t t) : day_("??"), month_("???"), year_("????"), time_("????????") {
  std::tm tm{};
  if (!BreakDownLocal(t, tm) || !IsPrintable(tm)) return;
  day_ = Digits(tm.tm_mday, 2, ' ');
  month_ = kMonths[static_cast<std::size_t>(tm.tm_mon)];
  year_ = Digits(tm.tm_year + 1900, 4, '0');
  time_ = Digits(tm.tm_hour, 2, '0') + ':' + Digits(tm.tm_min, 2, '0') + ':' + Digits(tm.tm_sec, 2, '0');
}

std::string CLogTime::DateRow() const { return day_ + ' ' + month_ + ' ' + year_; }

}  // namespace r742
