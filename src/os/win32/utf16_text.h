// Text is UTF-8 in the program and UTF-16 at the platform's API.
#pragma once

#include <string>
#include <string_view>

namespace r742 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace r742
