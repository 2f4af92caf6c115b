// A port that is a TCP connection to a serial device server, which carries
// the RTU frames to and from its RS-485 line unchanged. The device server
// holds the line settings: they are taken and sent nowhere. Reads follow the
// serial port's time-out rules, so that a reply split across TCP segments is
// one read when the gap between them is inside the read interval.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "serial/serial_port.h"
#include "serial/tcp_address.h"
#include "serial/tcp_socket.h"

namespace r742 {

// How long a connect (the name lookup included) may take before the open
// fails; the window waits this long at most.
inline constexpr std::uint32_t kTcpConnectTimeoutMs = 2000;

// Opens "tcp://HOST:PORT"; null with the reason in `why` when the text is
// not such an address or the connection is not made in time.
std::unique_ptr<ISerialPort> OpenDeviceServer(const std::string& text, std::string& why);

class TcpPort final : public ISerialPort {
 public:
  // Null with the reason in `why` when the connection is not made in time.
  static std::unique_ptr<TcpPort> Open(const TcpAddress& address, std::string& why,
                                       std::uint32_t connectTimeoutMs = kTcpConnectTimeoutMs);

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
  std::string LastErrorText() const override;
  // A connection that failed once is never used again: the next open connects anew.
  bool DeviceGone() const override { return broken_; }
  std::string TakeNotice() override;
  bool IsDeviceServer() const override { return true; }

 private:
  TcpPort(std::unique_ptr<TcpSocket> socket, std::string address)
      : socket_(std::move(socket)), address_(std::move(address)) {}
  bool Broken(std::uint32_t error);

  std::unique_ptr<TcpSocket> socket_;
  std::string address_;
  LineSettings settings_{.baud = 9600, .parity = 'N', .dataBits = 8, .stopBits = 1};
  CommTimeouts timeouts_;
  std::uint32_t lastError_ = 0;
  bool broken_ = false;
  bool settingsNoticeGiven_ = false;
  std::string notice_;
};

}  // namespace r742
