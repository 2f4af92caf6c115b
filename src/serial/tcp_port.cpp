#include "serial/tcp_port.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "os/system_error.h"
#include "serial/read_limits.h"

namespace r742 {
namespace {

constexpr std::int64_t kNsPerMs = 1000000;

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// A wait until `deadline` in whole milliseconds, rounded up so that it never
// ends before the deadline.
std::int64_t MsUntil(std::int64_t deadline) { return (deadline - NowNs() + kNsPerMs - 1) / kNsPerMs; }

// The write time-outs, or a second and a millisecond a byte where they are off.
std::uint64_t WriteCapMs(const CommTimeouts& t, std::uint32_t length) {
  if (t.writeTotalMultiplier == 0 && t.writeTotalConstant == 0) return 1000 + std::uint64_t{length};
  return std::uint64_t{t.writeTotalMultiplier} * length + t.writeTotalConstant;
}

// A connect handed to a thread of its own, which may outlive the wait.
struct PendingConnect {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::unique_ptr<TcpSocket> socket;
  std::string why;
};

// The system's name lookup has no time limit of its own (a DNS server that
// does not answer holds it for many seconds), so the connect runs on a thread
// and is given up once the time is over; a socket it still gets is closed.
std::unique_ptr<TcpSocket> ConnectWithin(const TcpAddress& address, std::uint32_t timeoutMs, std::string& why) {
  auto pending = std::make_shared<PendingConnect>();
  try {
    std::thread([pending, address, timeoutMs] {
      std::string reason;
      std::unique_ptr<TcpSocket> socket = TcpSocket::Connect(address, timeoutMs, reason);
      const std::lock_guard lock(pending->mutex);
      pending->socket = std::move(socket);
      pending->why = std::move(reason);
      pending->finished = true;
      pending->done.notify_one();
    }).detach();
  } catch (const std::system_error&) {
    return TcpSocket::Connect(address, timeoutMs, why);  // no thread to be had: wait as long as it takes
  }
  constexpr auto kGrace = std::chrono::milliseconds(100);  // the connect's own time-out ends it first
  std::unique_lock lock(pending->mutex);
  if (!pending->done.wait_for(lock, std::chrono::milliseconds(timeoutMs) + kGrace, [&] { return pending->finished; })) {
    why = address.host + ": no answer within " + std::to_string(timeoutMs) + " ms";
    return nullptr;
  }
  why = pending->why;
  return std::move(pending->socket);
}

}  // namespace

std::unique_ptr<TcpPort> TcpPort::Open(const TcpAddress& address, std::string& why, std::uint32_t connectTimeoutMs) {
  std::unique_ptr<TcpSocket> socket = ConnectWithin(address, connectTimeoutMs, why);
  if (!socket) return nullptr;
  return std::unique_ptr<TcpPort>(new TcpPort(std::move(socket), TcpAddressText(address)));
}

std::unique_ptr<ISerialPort> OpenDeviceServer(const std::string& text, std::string& why) {
  const std::optional<TcpAddress> address = ParseTcpAddress(text, &why);
  if (!address) return nullptr;
  return TcpPort::Open(*address, why);
}

bool TcpPort::Broken(std::uint32_t error) {
  lastError_ = error;
  broken_ = true;
  return false;
}

std::string TcpPort::LastErrorText() const {
  if (lastError_ == TcpSocket::ClosedCode()) return "the device server at " + address_ + " closed the connection";
  return SystemErrorText(lastError_);
}

bool TcpPort::SetupComm(std::uint32_t /*inQueue*/, std::uint32_t /*outQueue*/) { return !broken_; }

bool TcpPort::GetCommState(LineSettings& settings) {
  settings = settings_;
  return true;
}

bool TcpPort::SetCommState(const LineSettings& settings) {
  settings_ = settings;
  if (!settingsNoticeGiven_) {
    settingsNoticeGiven_ = true;
    notice_ = "the device server at " + address_ + " holds the line settings; they are sent nowhere";
  }
  return true;
}

bool TcpPort::GetCommTimeouts(CommTimeouts& timeouts) {
  timeouts = timeouts_;
  return true;
}

bool TcpPort::SetCommTimeouts(const CommTimeouts& timeouts) {
  timeouts_ = timeouts;
  return true;
}

std::string TcpPort::TakeNotice() { return std::exchange(notice_, {}); }

bool TcpPort::Write(const std::uint8_t* data, std::uint32_t length, std::uint32_t& written) {
  written = 0;
  if (broken_) return false;
  const std::uint64_t capMs = WriteCapMs(timeouts_, length);
  const std::int64_t deadline =
      NowNs() + static_cast<std::int64_t>(std::min<std::uint64_t>(capMs, 1ULL << 40)) * kNsPerMs;
  while (written < length) {
    std::uint32_t moved = 0;
    switch (socket_->Send(data + written, length - written, moved)) {
      case TcpSocket::Outcome::kMoved: written += moved; continue;
      case TcpSocket::Outcome::kWouldBlock: break;
      case TcpSocket::Outcome::kClosed: return Broken(TcpSocket::ClosedCode());
      case TcpSocket::Outcome::kFailed: return Broken(socket_->Error());
    }
    const std::int64_t left = MsUntil(deadline);
    if (left <= 0) return Broken(TcpSocket::TimedOutCode());
    if (!socket_->Wait(true, left)) return Broken(socket_->Error());
  }
  return true;
}

bool TcpPort::Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& received) {
  received = 0;
  if (broken_) return false;
  if (count == 0) return true;
  const ReadLimits limits = ReadLimitsFor(timeouts_, count);
  const std::int64_t start = NowNs();
  std::int64_t lastData = 0;
  for (;;) {
    std::uint32_t moved = 0;
    switch (socket_->Receive(buffer + received, count - received, moved)) {
      case TcpSocket::Outcome::kMoved:
        received += moved;
        lastData = NowNs();
        if (received == count) return true;
        continue;
      case TcpSocket::Outcome::kWouldBlock: break;
      case TcpSocket::Outcome::kClosed: return Broken(TcpSocket::ClosedCode());
      case TcpSocket::Outcome::kFailed: return Broken(socket_->Error());
    }
    if (limits.immediate) return true;

    std::optional<std::int64_t> deadline;
    if (limits.totalMs != 0) deadline = start + limits.totalMs * kNsPerMs;
    if (received > 0 && limits.intervalMs != 0) {
      const std::int64_t quietEnd = lastData + limits.intervalMs * kNsPerMs;
      deadline = deadline ? std::min(*deadline, quietEnd) : quietEnd;
    }
    std::int64_t waitMs = -1;
    if (deadline) {
      waitMs = MsUntil(*deadline);
      if (waitMs <= 0) return true;
    }
    if (!socket_->Wait(false, waitMs)) return Broken(socket_->Error());
  }
}

bool TcpPort::PurgeReceive() {
  if (broken_) return false;
  // Bounded, so that a peer that never stops sending cannot hold the purge.
  constexpr int kMostChunks = 256;
  std::array<std::uint8_t, 4096> scratch{};
  for (int i = 0; i < kMostChunks; ++i) {
    std::uint32_t moved = 0;
    switch (socket_->Receive(scratch.data(), static_cast<std::uint32_t>(scratch.size()), moved)) {
      case TcpSocket::Outcome::kMoved: continue;
      case TcpSocket::Outcome::kWouldBlock: return true;
      case TcpSocket::Outcome::kClosed: return Broken(TcpSocket::ClosedCode());
      case TcpSocket::Outcome::kFailed: return Broken(socket_->Error());
    }
  }
  return true;
}

bool TcpPort::ClearCommError(std::uint32_t& errors) {
  errors = 0;
  return !broken_;
}

}  // namespace r742
