// A log of the frames on the line, one line per frame, flushed at once so
// that another process can follow it:
//   12.345 RX 01 03 00 00 00 38 44 18
// The time is seconds since the log was opened, with milliseconds.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <span>
#include <string>

namespace r742 {

class FrameLog {
 public:
  enum class Direction { kReceived, kSent };

  FrameLog() = default;  // closed: Write does nothing
  ~FrameLog();
  FrameLog(const FrameLog&) = delete;
  FrameLog& operator=(const FrameLog&) = delete;

  // "-" logs to stderr; anything else is a file, created or truncated.
  bool Open(const std::string& path);
  bool IsOpen() const { return file_ != nullptr; }
  void Write(Direction direction, std::span<const std::uint8_t> bytes);

 private:
  std::mutex mutex_;
  std::FILE* file_ = nullptr;
  bool ownsFile_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// One log line without its newline, for a frame seen `elapsedMs` after the start.
std::string FormatFrameLogLine(std::int64_t elapsedMs, FrameLog::Direction direction,
                               std::span<const std::uint8_t> bytes);

}  // namespace r742
