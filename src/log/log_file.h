#pragma once

#include <string_view>

namespace r742 {

// Appends `text` up to its first terminator and a line end to `fileName`,
// opening and closing the file for the line: 0 when written, -1 when the file
// could not be opened.
int AppendLineToFile(const char* fileName, std::string_view text);

}  // namespace r742
