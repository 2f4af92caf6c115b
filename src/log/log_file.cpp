#include "log/log_file.h"

#include <fstream>

namespace r742 {

int AppendLineToFile(const char* fileName, std::string_view text) {
  std::ofstream file(fileName, std::ios::out | std::ios::app);
  if (!file) return -1;
  // The line ends at the first terminator, as a character array would.
  file << text.substr(0, text.find('\0')) << '\n';
  return 0;
}

}  // namespace r742
