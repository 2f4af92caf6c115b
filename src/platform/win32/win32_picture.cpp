#include "platform/win32/win32_picture.h"

#include "os/win32/utf16_text.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "os/system_error.h"

namespace r742 {

namespace {
template <class T>
void Put(std::vector<char>& out, const T& value) {
  const auto* bytes = reinterpret_cast<const char*>(&value);
  out.insert(out.end(), bytes, bytes + sizeof value);
}
}  // namespace

bool WriteWholeFile(const std::string& path, const void* bytes, std::size_t size, std::string& error) {
  const std::wstring wide = Widen(path);
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = SystemErrorText(GetLastError());
    return false;
  }
  DWORD written = 0;
  const bool whole =
      size <= MAXDWORD && WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
  if (!whole) error = SystemErrorText(GetLastError());
  const bool closed = CloseHandle(file) != FALSE;
  if (whole && !closed) error = SystemErrorText(GetLastError());
  if (whole && closed) return true;
  DeleteFileW(wide.c_str());
  return false;
}

bool WriteWindowBitmap(HWND window, const std::string& bmpPath, std::string& error) {
  RECT frame{};
  const bool placed = GetWindowRect(window, &frame) != FALSE;
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  if (!placed || width <= 0 || height <= 0) {
    error = "the window has no size to picture";
    return false;
  }
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
    BITMAPFILEHEADER head{};
    head.bfType = 0x4D42;  // "BM"
    head.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    head.bfSize = head.bfOffBits + info.biSizeImage;
    std::vector<char> file;
    file.reserve(head.bfSize);
    Put(file, head);
    Put(file, info);
    file.insert(file.end(), static_cast<const char*>(bits), static_cast<const char*>(bits) + info.biSizeImage);
    written = WriteWholeFile(bmpPath, file.data(), file.size(), error);
  } else {
    error = "the window could not be copied";
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
