#include "support/memory_line.h"

#include <algorithm>
#include <cerrno>

#include "serial/read_limits.h"
#include "serial/standard_baud_rates.h"

namespace r742 {

// The program's end of a MemoryLine; the line must outlive it.
class MemoryPort final : public ISerialPort {
 public:
  explicit MemoryPort(MemoryLine& line) : line_(line), unplugs_(line.unplugs_) {}
  ~MemoryPort() override { line_.open_ = false; }
  MemoryPort(const MemoryPort&) = delete;
  MemoryPort& operator=(const MemoryPort&) = delete;

  bool SetupComm(std::uint32_t inQueue, std::uint32_t outQueue) override {
    constexpr std::uint32_t kLargest = 65536;
    if (inQueue < 1 || inQueue > kLargest || outQueue < 1 || outQueue > kLargest) {
      return Fail(EINVAL);
    }
    return true;
  }

  bool GetCommState(LineSettings& settings) override {
    settings = settings_;
    return true;
  }

  // Refuses what a real port refuses, so a bad baud text fails at the same step.
  bool SetCommState(const LineSettings& settings) override {
    if (!IsStandardBaudRate(settings.baud)) return Fail(EINVAL);
    settings_ = settings;
    return true;
  }

  bool GetCommTimeouts(CommTimeouts& timeouts) override {
    timeouts = timeouts_;
    return true;
  }

  bool SetCommTimeouts(const CommTimeouts& timeouts) override {
    timeouts_ = timeouts;
    return true;
  }

  bool Write(const std::uint8_t* data, std::uint32_t length, std::uint32_t& written) override {
    written = 0;
    if (line_.writeFails_ || Gone()) return Fail(EIO);
    std::vector<std::uint8_t> frame(data, data + length);
    line_.written_.push_back(frame);
    written = length;
    if (line_.peer_) line_.peer_(frame, line_.clock_());
    return true;
  }

  bool Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& received) override;

  bool PurgeReceive() override {
    const std::int64_t now = line_.clock_();
    while (!line_.toProgram_.empty() && line_.toProgram_.front().atMs <= now) line_.toProgram_.pop_front();
    return true;
  }

  bool ClearCommError(std::uint32_t& errors) override {
    errors = 0;
    return true;
  }

  std::uint32_t LastError() const override { return lastError_; }
  bool DeviceGone() const override { return Gone(); }
  // The same words on every system, whatever its own codes mean.
  std::string LastErrorText() const override {
    return lastError_ == EIO ? "Input/output error" : lastError_ == EINVAL ? "Invalid argument" : "no error";
  }

 private:
  bool Gone() const { return line_.unplugs_ != unplugs_; }
  bool Fail(int error) {
    lastError_ = static_cast<std::uint32_t>(error);
    return false;
  }

  MemoryLine& line_;
  LineSettings settings_;
  CommTimeouts timeouts_{};
  std::uint32_t lastError_ = 0;
  int unplugs_;  // of the line when this end opened
};

// What a real read starting now would return: a queued byte arrives at its
// own time or now, whichever is later, and never before the byte ahead of it.
bool MemoryPort::Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& received) {
  received = 0;
  if (Gone()) return Fail(EIO);
  const ReadLimits limits = ReadLimitsFor(timeouts_, count);
  const std::int64_t start = line_.clock_();
  std::int64_t previous = start;
  auto& queue = line_.toProgram_;
  while (received < count && !queue.empty()) {
    const std::int64_t arrival = std::max(queue.front().atMs, previous);
    if (limits.immediate && arrival > start) break;
    if (limits.totalMs != 0 && arrival - start > limits.totalMs) break;
    if (received > 0 && limits.intervalMs != 0 && arrival - previous > limits.intervalMs) break;
    buffer[received++] = queue.front().value;
    queue.pop_front();
    previous = arrival;
  }
  return true;
}

MemoryLine::MemoryLine(Clock clock) : clock_(std::move(clock)) {}

void MemoryLine::DeliverToProgram(std::span<const std::uint8_t> bytes, std::int64_t atMs) {
  for (std::uint8_t b : bytes) toProgram_.push_back({b, atMs});
}

std::unique_ptr<ISerialPort> MemoryLine::OpenProgramEnd() {
  if (open_ || !plugged_) return nullptr;
  open_ = true;
  return std::make_unique<MemoryPort>(*this);
}

std::unique_ptr<ISerialPort> MemoryPortProvider::Open(std::string_view name) {
  const auto found = lines_.find(name);
  if (found == lines_.end()) return nullptr;
  return found->second->OpenProgramEnd();
}

std::string MemoryPortProvider::OpenFailure(std::string_view name) {
  const auto found = lines_.find(name);
  return found != lines_.end() && found->second->PluggedIn() ? "held by another program" : "No such file or directory";
}

}  // namespace r742
