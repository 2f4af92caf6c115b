#include "log/log_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

namespace r742 {
namespace {

void UseZone(const char* tz) {
  setenv("TZ", tz, 1);
  tzset();
}

TEST(LogTime, FixedWidthFields) {
  UseZone("UTC");
  const CLogTime six(1796536800);
  EXPECT_EQ(six.Day() + '|' + six.Month() + '|' + six.Year() + '|' + six.Time(), " 6|Dec|2026|06:00:00");
  EXPECT_EQ(six.DateRow(), " 6 Dec 2026");
  EXPECT_EQ(CLogTime(1797541425).DateRow() + ' ' + CLogTime(1797541425).Time(), "17 Dec 2026 21:03:45");
  EXPECT_EQ(CLogTime(253402300799).DateRow(), "31 Dec 9999");
  UseZone("EST5");  // local time, not UTC
  EXPECT_EQ(CLogTime(1796536800).Time(), "01:00:00");
  UseZone("UTC");
}

TEST(LogTime, UnprintableTimeShowsQuestionMarks) {
  for (std::time_t t : {std::numeric_limits<std::time_t>::max(), std::time_t{253402300800}}) {
    const CLogTime lt(t);
    EXPECT_EQ(lt.DateRow() + ' ' + lt.Time(), "?? ??? ???? ????????") << t;
  }
}

}  // namespace
}  // namespace r742
