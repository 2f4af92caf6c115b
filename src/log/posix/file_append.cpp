#include "log/file_append.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "os/system_error.h"

namespace r742 {
namespace {

constexpr const char* kNotRegular = "not a regular file";

// A write to a regular file stops short only where there is no room for the
// rest: past the process's file-size limit, or on a full medium.
int ShortWriteCause(off_t endWanted) {
  rlimit limit{};
  if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      static_cast<rlim_t>(endWanted) > limit.rlim_cur)
    return EFBIG;
  return ENOSPC;
}

bool CutTo(int fd, off_t length) {
  int cut = -1;
  do {
    cut = ftruncate(fd, length);
  } while (cut != 0 && errno == EINTR);
  return cut == 0;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::string_view TextLineEnd() { return "\n"; }

bool AppendWholeToFile(const char* fileName, std::string_view bytes, std::string& whyNot) {
  // A FIFO, a device or a folder is refused before it is opened: opening one
  // may block, or act on the device.
  struct stat seen {};
  if (stat(fileName, &seen) == 0 && !S_ISREG(seen.st_mode)) {
    whyNot = kNotRegular;
    return false;
  }
  int fd = -1;
  do {
    fd = open(fileName, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    whyNot = SystemErrorText(static_cast<std::uint32_t>(errno));
    return false;
  }
  const FileDescriptor file(fd);
  // The name may have been replaced between the look and the opening.
  if (fstat(fd, &seen) != 0 || !S_ISREG(seen.st_mode)) {
    whyNot = kNotRegular;
    return false;
  }
  ssize_t written = -1;
  do {
    written = write(fd, bytes.data(), bytes.size());
  } while (written < 0 && errno == EINTR);
  if (written == static_cast<ssize_t>(bytes.size())) return true;
  if (written < 0) {
    whyNot = SystemErrorText(static_cast<std::uint32_t>(errno));
    return false;
  }
  // An appending write leaves the offset at the end of what it wrote.
  const off_t end = lseek(fd, 0, SEEK_CUR);
  const off_t start = end - static_cast<off_t>(written);
  whyNot = SystemErrorText(static_cast<std::uint32_t>(ShortWriteCause(start + static_cast<off_t>(bytes.size()))));
  if (end < 0 || !CutTo(fd, start))
    whyNot += " (a part of the line stays: " + SystemErrorText(static_cast<std::uint32_t>(errno)) + ")";
  return false;
}

}  // namespace r742
