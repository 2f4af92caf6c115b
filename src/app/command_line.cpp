#include "app/command_line.h"

#include <climits>

namespace r742 {

std::string JoinArguments(int argc, char** argv) {
  std::string line;
  if (argv == nullptr) return line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    if (argv[i] != nullptr) line += argv[i];
  }
  return line;
}

std::string_view ArgumentsAfterProgramName(std::string_view commandLine) {
  const auto whiteSpace = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  std::size_t pos = 0;
  if (commandLine.starts_with('"')) {
    pos = commandLine.find('"', 1);
    pos = pos == std::string_view::npos ? commandLine.size() : pos + 1;
  } else {
    while (pos < commandLine.size() && !whiteSpace(commandLine[pos])) ++pos;
  }
  while (pos < commandLine.size() && whiteSpace(commandLine[pos])) ++pos;
  return commandLine.substr(pos);
}

CommandLineTokens TokenizeCommandLine(std::string line) {
  for (char& c : line) {
    if (c == ',' || c == ';') {
      c = ' ';
    } else if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }

  CommandLineTokens result;
  std::size_t pos = 0;
  while (pos < line.size()) {
    std::size_t blank = line.find(' ', pos);
    if (blank == std::string::npos) blank = line.size();
    if (result.count < kMaxTokens) {
      result.tokens[static_cast<std::size_t>(result.count)] = line.substr(pos, blank - pos);
    }
    if (result.count < INT_MAX) ++result.count;
    pos = blank + 1;  // past the blank that ended the token (or past the end)
  }
  return result;
}

bool IsOverrideMode(const CommandLineTokens& tokens) { return tokens.count == 8; }

}  // namespace r742
