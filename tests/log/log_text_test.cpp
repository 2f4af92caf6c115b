#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

#include "log/log_rows.h"
#include "log/log_time.h"

namespace r742 {
namespace {

TEST(LogRows, RowLengthsAndOnlyTheFirstRowCarriesTheStart) {
  using L = std::vector<std::size_t>;
  const std::tuple<std::size_t, std::size_t, L> cases[] = {
      // 112 characters after a start, and an empty text with and without one, reach the window's log (its tests).
      {9, 111, {120}},
      {0, 250, {120, 120, 10}},
      {0, 240, {120, 120}}};
  for (const auto& [startLen, textLen, expected] : cases) {
    L lengths;
    for (const std::string& row : SplitLogRows(std::string(startLen, 'T'), std::string(textLen, 'x')))
      lengths.push_back(row.size());
    EXPECT_EQ(lengths, expected) << startLen << '+' << textLen;
  }
  EXPECT_EQ(SplitLogRows("12:00:00 ", "abcdefg", 6), (std::vector<std::string>{"12:00:00 a", "bcdefg"}));
}

void UseZone(const char* tz) {
#if defined(_WIN32)
  _putenv_s("TZ", tz);
#else
  setenv("TZ", tz, 1);
#endif
}

// Local time, not UTC, also on either side of what a C library may break down.
TEST(LogTime, FixedWidthFieldsInLocalTimeOrQuestionMarks) {
  const char* const unprintable = "?? ??? ???? ????????";
  // clang-format off
  const std::tuple<const char*, std::time_t, const char*> cases[] = {
      {"UTC", 1796536800, " 6 Dec 2026 06:00:00"},   {"UTC", 253402300799, "31 Dec 9999 23:59:59"},
      {"UTC", 253402300800, unprintable},            {"UTC", std::numeric_limits<std::time_t>::max(), unprintable},
      {"UTC", -2208988800, " 1 Jan 1900 00:00:00"},  {"EST5", 1796536800, " 6 Dec 2026 01:00:00"},
      {"EST5", 0, "31 Dec 1969 19:00:00"},           {"EST5", 32503698000, " 1 Jan 3000 00:00:00"},
      {"EST5", 253402318799, "31 Dec 9999 23:59:59"}};
  // clang-format on
  for (const auto& [zone, t, shown] : cases) {
    UseZone(zone);
    const CLogTime time(t);
    EXPECT_EQ(time.DateRow() + ' ' + time.Time(), shown) << zone << ' ' << t;
  }
  UseZone("UTC");
}

}  // namespace
}  // namespace r742
