#pragma once

#include <array>
#include <string>
#include <string_view>

namespace r742 {

inline constexpr int kMaxTokens = 50;

// Tokens of the program's command line. `count` is the number of tokens found,
// which may exceed kMaxTokens; only the first kMaxTokens are stored.
struct CommandLineTokens {
  std::array<std::string, kMaxTokens> tokens;
  int count = 0;
};

// argv[1..argc-1] joined by single blanks, without quoting (where the shell
// has already split the line into arguments).
std::string JoinArguments(int argc, char** argv);

// The arguments of a whole Windows command line, as a dialog program receives
// them: the program's name ends at its closing quote when it begins with one,
// else at the first blank, tab or other control character; the white space
// after it is skipped. The rest stays as typed, blanks, tabs and quotes too.
std::string_view ArgumentsAfterProgramName(std::string_view commandLine);

// ',' and ';' count as blanks and the text is upper-cased (ASCII). Every single
// blank ends a token, so two separators in a row give an empty token and a
// leading one an empty first token; a trailing separator adds none.
CommandLineTokens TokenizeCommandLine(std::string line);

// A command line of exactly eight tokens selects the override mode.
bool IsOverrideMode(const CommandLineTokens& tokens);

}  // namespace r742
