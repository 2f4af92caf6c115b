// The node's system settings as shown, and numbers from the node made whole.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "model/number_text.h"
#include "model/system_settings.h"

namespace r742 {
namespace {

TEST(SystemSettings, MagnitudeDecidesTheDecimals) {
  const std::pair<float, const char*> cases[] = {
      {5.0f, "5.000"},   {9.9996f, "10.000"}, {10.0f, "10.00"},   {99.99f, "99.99"},
      {100.0f, "100.0"}, {230.0f, "230.0"},   {999.94f, "999.9"}, {1000.0f, "1000"},
      {3450.0f, "3450"}, {-5.0f, "-5.000"},   {-0.0f, "-0.000"},
  };
  for (const auto& [x, text] : cases) EXPECT_EQ(FormatSystemMagnitude(x), text) << x;
  char printed[64];
  std::snprintf(printed, sizeof printed, "%.0f", static_cast<double>(3.0e38f));  // every digit, as printf gives them
  EXPECT_EQ(FormatSystemMagnitude(3.0e38f), printed);
}

// Types 3 and 2 (3450, 3464) are shown through replies in the operation tests.
TEST(SystemSettings, WiringTypeGivesNameAndPower) {
  EXPECT_EQ(std::string(WiringTypeName(4.0f)) + '|' + std::string(WiringTypeName(1.0f)), "1ph 3Wire|1ph 2Wire");
  EXPECT_EQ(*SystemPower(230.0f, 5.0f, 1.0f), 1150.0f);
  EXPECT_EQ(*SystemPower(230.0f, 5.0f, 4.0f), 1150.0f);
  for (float unknown : {0.0f, 2.5f, 5.0f, std::nanf("")}) {
    EXPECT_EQ(WiringTypeName(unknown), "");
    EXPECT_FALSE(SystemPower(230.0f, 5.0f, unknown).has_value());
  }
}

TEST(NumberText, TruncationTowardZeroRefusesWhatHasNoInt) {
  EXPECT_EQ(TruncateToInt(4.9f), 4);
  EXPECT_EQ(TruncateToInt(-1.7f), -1);
  EXPECT_EQ(TruncateToInt(-2147483648.0f), std::numeric_limits<int>::min());
  EXPECT_FALSE(TruncateToInt(2147483648.0f).has_value());
  EXPECT_FALSE(TruncateToInt(std::nanf("")).has_value());
  EXPECT_FALSE(TruncateToInt(-std::numeric_limits<float>::infinity()).has_value());
  EXPECT_EQ(FormatFixed(0.05f, 1), "0.1");  // 0.05f lies just above 0.05
  EXPECT_EQ(FormatFixed(std::numeric_limits<float>::infinity(), 1), "inf");
}

}  // namespace
}  // namespace r742
