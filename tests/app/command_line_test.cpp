#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace r742 {
namespace {

TEST(CommandLine, Tokenize) {
  using V = std::vector<std::string>;
  const V eight{"COM2", "9600", "E", "8", "1", "3", "500", "0"};
  // clang-format off
  const std::pair<const char*, V> cases[] = {
      {"", {}}, {"com2,9600,e,8,1,3,500,0", eight}, {"COM2;9600;E;8;1;3;500;0 ", eight}, {"a, b", {"A", "", "B"}},
      {",a", {"", "A"}}, {"a,b,c,d,e,f,g,h,", {"A", "B", "C", "D", "E", "F", "G", "H"}},
      {"a,b,c,d,e,f,g,h,,", {"A", "B", "C", "D", "E", "F", "G", "H", ""}}, {"x\ty\xe9z", {"X\tY\xe9Z"}}};
  // clang-format on
  for (const auto& [line, expected] : cases) {
    const CommandLineTokens t = TokenizeCommandLine(line);
    EXPECT_EQ(V(t.tokens.begin(), t.tokens.begin() + t.count), expected) << '"' << line << '"';
    EXPECT_EQ(IsOverrideMode(t), expected.size() == 8) << '"' << line << '"';
  }
  EXPECT_EQ(TokenizeCommandLine("COM2, 9600, E, 8, 1, 3, 500, 0").count, 15);
  // Tokens beyond the stored ones are counted.
  std::string line;
  for (int i = 0; i < 60; ++i) line += std::to_string(i) + ',';
  const CommandLineTokens t = TokenizeCommandLine(line);
  EXPECT_EQ(t.count, 60);
  EXPECT_EQ(t.tokens[kMaxTokens - 1], "49");
  EXPECT_EQ(TokenizeCommandLine(std::string(200000, ',')).count, 200000);
}

TEST(CommandLine, JoinArguments) {
  char prog[] = "prog", a[] = "com2,9600", b[] = "", c[] = "E";
  char* argv[] = {prog, a, b, c, nullptr};
  EXPECT_EQ(JoinArguments(4, argv), "com2,9600  E");
  EXPECT_EQ(JoinArguments(1, argv), "");
}

}  // namespace
}  // namespace r742
