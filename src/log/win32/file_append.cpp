#include "log/file_append.h"

#include <cstring>

#include "os/system_error.h"
#include "os/win32/utf16_text.h"
#include "os/win32/windows_api.h"

namespace r742 {
namespace {

constexpr const char* kNotRegular = "not a regular file";

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() { CloseHandle(handle_); }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

bool IsDiskFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) != 0 &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

std::string_view TextLineEnd() { return "\r\n"; }

bool AppendWholeToFile(const char* fileName, std::string_view bytes, std::string& whyNot) {
  const std::wstring name = Widen(fileName);
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    whyNot = kNotRegular;
    return false;
  }
  // Write access as well as append: taking back a short write cuts the file.
  const HANDLE handle =
      CreateFileW(name.c_str(), FILE_APPEND_DATA | FILE_WRITE_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    whyNot = SystemErrorText(GetLastError());
    return false;
  }
  const FileHandle file(handle);
  if (!IsDiskFile(handle)) {
    whyNot = kNotRegular;
    return false;
  }
  LARGE_INTEGER start{};
  if (SetFilePointerEx(handle, LARGE_INTEGER{}, &start, FILE_END) == 0) {
    whyNot = SystemErrorText(GetLastError());
    return false;
  }
  DWORD written = 0;
  const BOOL done = WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (done != 0 && written == bytes.size()) return true;
  whyNot = SystemErrorText(done != 0 ? ERROR_DISK_FULL : GetLastError());
  if (written > 0 && (SetFilePointerEx(handle, start, nullptr, FILE_BEGIN) == 0 || SetEndOfFile(handle) == 0))
    whyNot += " (a part of the line stays: " + SystemErrorText(GetLastError()) + ")";
  return false;
}

}  // namespace r742
