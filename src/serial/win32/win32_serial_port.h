// A COM port opened through the Win32 communication calls, exclusive by the
// system's own rule (share mode 0).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "serial/serial_port.h"

namespace r742 {

class Win32SerialPort final : public ISerialPort {
 public:
  // Null when the port is missing or held (CreateFileA refused it); then
  // `error` holds the system's code.
  static std::unique_ptr<Win32SerialPort> Open(std::string_view portName, std::uint32_t& error);
  // Any port name ("COM12") or path ("\\.\COM12").
  static std::unique_ptr<Win32SerialPort> OpenPath(const std::string& name, std::uint32_t& error);
  ~Win32SerialPort() override;
  Win32SerialPort(const Win32SerialPort&) = delete;
  Win32SerialPort& operator=(const Win32SerialPort&) = delete;

  bool SetupComm(std::uint32_t inQueue, std::uint32_t outQueue) override;
  bool GetCommState(LineSettings& settings) override;
  bool SetCommState(const LineSettings& settings) override;
  // The system's BuildCommDCBA decides what it accepts (mark and space
  // parity, 1.5 stop bits among them).
  bool BuildCommDCB(std::string_view definition, LineSettings& settings, std::string& why) override;
  bool GetCommTimeouts(CommTimeouts& timeouts) override;
  bool SetCommTimeouts(const CommTimeouts& timeouts) override;
  bool Write(const std::uint8_t* data, std::uint32_t length, std::uint32_t& written) override;
  bool Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& received) override;
  bool PurgeReceive() override;
  bool ClearCommError(std::uint32_t& errors) override;
  std::uint32_t LastError() const override { return lastError_; }
  std::string TakeNotice() override;

 private:
  explicit Win32SerialPort(void* handle) : handle_(handle) {}
  bool Fail();

  void* handle_;  // HANDLE, kept opaque so that this header needs no windows.h
  std::uint32_t lastError_ = 0;
  std::string notice_;
};

}  // namespace r742
