#include "model/value_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace r742 {
namespace {

TEST(ValueReader, ReadsDecimalTextFromTheFirstNineCharacters) {
  constexpr float kInf = std::numeric_limits<float>::infinity();
  const std::pair<const char*, float> cases[] = {
      {"250", 250},        {"  -50", -50},     {"\t\n 42", 42},    {"+7", 7},        {".5", 0.5f},
      {"5.", 5},           {"1.5e2", 150},     {"-.5E+1", -5},     {"5e", 5},        {"5e-x", 5},
      {"1,5", 1},          {"0x10", 0},        {"nan", 0},         {"inf", 0},       {"abc", 0},
      {"", 0},             {".", 0},           {"-", 0},           {"1e39", kInf},   {"-1e39", -kInf},
      {"1e-40", 1e-40f},   {"1e-400", 0},      {"12345678901", 123456789.0f},        {"        12", 1},
      {"1.5e+00102", 1.5e10f}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadValueText(text), value) << '"' << text << '"';
  EXPECT_TRUE(std::signbit(ReadValueText("-1e-50")));
}

TEST(ValueReader, ReadsWholeNumbersLikeAtoiButSaturates) {
  const std::pair<const char*, int> cases[] = {
      {"300", 300},   {" -50", -50},  {"+7x", 7},         {"7.9", 7},           {"abc", 0},
      {"", 0},        {"- 5", 0},     {"2147483647", 2147483647},             {"2147483648", 2147483647},
      {"-2147483648", -2147483647 - 1}, {"-99999999999999999999", -2147483647 - 1},
      {"99999999999999999999999", 2147483647}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadWholeNumberText(text, 19), value) << '"' << text << '"';
  EXPECT_EQ(ReadWholeNumberText("12345", 3), 123);
}

}  // namespace
}  // namespace r742
