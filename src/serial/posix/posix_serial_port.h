// A serial device (or pseudo-terminal) opened exclusively, driven through raw
// termios with the read time-outs done by ppoll().
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "serial/posix/control_lines.h"
#include "serial/posix/rts_switch.h"
#include "serial/serial_port.h"

namespace r742 {

class PosixSerialPort final : public ISerialPort {
 public:
  // Null when the path cannot be opened, is not a terminal, or is held by
  // another open (in this process or another); `error` then tells which
  // (an errno). RTS is switched through `lines`, by default the device's own.
  static std::unique_ptr<PosixSerialPort> Open(const std::string& path, int& error,
                                               std::unique_ptr<IControlLines> lines = nullptr);
  ~PosixSerialPort() override;
  PosixSerialPort(const PosixSerialPort&) = delete;
  PosixSerialPort& operator=(const PosixSerialPort&) = delete;

  bool SetupComm(std::uint32_t inQueue, std::uint32_t outQueue) override;
  bool GetCommState(LineSettings& settings) override;
  bool SetCommState(const LineSettings& settings) override;
  bool GetCommTimeouts(CommTimeouts& timeouts) override;
  bool SetCommTimeouts(const CommTimeouts& timeouts) override;
  bool Write(const std::uint8_t* data, std::uint32_t length, std::uint32_t& written) override;
  bool Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& received) override;
  bool PurgeReceive() override;
  bool ClearCommError(std::uint32_t& errors) override;
  std::uint32_t LastError() const override { return lastError_; }
  std::string TakeNotice() override { return std::exchange(notice_, {}); }
  bool RequestLowLatency() override;

 private:
  PosixSerialPort(int fd, std::unique_ptr<IControlLines> lines) : fd_(fd), rts_(std::move(lines)) {}
  bool Fail(int error);
  bool WriteAll(const std::uint8_t* data, std::uint32_t length, std::uint32_t& written);

  int fd_;
  CommTimeouts timeouts_{};
  bool rtsToggle_ = false;
  bool abortOnError_ = false;
  std::uint32_t lastError_ = 0;
  RtsSwitch rts_;
  std::string notice_;
  std::optional<int> flagsBeforeLowLatency_;  // the driver's flags to restore on close
};

}  // namespace r742
