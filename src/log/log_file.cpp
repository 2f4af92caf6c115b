#include "log/log_file.h"

#include "log/file_append.h"

namespace r742 {

int AppendLineToFile(const char* fileName, std::string_view text, std::string* whyNot) {
  // The line ends at the first terminator, as a character array would.
  std::string line(text.substr(0, text.find('\0')));
  line += TextLineEnd();
  std::string reason;
  if (AppendWholeToFile(fileName, line, reason)) return 0;
  if (whyNot != nullptr) *whyNot = std::move(reason);
  return -1;
}

}  // namespace r742
