// What the window shows, for tests and pictures: a bitmap of the window and a
// text list of its controls' texts.
#pragma once

#include <string>

#include "platform/win32/win32_window.h"

namespace r742 {

// Copies what the window shows, frame included, into a 24-bit BMP file; false
// with the reason in `error` if it could not. No folder is made for it.
// (PrintWindow would not draw the controls under wine.)
bool WriteWindowBitmap(HWND window, const std::string& bmpPath, std::string& error);

// Writes `bytes` to a new file at `path` (replacing one there), making no
// folder; false with the system's reason in `error`. A failed write leaves no file.
bool WriteWholeFile(const std::string& path, const void* bytes, std::size_t size, std::string& error);

// One line per addressed control in template order, "id<TAB>text", and one
// per row of a list or combo box, "id[row]<TAB>text".
std::string ControlTexts(const Win32Window& window);

}  // namespace r742
