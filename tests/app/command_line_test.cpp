#include "app/command_line.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace r742 {
namespace {

TEST(CommandLine, Tokenize) {
  using V = std::vector<std::string>;
  const V eight{"COM2", "9600", "E", "8", "1", "3", "500", "0"};
  // The window's command-line table sees no tokens, upper case, blanks and a closing ",," as a ninth token,
  // and the port open on exactly eight.
  // clang-format off
  const std::pair<const char*, V> cases[] = {
      {"COM2;9600;E;8;1;3;500;0 ", eight}, {"a, b", {"A", "", "B"}}, {",a", {"", "A"}},
      {"a,b,c,d,e,f,g,h,", {"A", "B", "C", "D", "E", "F", "G", "H"}}, {"x\ty\xe9z", {"X\tY\xe9Z"}}};
  // clang-format on
  for (const auto& [line, expected] : cases) {
    const CommandLineTokens t = TokenizeCommandLine(line);
    EXPECT_EQ(V(t.tokens.begin(), t.tokens.begin() + t.count), expected) << '"' << line << '"';
  }
  // Tokens beyond the stored ones are counted.
  std::string line;
  for (int i = 0; i < 60; ++i) line += std::to_string(i) + ',';
  const CommandLineTokens t = TokenizeCommandLine(line);
  EXPECT_EQ(t.count, 60);
  EXPECT_EQ(t.tokens[kMaxTokens - 1], "49");
  EXPECT_EQ(TokenizeCommandLine(std::string(200000, ',')).count, 200000);
}

// Blanks, tabs and quotes after the program's name reach the tokeniser as typed.
TEST(CommandLine, WindowsArgumentsAfterTheProgramName) {
  const std::string eight = "COM9,38400,N,8,2,1,300,2";
  const std::tuple<std::string, std::string, int> cases[] = {
      {"r742-outputs.exe " + eight + "  ", eight + "  ", 9},
      {"r742-outputs.exe " + eight + " \"\"", eight + " \"\"", 9},
      {"r742-outputs.exe COM9,38400,N,8,2,1,300\t2", "COM9,38400,N,8,2,1,300\t2", 7},
      {"r742-outputs.exe\t \t" + eight, eight, 8},
      {"\"C:\\Program Files\\R742 Outputs\\r742-outputs.exe\" " + eight, eight, 8},
      {"\"C:\\R742 Outputs\\r742-outputs.exe " + eight, "", 0},  // the quote never closes
      {"Ausg\xc3\xa4nge.exe " + eight, eight, 8},
      {"r742-outputs.exe   ", "", 0},
  };
  for (const auto& [line, arguments, tokens] : cases) {
    EXPECT_EQ(ArgumentsAfterProgramName(line), arguments) << line;
    EXPECT_EQ(TokenizeCommandLine(std::string(ArgumentsAfterProgramName(line))).count, tokens) << line;
  }
}

}  // namespace
}  // namespace r742
