#include "platform/win32/win32_picture.h"

#include "os/win32/utf16_text.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace r742 {

namespace {
template <class T>
void Put(std::ofstream& out, const T& value) {
  out.write(reinterpret_cast<const char*>(&value), sizeof value);
}
}  // namespace

bool WriteWindowBitmap(HWND window, const std::string& bmpPath) {
  RECT frame{};
  if (!GetWindowRect(window, &frame)) return false;
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  if (width <= 0 || height <= 0) return false;
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up rows, as the file stores them
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
  info.biSizeImage = stride * static_cast<std::uint32_t>(height);

  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  bool drawn = false;
  if (memory && bitmap && bits) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    HDC shown = GetWindowDC(window);
    drawn = BitBlt(memory, 0, 0, width, height, shown, 0, 0, SRCCOPY) != FALSE;
    ReleaseDC(window, shown);
    GdiFlush();
    SelectObject(memory, old);
  }
  bool written = false;
  if (drawn) {
    std::ofstream out(std::filesystem::path(Widen(bmpPath)), std::ios::binary | std::ios::trunc);
    BITMAPFILEHEADER head{};
    head.bfType = 0x4D42;  // "BM"
    head.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    head.bfSize = head.bfOffBits + info.biSizeImage;
    Put(out, head);
    Put(out, info);
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(info.biSizeImage));
    written = static_cast<bool>(out);
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return written;
}

std::string ControlTexts(const Win32Window& window) {
  std::string out;
  for (const ControlTemplate& c : window.Dialog().Template().controls) {
    if (c.id == -1) continue;
    const std::string id = std::to_string(c.id);
    out += id + '\t' + window.GetText(c.id) + '\n';
    if (c.kind != ControlKind::ListBox && c.kind != ControlKind::ComboBox) continue;
    for (int row = 0; row < window.GetCount(c.id); ++row)
      out += id + '[' + std::to_string(row) + "]\t" + window.GetRowText(c.id, row) + '\n';
  }
  return out;
}

}  // namespace r742
