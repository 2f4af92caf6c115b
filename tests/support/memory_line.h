// An in-memory serial line between the program and an in-process node, with
// the read semantics of a real port measured on a caller-given clock in
// microseconds (the headless backend's virtual clock in whole-window tests).
// Nothing sleeps: a byte carries the time it arrives, and a read at time T
// takes what a real read starting at T would have returned under the port's
// read time-outs.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "serial/serial_port.h"

namespace r742 {

class MemoryLine {
 public:
  using Clock = std::function<std::int64_t()>;  // microseconds
  // Called with every write of the program's end, as one frame, at `nowUs`.
  using Peer = std::function<void(std::span<const std::uint8_t> frame, std::int64_t nowUs)>;

  explicit MemoryLine(Clock clock) : clock_(std::move(clock)) {}

  void SetPeer(Peer peer) { peer_ = std::move(peer); }
  // Called after each read of the program's end with the time a real read
  // would have ended, so that a virtual clock can move on to it (a program
  // that blocks in its reads, unlike the window, which waits on timers).
  void SetReadEnded(std::function<void(std::int64_t endUs)> readEnded) { readEnded_ = std::move(readEnded); }
  // The node side puts bytes on the line towards the program, arriving at `atUs`.
  void DeliverToProgram(std::span<const std::uint8_t> bytes, std::int64_t atUs) {
    for (std::uint8_t b : bytes) toProgram_.push_back({b, atUs});
  }
  // A write that the node side makes fail (the program's Write then reports 0 bytes).
  void SetWriteFails(bool fails) { writeFails_ = fails; }
  // The adapter pulled out: an open end fails every transfer as a device
  // that went away, for good, and no end opens until it is plugged in again.
  void Unplug() { ++unplugs_, plugged_ = false; }
  void PlugIn() { plugged_ = true; }

  // The program's end; null while an earlier end is still open (exclusive open).
  std::unique_ptr<ISerialPort> OpenProgramEnd();
  bool ProgramEndOpen() const { return open_; }

  // The settings the program's end was last set to (SetCommState); those of
  // a new end (baud 0) until then.
  const LineSettings& ProgramSettings() const { return programSettings_; }

  // What the program has written so far, one entry per write.
  const std::vector<std::vector<std::uint8_t>>& Written() const { return written_; }

 private:
  friend class MemoryPort;
  friend class MemoryPortProvider;
  struct TimedByte {
    std::uint8_t value;
    std::int64_t atUs;
  };
  Clock clock_;
  Peer peer_;
  std::function<void(std::int64_t)> readEnded_;
  std::deque<TimedByte> toProgram_;
  std::vector<std::vector<std::uint8_t>> written_;
  LineSettings programSettings_;
  bool open_ = false, writeFails_ = false, plugged_ = true;
  int unplugs_ = 0;
};

// Serves named ports from in-memory lines; names without a line are absent.
class MemoryPortProvider final : public IPortProvider {
 public:
  void Add(std::string name, MemoryLine& line) { lines_[std::move(name)] = &line; }
  std::unique_ptr<ISerialPort> Open(std::string_view name) override {
    const auto found = lines_.find(name);
    return found == lines_.end() ? nullptr : found->second->OpenProgramEnd();
  }
  std::string OpenFailure(std::string_view name) override {
    const auto found = lines_.find(name);
    return found != lines_.end() && found->second->plugged_ ? "held by another program" : "No such file or directory";
  }
  bool DescribesPorts() override { return false; }  // a line stands for nothing but its name

 private:
  std::map<std::string, MemoryLine*, std::less<>> lines_;
};

}  // namespace r742
