#include "frame_log.h"

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

namespace r742 {

namespace {

constexpr std::int64_t kMaxSeconds = 1'000'000'000;  // decades: far beyond any run, and no overflow in microseconds

// "S.FFF" or "S.FFFFFF" (older logs counted milliseconds) as microseconds.
bool ParseSeconds(std::string_view text, std::int64_t& us) {
  const std::size_t dot = text.find('.');
  if (dot == std::string_view::npos || dot + 1 == text.size() || text.size() - dot - 1 > 6) return false;
  std::int64_t seconds = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + dot, seconds);
  if (ec != std::errc() || end != text.data() + dot || seconds < 0 || seconds > kMaxSeconds) return false;
  const std::string_view fraction = text.substr(dot + 1);
  std::int64_t micros = 0;
  for (std::size_t i = 0; i < 6; ++i) {
    const char digit = i < fraction.size() ? fraction[i] : '0';
    if (digit < '0' || digit > '9') return false;
    micros = micros * 10 + (digit - '0');
  }
  us = seconds * 1'000'000 + micros;
  return true;
}

}  // namespace

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

void FrameLog::Write(Direction direction, std::span<const std::uint8_t> bytes,
                     std::chrono::steady_clock::time_point at) {
  std::lock_guard lock(mutex_);
  if (file_ == nullptr) return;
  const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(std::max(at, start_) - start_);
  const std::string line = FormatFrameLogLine(elapsed.count(), direction, bytes);
  std::fprintf(file_, "%s\n", line.c_str());
  std::fflush(file_);
}

std::string FormatFrameLogLine(std::int64_t elapsedUs, FrameLog::Direction direction,
                               std::span<const std::uint8_t> bytes) {
  char head[48];
  std::snprintf(head, sizeof head, "%" PRId64 ".%06" PRId64 " %s", elapsedUs / 1'000'000, elapsedUs % 1'000'000,
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
    std::string time, direction;
    std::int64_t us = 0;
    if (!(fields >> time >> direction) || !ParseSeconds(time, us)) continue;
    if (direction != "RX" && direction != "TX") continue;
    LoggedFrame frame;
    frame.us = us;
    frame.ms = us / 1000;
    frame.direction = direction == "RX" ? FrameLog::Direction::kReceived : FrameLog::Direction::kSent;
    for (unsigned byte = 0; fields >> std::hex >> byte;) frame.bytes.push_back(static_cast<std::uint8_t>(byte));
    frames.push_back(std::move(frame));
  }
  return frames;
}

}  // namespace r742
