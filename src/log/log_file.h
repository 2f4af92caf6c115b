#pragma once

#include <string>
#include <string_view>

namespace r742 {

// Appends `text` up to its first terminator and the platform's line end to
// `fileName`, opening and closing the file for the line, in one write: 0 when
// the whole line was written, -1 when nothing was (the reason, when wanted, in
// `whyNot`). Only a regular file is written; a half line never stays behind.
int AppendLineToFile(const char* fileName, std::string_view text, std::string* whyNot = nullptr);

}  // namespace r742
