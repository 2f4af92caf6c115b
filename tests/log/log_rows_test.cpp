#include "log/log_rows.h"

#include <gtest/gtest.h>

namespace r742 {
namespace {

TEST(LogRows, RowLengths) {
  using L = std::vector<std::size_t>;
  const std::tuple<std::size_t, std::size_t, L> cases[] = {
      {9, 111, {120}}, {9, 112, {120, 1}}, {0, 250, {120, 120, 10}}, {0, 240, {120, 120}}, {9, 0, {9}}, {0, 0, {}}};
  for (const auto& [startLen, textLen, expected] : cases) {
    L lengths;
    for (const std::string& row : SplitLogRows(std::string(startLen, 'T'), std::string(textLen, 'x')))
      lengths.push_back(row.size());
    EXPECT_EQ(lengths, expected) << startLen << '+' << textLen;
  }
}

TEST(LogRows, OnlyTheFirstRowCarriesTheStart) {
  EXPECT_EQ(SplitLogRows("12:00:00 ", "abcdefg", 6), (std::vector<std::string>{"12:00:00 a", "bcdefg"}));
}

}  // namespace
}  // namespace r742
