#include "os/win32/utf16_text.h"

#include <algorithm>
#include <climits>

#include "os/win32/windows_api.h"

namespace r742 {

// Invalid sequences become U+FFFD either way; texts beyond INT_MAX bytes are cut.
std::wstring Widen(std::string_view utf8) {
  const int bytes = static_cast<int>(std::min<std::size_t>(utf8.size(), INT_MAX));
  if (bytes == 0) return {};
  const int chars = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(chars > 0 ? chars : 0), L'\0');
  if (chars > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, wide.data(), chars);
  return wide;
}

std::string Narrow(std::wstring_view utf16) {
  const int chars = static_cast<int>(std::min<std::size_t>(utf16.size(), INT_MAX / 4));
  if (chars == 0) return {};
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), chars, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, utf16.data(), chars, narrow.data(), bytes, nullptr, nullptr);
  return narrow;
}

}  // namespace r742
