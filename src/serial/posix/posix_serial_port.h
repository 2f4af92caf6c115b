// A serial device (or pseudo-terminal) opened exclusively, driven through raw
// termios with the read time-outs done by ppoll().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "serial/serial_port.h"

namespace r742 {

class PosixSerialPort final : public ISerialPort {
 public:
  // Null when the path cannot be opened, is not a terminal, or is held by
  // another open (in this process or another).
  static std::unique_ptr<PosixSerialPort> Open(const std::string& path);
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

 private:
  explicit PosixSerialPort(int fd) : fd_(fd) {}
  bool Fail(int error);

  int fd_;
  CommTimeouts timeouts_{};
  bool rtsToggle_ = false;
  bool abortOnError_ = false;
  std::uint32_t lastError_ = 0;
};

// The device a port name stands for: $R742_COMn when set and not empty, else
// /dev/ttyS<n-1>. Empty for any name other than COM1..COM9.
std::string PosixDevicePath(std::string_view portName);

}  // namespace r742
