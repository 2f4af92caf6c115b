// A connected TCP socket in non-blocking mode, through the few calls the TCP
// port makes; each OS's serial folder defines them (BSD sockets, Winsock).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "serial/tcp_address.h"

namespace r742 {

class TcpSocket {
 public:
  // Connects to the first of the host's addresses that answers within
  // `timeoutMs` in all; null with the system's reason in `why` when the name
  // does not resolve, the connection is refused, or no address answers in time.
  static std::unique_ptr<TcpSocket> Connect(const TcpAddress& address, std::uint32_t timeoutMs, std::string& why);
  ~TcpSocket();
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  enum class Outcome { kMoved, kWouldBlock, kClosed, kFailed };
  // Move up to `length` bytes without waiting; `moved` receives the count.
  // kClosed: the other end closed the connection (receiving only).
  Outcome Send(const std::uint8_t* data, std::uint32_t length, std::uint32_t& moved);
  Outcome Receive(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& moved);
  // Waits at most `ms` (negative: without a limit) until the socket may be
  // read (or written); a hang-up counts as ready, the next call tells it.
  // False when the wait itself failed.
  bool Wait(bool forWriting, std::int64_t ms);
  // The system's code for the last failure.
  std::uint32_t Error() const { return error_; }

  // The system's codes for a transfer that ran out of time and for a
  // connection that the other end closed.
  static std::uint32_t TimedOutCode();
  static std::uint32_t ClosedCode();

 private:
  explicit TcpSocket(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_;
  std::uint32_t error_ = 0;
};

}  // namespace r742
