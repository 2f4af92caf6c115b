// Parameter names, numbers typed by the user, scaling, and the node's numbers as shown.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <set>
#include <string>

#include "model/number_text.h"
#include "model/param_catalogue.h"
#include "model/scaling.h"
#include "model/system_settings.h"
#include "model/value_reader.h"

namespace r742 {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::nanf("");

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }  // -0.0 != +0.0

TEST(ParamCatalogue, NamesAndCodesConvertBothWaysAndOnlyExactNamesHaveACode) {
  std::set<std::string> names;
  for (int code = 0; code < kParamCount; ++code) {
    names.insert(GetParamName(code));
    EXPECT_EQ(GetParamCode(GetParamName(code)), code) << code;
  }
  EXPECT_EQ(names.size(), static_cast<std::size_t>(kParamCount));
  for (int code : {-1, kParamCount}) EXPECT_EQ(GetParamName(code) + std::to_string(GetParamPolarity(code)), "0");
  for (const char* name : {"", "off", " OFF", "Hz ", "kWd(Imp)", "V1"}) EXPECT_EQ(GetParamCode(name), 0) << name;
}

TEST(ValueReader, ReadsDecimalTextFromTheFirstNineCharacters) {
  // One or two a rule: blanks and sign, the decimal point, the exponent whole or cut, what stops the number,
  // what is no number, overflow and underflow, and the nine characters read.
  // clang-format off
  const std::pair<const char*, float> cases[] = {
      {"\t\n -50", -50}, {"+7", 7},          {".5", 0.5f},       {"5.", 5},        {"-.5E+1", -5},  {"5e-x", 5},
      {"1,5", 1},        {"0x10", 0},        {"inf", 0},         {".", 0},         {"-", 0},        {"-1e39", -kInf},
      {"1e-40", 1e-40f}, {"1e-400", 0},      {"12345678901", 123456789.0f},        {"        12", 1},
      {"1.5e+00102", 1.5e10f}};
  // clang-format on
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadValueText(text), value) << '"' << text << '"';
  EXPECT_TRUE(std::signbit(ReadValueText("-1e-50")));
}

TEST(ValueReader, ReadsWholeNumbersLikeAtoiButSaturates) {
  // clang-format off
  const std::pair<const char*, int> cases[] = {
      {" -50", -50}, {"+7x", 7}, {"7.9", 7}, {"- 5", 0}, {"2147483647", 2147483647}, {"2147483648", 2147483647},
      {"-2147483648", -2147483647 - 1}, {"-99999999999999999999", -2147483647 - 1}};
  // clang-format on
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadWholeNumberText(text, 19), value) << '"' << text << '"';
  EXPECT_EQ(ReadWholeNumberText("12345", 3), 123);
}

TEST(Scaling, Clamps) {
  // The window's read-outs show typed 250 and 95 held at 200 and 0; here the edges and what is no number.
  const std::pair<float, float> nominal[] = {{200, 200}, {5, 5}, {2, 5}, {kInf, 200}, {-kInf, 5}, {kNaN, 5}};
  for (const auto& [in, out] : nominal) {
    EXPECT_EQ(ClampNominal(in), out) << in;
    EXPECT_EQ(IsNominalBad(in), in != out) << in;
  }

  const std::pair<float, float> offset[] = {{90.01f, 0}, {90, 90}, {-90, -90}, {kInf, 0}, {-kInf, 0}, {kNaN, 0}};
  for (const auto& [in, out] : offset) EXPECT_EQ(ClampZeroOffset(in), out) << in;
  EXPECT_TRUE(IsOffsetBad(90.01f));
  EXPECT_FALSE(IsOffsetBad(90));
}

TEST(Scaling, ReadoutTextKeepsEveryDigitOfHugeValues) {
  EXPECT_EQ(FormatReadout(kInf), "+inf");
  EXPECT_EQ(FormatReadout(ChannelOutput(1.0f, 3e38f, 200, 0)) + FormatReadout(ChannelOutput(-1.0f, 3e38f, 200, 0)),
            "+inf-inf");
  const std::string big = FormatReadout(-std::numeric_limits<float>::max());
  EXPECT_EQ(big.substr(0, 10), "-340282346");
  EXPECT_EQ(big.size(), 42u);
}

TEST(Scaling, FrequencyNodeValuesBothWays) {
  struct Case {
    float centre, span, a, b;
  };
  const Case cases[] = {{50, 10, 100, -0.0f}, {50, 5, 150, -50}};  // 60 and 10 go to the node in the Send's test
  for (const Case& c : cases) {
    EXPECT_TRUE(SameBits(FrequencyToNode(c.centre, c.span, 0), c.a)) << c.centre << '/' << c.span;
    EXPECT_TRUE(SameBits(FrequencyToNode(c.centre, c.span, 1), c.b)) << c.centre << '/' << c.span;
    const CentreSpan back = FrequencyFromNode(c.a, c.b);
    EXPECT_TRUE(SameBits(back.centre, c.centre) && SameBits(back.span, c.span)) << c.a << ',' << c.b;
  }
  EXPECT_TRUE(SameBits(FrequencyToNode(50, 10, 2), 0.0f));
  // Every step is a float: the exact -120 would be C2F00000.
  EXPECT_EQ(std::bit_cast<std::uint32_t>(FrequencyToNode(48.5f, 2.5f, 1)), 0xC2F00001u);
  EXPECT_FALSE(std::isfinite(FrequencyToNode(50, 0, 0)));
}

TEST(SystemSettings, MagnitudeDecidesTheDecimals) {
  // clang-format off
  const std::pair<float, const char*> cases[] = {  // 230.0, 5.000 and 3450 are the Read's to show
      {9.9996f, "10.000"}, {10.0f, "10.00"}, {99.99f, "99.99"}, {100.0f, "100.0"}, {999.94f, "999.9"},
      {1000.0f, "1000"}, {-5.0f, "-5.000"}, {-0.0f, "-0.000"}};
  // clang-format on
  for (const auto& [x, text] : cases) EXPECT_EQ(FormatSystemMagnitude(x), text) << x;
  char printed[64];
  std::snprintf(printed, sizeof printed, "%.0f", static_cast<double>(3.0e38f));  // every digit, as printf gives them
  EXPECT_EQ(FormatSystemMagnitude(3.0e38f), printed);
}

// Types 3 and 2 (3450, 3464) are shown through replies in the operation tests; here the single phases.
TEST(SystemSettings, WiringTypeGivesNameAndPower) {
  EXPECT_EQ(*SystemPower(230.0f, 5.0f, 1.0f), 1150.0f);
  EXPECT_EQ(*SystemPower(230.0f, 5.0f, 4.0f), 1150.0f);
  for (float unknown : {0.0f, 2.5f, 5.0f, kNaN}) {
    EXPECT_EQ(WiringTypeName(unknown), "");
    EXPECT_FALSE(SystemPower(230.0f, 5.0f, unknown).has_value());
  }
}

TEST(NumberText, TruncationTowardZeroRefusesWhatHasNoInt) {
  const std::pair<float, std::optional<int>> cases[] = {
      {4.9f, 4},           {-1.7f, -1}, {-2147483648.0f, std::numeric_limits<int>::min()},
      {2147483648.0f, {}}, {kNaN, {}},  {-kInf, {}}};
  for (const auto& [x, truncated] : cases) EXPECT_EQ(TruncateToInt(x), truncated) << x;
  EXPECT_EQ(FormatFixed(0.05f, 1) + FormatFixed(kInf, 1), "0.1inf");  // 0.05f lies just above 0.05
}

}  // namespace
}  // namespace r742
