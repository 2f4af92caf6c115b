#include "serial/tcp_socket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>

#include "os/system_error.h"

namespace r742 {
namespace {

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int PollMs(std::int64_t ms) { return ms < 0 ? -1 : static_cast<int>(std::min<std::int64_t>(ms, INT_MAX)); }

// One address within the time left; the socket or -1 with errno's reason in `error`.
int ConnectOne(const addrinfo& to, std::int64_t deadlineMs, int& error) {
  const int fd = socket(to.ai_family, to.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, to.ai_protocol);
  if (fd < 0) {
    error = errno;
    return -1;
  }
  error = 0;
  if (connect(fd, to.ai_addr, to.ai_addrlen) != 0) error = errno;
  while (error == EINPROGRESS || error == EINTR) {
    const std::int64_t left = deadlineMs - NowMs();
    if (left <= 0) {
      error = ETIMEDOUT;
      break;
    }
    pollfd pfd{fd, POLLOUT, 0};
    const int ready = poll(&pfd, 1, PollMs(left));
    if (ready < 0) {
      error = errno;
      continue;
    }
    if (ready == 0) continue;
    socklen_t length = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
  }
  if (error != 0) {
    close(fd);
    return -1;
  }
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);  // a frame goes out at once
  return fd;
}

}  // namespace

std::unique_ptr<TcpSocket> TcpSocket::Connect(const TcpAddress& address, std::uint32_t timeoutMs, std::string& why) {
  const std::int64_t deadline = NowMs() + timeoutMs;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;  // no AI_ADDRCONFIG: a machine with loopback only must reach 127.0.0.1
  addrinfo* found = nullptr;
  const std::string port = std::to_string(address.port);
  if (const int failed = getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found); failed != 0) {
    why =
        address.host + ": " +
        (failed == EAI_SYSTEM ? SystemErrorText(static_cast<std::uint32_t>(errno)) : std::string(gai_strerror(failed)));
    return nullptr;
  }
  int error = ETIMEDOUT;
  int fd = -1;
  for (const addrinfo* to = found; to != nullptr && fd < 0; to = to->ai_next) fd = ConnectOne(*to, deadline, error);
  freeaddrinfo(found);
  if (fd < 0) {
    why = SystemErrorText(static_cast<std::uint32_t>(error));
    return nullptr;
  }
  return std::unique_ptr<TcpSocket>(new TcpSocket(fd));
}

TcpSocket::~TcpSocket() { close(static_cast<int>(handle_)); }

TcpSocket::Outcome TcpSocket::Send(const std::uint8_t* data, std::uint32_t length, std::uint32_t& moved) {
  moved = 0;
  for (;;) {
    const ssize_t n = send(static_cast<int>(handle_), data, length, MSG_NOSIGNAL);
    if (n >= 0) {
      moved = static_cast<std::uint32_t>(n);
      return Outcome::kMoved;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return Outcome::kWouldBlock;
    error_ = static_cast<std::uint32_t>(errno == EPIPE ? ECONNRESET : errno);
    return error_ == ECONNRESET ? Outcome::kClosed : Outcome::kFailed;
  }
}

TcpSocket::Outcome TcpSocket::Receive(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& moved) {
  moved = 0;
  for (;;) {
    const ssize_t n = recv(static_cast<int>(handle_), buffer, length, 0);
    if (n > 0) {
      moved = static_cast<std::uint32_t>(n);
      return Outcome::kMoved;
    }
    if (n == 0) return Outcome::kClosed;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return Outcome::kWouldBlock;
    error_ = static_cast<std::uint32_t>(errno);
    return Outcome::kFailed;
  }
}

bool TcpSocket::Wait(bool forWriting, std::int64_t ms) {
  pollfd pfd{static_cast<int>(handle_), static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
  if (poll(&pfd, 1, PollMs(ms)) >= 0 || errno == EINTR) return true;
  error_ = static_cast<std::uint32_t>(errno);
  return false;
}

std::uint32_t TcpSocket::TimedOutCode() { return ETIMEDOUT; }
std::uint32_t TcpSocket::ClosedCode() { return ECONNRESET; }

}  // namespace r742
