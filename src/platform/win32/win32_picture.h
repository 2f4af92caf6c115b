// What the window shows, for tests and pictures: a bitmap of the window and a
// text list of its controls' texts.
#pragma once

#include <string>

#include "platform/win32/win32_window.h"

namespace r742 {

// Copies what the window shows, frame included, into a 24-bit BMP file; false
// if it could not. (PrintWindow would not draw the controls under wine.)
bool WriteWindowBitmap(HWND window, const std::string& bmpPath);

// One line per addressed control in template order, "id<TAB>text", and one
// per row of a list or combo box, "id[row]<TAB>text".
std::string ControlTexts(const Win32Window& window);

}  // namespace r742
