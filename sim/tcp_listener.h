// The simulated line behind a serial device server: a listening TCP socket
// whose connections, one at a time, carry the RTU frames as a pseudo-terminal
// would. Loopback or any address given; port 0 takes a free one.
#pragma once

#include <string>

namespace r742 {

class TcpListener {
 public:
  TcpListener() = default;
  ~TcpListener();
  TcpListener(const TcpListener&) = delete;
  TcpListener& operator=(const TcpListener&) = delete;

  // `hostPort` is "HOST:PORT" or "tcp://HOST:PORT"; false with `error`.
  bool Listen(const std::string& hostPort, std::string& error);
  // The next connection (non-blocking), or -1 once `stopFd` becomes readable
  // or the socket fails.
  int Accept(int stopFd);
  // "tcp://127.0.0.1:5020", with the port actually bound.
  const std::string& Address() const { return address_; }

 private:
  int fd_ = -1;
  std::string address_;
};

}  // namespace r742
