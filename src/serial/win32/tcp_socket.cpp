#include "serial/tcp_socket.h"

// clang-format off
#include "os/win32/windows_api.h"
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on

#include <algorithm>
#include <chrono>

#include "os/system_error.h"

namespace r742 {
namespace {

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

SOCKET S(std::intptr_t handle) { return static_cast<SOCKET>(handle); }

// Winsock is started once for the program and left to the system at exit.
int StartWinsock() {
  static const int failed = [] {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 2), &data);
  }();
  return failed;
}

// Waits for one socket with select, which (unlike WSAPoll on older systems)
// reports a failed connect; ready or not, or SOCKET_ERROR.
int Select(SOCKET s, bool forWriting, std::int64_t ms) {
  fd_set wanted, failed;
  FD_ZERO(&wanted);
  FD_ZERO(&failed);
  FD_SET(s, &wanted);
  FD_SET(s, &failed);
  timeval limit{};
  if (ms >= 0) {
    const std::int64_t capped = std::min<std::int64_t>(ms, 24LL * 3600 * 1000);
    limit.tv_sec = static_cast<long>(capped / 1000);
    limit.tv_usec = static_cast<long>((capped % 1000) * 1000);
  }
  return select(0, forWriting ? nullptr : &wanted, forWriting ? &wanted : nullptr, &failed, ms >= 0 ? &limit : nullptr);
}

// One address within the time left; the socket or INVALID_SOCKET with the reason in `error`.
SOCKET ConnectOne(const addrinfo& to, std::int64_t deadlineMs, int& error) {
  const SOCKET s = socket(to.ai_family, to.ai_socktype, to.ai_protocol);
  if (s == INVALID_SOCKET) {
    error = WSAGetLastError();
    return INVALID_SOCKET;
  }
  u_long nonBlocking = 1;
  error = 0;
  if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
    error = WSAGetLastError();
  } else if (connect(s, to.ai_addr, static_cast<int>(to.ai_addrlen)) != 0) {
    error = WSAGetLastError();
  }
  if (error == WSAEWOULDBLOCK) {
    const std::int64_t left = deadlineMs - NowMs();
    const int ready = left > 0 ? Select(s, true, left) : 0;
    if (ready == SOCKET_ERROR) {
      error = WSAGetLastError();
    } else if (ready == 0) {
      error = WSAETIMEDOUT;
    } else {
      int length = sizeof error;
      if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0) error = WSAGetLastError();
    }
  }
  if (error != 0) {
    closesocket(s);
    return INVALID_SOCKET;
  }
  const BOOL on = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);  // a frame goes out at once
  return s;
}

}  // namespace

std::unique_ptr<TcpSocket> TcpSocket::Connect(const TcpAddress& address, std::uint32_t timeoutMs, std::string& why) {
  const std::int64_t deadline = NowMs() + timeoutMs;
  if (const int failed = StartWinsock(); failed != 0) {
    why = SystemErrorText(static_cast<std::uint32_t>(failed));
    return nullptr;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string port = std::to_string(address.port);
  if (const int failed = getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found); failed != 0) {
    why = address.host + ": " + SystemErrorText(static_cast<std::uint32_t>(failed));
    return nullptr;
  }
  int error = WSAETIMEDOUT;
  SOCKET s = INVALID_SOCKET;
  for (const addrinfo* to = found; to != nullptr && s == INVALID_SOCKET; to = to->ai_next)
    s = ConnectOne(*to, deadline, error);
  freeaddrinfo(found);
  if (s == INVALID_SOCKET) {
    why = SystemErrorText(static_cast<std::uint32_t>(error));
    return nullptr;
  }
  return std::unique_ptr<TcpSocket>(new TcpSocket(static_cast<std::intptr_t>(s)));
}

TcpSocket::~TcpSocket() { closesocket(S(handle_)); }

namespace {

bool MeansClosed(int error) {
  return error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAESHUTDOWN || error == WSAENOTCONN;
}

}  // namespace

TcpSocket::Outcome TcpSocket::Send(const std::uint8_t* data, std::uint32_t length, std::uint32_t& moved) {
  moved = 0;
  const int n = send(S(handle_), reinterpret_cast<const char*>(data),
                     static_cast<int>(std::min<std::uint32_t>(length, 1u << 30)), 0);
  if (n >= 0) {
    moved = static_cast<std::uint32_t>(n);
    return Outcome::kMoved;
  }
  const int error = WSAGetLastError();
  if (error == WSAEWOULDBLOCK) return Outcome::kWouldBlock;
  error_ = static_cast<std::uint32_t>(error);
  return MeansClosed(error) ? Outcome::kClosed : Outcome::kFailed;
}

TcpSocket::Outcome TcpSocket::Receive(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& moved) {
  moved = 0;
  const int n =
      recv(S(handle_), reinterpret_cast<char*>(buffer), static_cast<int>(std::min<std::uint32_t>(length, 1u << 30)), 0);
  if (n > 0) {
    moved = static_cast<std::uint32_t>(n);
    return Outcome::kMoved;
  }
  if (n == 0) return Outcome::kClosed;
  const int error = WSAGetLastError();
  if (error == WSAEWOULDBLOCK) return Outcome::kWouldBlock;
  error_ = static_cast<std::uint32_t>(error);
  return Outcome::kFailed;
}

bool TcpSocket::Wait(bool forWriting, std::int64_t ms) {
  if (Select(S(handle_), forWriting, ms) != SOCKET_ERROR) return true;
  error_ = static_cast<std::uint32_t>(WSAGetLastError());
  return false;
}

std::uint32_t TcpSocket::TimedOutCode() { return WSAETIMEDOUT; }
std::uint32_t TcpSocket::ClosedCode() { return WSAECONNRESET; }

}  // namespace r742
