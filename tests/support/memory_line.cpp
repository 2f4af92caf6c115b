#include "support/memory_line.h"

#include <algorithm>
#include <cerrno>

#include "serial/read_limits.h"

namespace r742 {

// The program's end of a MemoryLine; the line must outlive it.
class MemoryPort final : public ISerialPort {
 public:
  explicit MemoryPort(MemoryLine& line) : line_(line), unplugs_(line.unplugs_) {}
  ~MemoryPort() override { line_.open_ = false; }
  MemoryPort(const MemoryPort&) = delete;
  MemoryPort& operator=(const MemoryPort&) = delete;

  bool SetupComm(std::uint32_t, std::uint32_t) override { return true; }
  bool GetCommState(LineSettings& settings) override { return (settings = settings_, true); }
  bool SetCommState(const LineSettings& settings) override {
    settings_ = line_.programSettings_ = settings;
    return true;
  }
  bool GetCommTimeouts(CommTimeouts& timeouts) override { return (timeouts = timeouts_, true); }
  bool SetCommTimeouts(const CommTimeouts& timeouts) override { return (timeouts_ = timeouts, true); }

  bool Write(const std::uint8_t* data, std::uint32_t length, std::uint32_t& written) override {
    written = 0;
    if (line_.writeFails_ || Gone()) return Fail(EIO);
    const auto& frame = line_.written_.emplace_back(data, data + length);
    written = length;
    if (line_.peer_) line_.peer_(frame, line_.clock_());
    return true;
  }

  bool Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& received) override;

  bool PurgeReceive() override {
    auto& queue = line_.toProgram_;
    for (const std::int64_t now = line_.clock_(); !queue.empty() && queue.front().atUs <= now;) queue.pop_front();
    return true;
  }
  bool ClearCommError(std::uint32_t& errors) override { return (errors = 0, true); }

  std::uint32_t LastError() const override { return lastError_; }
  bool DeviceGone() const override { return Gone(); }
  // The same words on every system, whatever its own codes mean.
  std::string LastErrorText() const override { return lastError_ == EIO ? "Input/output error" : "no error"; }

 private:
  bool Gone() const { return line_.unplugs_ != unplugs_; }
  bool Fail(int error) { return (lastError_ = static_cast<std::uint32_t>(error), false); }

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
  const std::int64_t totalUs = limits.totalMs * 1000, intervalUs = limits.intervalMs * 1000;
  const std::int64_t start = line_.clock_();
  std::int64_t previous = start;
  auto& queue = line_.toProgram_;
  while (received < count && !queue.empty()) {
    const std::int64_t arrival = std::max(queue.front().atUs, previous);
    if (limits.immediate && arrival > start) break;
    if (totalUs != 0 && arrival - start > totalUs) break;
    if (received > 0 && intervalUs != 0 && arrival - previous > intervalUs) break;
    buffer[received++] = queue.front().value;
    queue.pop_front();
    previous = arrival;
  }
  if (line_.readEnded_) {
    // Done when the count is in; else when the first limit to run out does.
    std::int64_t end = previous;
    if (received < count && !limits.immediate) {
      end = totalUs != 0 ? start + totalUs : previous;
      if (received > 0 && intervalUs != 0) end = std::min(end, previous + intervalUs);
    }
    line_.readEnded_(end);
  }
  return true;
}

std::unique_ptr<ISerialPort> MemoryLine::OpenProgramEnd() {
  if (open_ || !plugged_) return nullptr;
  open_ = true;
  programSettings_ = {};
  return std::make_unique<MemoryPort>(*this);
}

}  // namespace r742
