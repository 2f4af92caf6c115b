// A log of the frames on the line, one line per frame, flushed at once so
// that another process can follow it:
//   12.345678 RX 01 03 00 00 00 38 44 18
// The time is seconds since the log was opened, with microseconds: for a
// request, when its last byte left the wire; for a reply, when its last byte
// reached the program.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <span>
#include <string>
#include <vector>

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
  // `at`: the frame's time on the line, not before the log was opened.
  void Write(Direction direction, std::span<const std::uint8_t> bytes, std::chrono::steady_clock::time_point at);

 private:
  std::mutex mutex_;
  std::FILE* file_ = nullptr;
  bool ownsFile_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// One log line without its newline, for a frame `elapsedUs` after the start.
std::string FormatFrameLogLine(std::int64_t elapsedUs, FrameLog::Direction direction,
                               std::span<const std::uint8_t> bytes);

struct LoggedFrame {
  std::int64_t ms = 0;  // after the log was opened
  std::int64_t us = 0;  // the same, in microseconds (a log of whole milliseconds gives ms * 1000)
  FrameLog::Direction direction = FrameLog::Direction::kReceived;
  std::vector<std::uint8_t> bytes;
};

// The frames of a log file that FrameLog wrote, in order; lines that are not
// frames are skipped, and a file over `maxBytes` reads as empty.
std::vector<LoggedFrame> ReadFrameLogFile(const std::string& path, std::uintmax_t maxBytes = 4u << 20);

}  // namespace r742
