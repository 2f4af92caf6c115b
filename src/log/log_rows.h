#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace r742 {

// Breaks one event-log entry into display rows of at most `width` characters.
// The first row begins with `start` (empty or an "hh:mm:ss " prefix);
// continuation rows carry no prefix. An entry with nothing in it gives no rows.
std::vector<std::string> SplitLogRows(std::string_view start, std::string_view text, std::size_t width = 120);

}  // namespace r742
