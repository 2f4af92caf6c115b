#include "log/log_rows.h"

namespace r742 {

std::vector<std::string> SplitLogRows(std::string_view start, std::string_view text, std::size_t width) {
  std::vector<std::string> rows;
  std::string line(start);
  for (const char c : text) {
    line += c;
    if (line.size() >= width) {
      rows.push_back(std::move(line));
      line.clear();
    }
  }
  if (!line.empty()) rows.push_back(std::move(line));
  return rows;
}

}  // namespace r742
