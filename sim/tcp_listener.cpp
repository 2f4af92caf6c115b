#include "tcp_listener.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include "os/system_error.h"
#include "serial/tcp_address.h"

namespace r742 {

TcpListener::~TcpListener() {
  if (fd_ >= 0) close(fd_);
}

bool TcpListener::Listen(const std::string& hostPort, std::string& error) {
  const std::string text = IsTcpAddressText(hostPort) ? hostPort : "tcp://" + hostPort;
  // Port 0 asks for a free port; the address parser wants 1..65535.
  const bool anyPort = text.size() > 2 && text.ends_with(":0");
  const std::optional<TcpAddress> address =
      ParseTcpAddress(anyPort ? text.substr(0, text.size() - 1) + "1" : text, &error);
  if (!address) return false;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV | AI_PASSIVE;
  addrinfo* found = nullptr;
  const std::string port = anyPort ? "0" : std::to_string(address->port);
  if (const int failed = getaddrinfo(address->host.c_str(), port.c_str(), &hints, &found); failed != 0) {
    error = address->host + ": " + gai_strerror(failed);
    return false;
  }
  fd_ = socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  if (fd_ >= 0) setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  const bool ok = fd_ >= 0 && bind(fd_, found->ai_addr, found->ai_addrlen) == 0 && listen(fd_, 4) == 0;
  freeaddrinfo(found);
  if (!ok) {
    error = text + ": " + SystemErrorText(static_cast<std::uint32_t>(errno));
    return false;
  }
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  getsockname(fd_, reinterpret_cast<sockaddr*>(&bound), &length);
  const bool v6 = bound.ss_family == AF_INET6;
  std::array<char, INET6_ADDRSTRLEN> host{};
  const void* raw = v6 ? static_cast<const void*>(&reinterpret_cast<sockaddr_in6*>(&bound)->sin6_addr)
                       : static_cast<const void*>(&reinterpret_cast<sockaddr_in*>(&bound)->sin_addr);
  inet_ntop(bound.ss_family, raw, host.data(), host.size());
  const unsigned boundPort =
      ntohs(v6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  address_ = TcpAddressText({host.data(), static_cast<std::uint16_t>(boundPort)});
  return true;
}

int TcpListener::Accept(int stopFd) {
  for (;;) {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {stopFd, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (fds[1].revents != 0) return -1;
    const int connection = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) {
      if (errno == EINTR || errno == ECONNABORTED || errno == EAGAIN) continue;
      return -1;
    }
    const int on = 1;
    // No Nagle: each paced byte leaves when it is due, not with the next one.
    setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return connection;
  }
}

}  // namespace r742
