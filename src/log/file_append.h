// The operating system's side of the log file: a line goes in with one write or not at all.
#pragma once

#include <string>
#include <string_view>

namespace r742 {

// The line end of the platform's text files.
std::string_view TextLineEnd();

// Appends `bytes` with one write to the regular file `fileName`, created when
// missing, without ever blocking. A write that stops short (a full disk, a
// file-size limit) is taken back: the file is cut to its length before it.
// Returns false, with the reason in the system's own words (or "not a regular
// file") in `whyNot`, when nothing was appended.
bool AppendWholeToFile(const char* fileName, std::string_view bytes, std::string& whyNot);

}  // namespace r742
