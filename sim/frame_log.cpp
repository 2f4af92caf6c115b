#include "frame_log.h"

#include <cinttypes>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace r742 {

FrameLog::~FrameLog() {
  if (ownsFile_) std::fclose(file_);
}

bool FrameLog::Open(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (ownsFile_) std::fclose(file_);
  ownsFile_ = false;
  file_ = nullptr;
  if (path == "-") {
    file_ = stderr;
  } else {
    file_ = std::fopen(path.c_str(), "w");
    ownsFile_ = file_ != nullptr;
  }
  start_ = std::chrono::steady_clock::now();
  return file_ != nullptr;
}

void FrameLog::Write(Direction direction, std::span<const std::uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  if (file_ == nullptr) return;
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
  const std::string line = FormatFrameLogLine(elapsed.count(), direction, bytes);
  std::fprintf(file_, "%s\n", line.c_str());
  std::fflush(file_);
}

std::string FormatFrameLogLine(std::int64_t elapsedMs, FrameLog::Direction direction,
                               std::span<const std::uint8_t> bytes) {
  char head[48];
  std::snprintf(head, sizeof head, "%" PRId64 ".%03" PRId64 " %s", elapsedMs / 1000, elapsedMs % 1000,
                direction == FrameLog::Direction::kReceived ? "RX" : "TX");
  std::string line = head;
  static const char kHex[] = "0123456789ABCDEF";
  for (std::uint8_t b : bytes) {
    line += ' ';
    line += kHex[b >> 4];
    line += kHex[b & 15];
  }
  return line;
}

std::vector<LoggedFrame> ReadFrameLogFile(const std::string& path, std::uintmax_t maxBytes) {
  std::vector<LoggedFrame> frames;
  std::error_code error;
  if (std::filesystem::file_size(path, error) > maxBytes || error) return frames;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::int64_t seconds = 0, millis = 0;
    char dot = 0;
    std::string direction;
    if (!(fields >> seconds >> dot >> millis >> direction) || dot != '.') continue;
    if (direction != "RX" && direction != "TX") continue;
    LoggedFrame frame;
    frame.ms = seconds * 1000 + millis;
    frame.direction = direction == "RX" ? FrameLog::Direction::kReceived : FrameLog::Direction::kSent;
    for (unsigned byte = 0; fields >> std::hex >> byte;) frame.bytes.push_back(static_cast<std::uint8_t>(byte));
    frames.push_back(std::move(frame));
  }
  return frames;
}

}  // namespace r742
