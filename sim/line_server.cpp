#include "line_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <utility>

#include "serial/posix/termios_settings.h"

namespace r742 {

namespace {

constexpr int kWriteTimeoutMs = 1000;

int MillisUntil(std::chrono::steady_clock::time_point due) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - std::chrono::steady_clock::now());
  return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 60'000));
}

}  // namespace

LineServer::LineServer(SimNode& node, int fd, LineServerOptions options)
    : LineServer(&node, nullptr, fd, std::move(options)) {}

LineServer::LineServer(SimLine& line, int fd, LineServerOptions options)
    : LineServer(nullptr, &line, fd, std::move(options)) {}

LineServer::LineServer(SimNode* node, SimLine* line, int fd, LineServerOptions options)
    : node_(node), line_(line), fd_(fd), options_(std::move(options)) {
  if (options_.onControlLine) controlFd_ = options_.controlFd;
  stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  const int flags = fcntl(fd_, F_GETFL);
  if (flags >= 0) fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
}

LineServer::~LineServer() {
  Stop();
  if (stopFd_ >= 0) close(stopFd_);
}

// Not const: signalling the stop event changes what the server does next.
void LineServer::RequestStop() {  // NOLINT(readability-make-member-function-const)
  const std::uint64_t one = 1;
  if (stopFd_ < 0) return;
  const ssize_t n = write(stopFd_, &one, sizeof one);
  (void)n;  // the counter cannot overflow from a handful of stops
}

bool LineServer::Start() {
  if (stopFd_ < 0 || thread_.joinable()) return false;
  try {
    thread_ = std::thread([this] {
      try {
        Run();
      } catch (...) {
      }
    });
  } catch (...) {
    return false;
  }
  return true;
}

void LineServer::Stop() {
  if (!thread_.joinable()) return;
  RequestStop();
  thread_.join();
}

bool LineServer::Run() {
  if (stopFd_ < 0) return false;
  std::array<std::uint8_t, kMaxRequestBytes> frame;
  std::size_t length = 0;
  bool overflow = false;
  Clock::time_point lastByte{};
  const auto gap = std::chrono::milliseconds(options_.gapMs);

  for (;;) {
    const int timeout = length > 0 || overflow ? MillisUntil(lastByte + gap) : -1;
    // A control line waits while a request is coming in.
    const int control = length > 0 || overflow ? -1 : controlFd_;
    pollfd fds[3] = {{fd_, POLLIN, 0}, {stopFd_, POLLIN, 0}, {control, POLLIN, 0}};
    const int ready = poll(fds, 3, timeout);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (fds[1].revents != 0) return true;

    if (fds[0].revents & POLLIN) {
      std::array<std::uint8_t, 256> chunk;
      const ssize_t n = read(fd_, chunk.data(), chunk.size());
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (n <= 0) return false;
      const std::size_t keep = std::min<std::size_t>(static_cast<std::size_t>(n), frame.size() - length);
      std::copy_n(chunk.begin(), keep, frame.begin() + static_cast<std::ptrdiff_t>(length));
      length += keep;
      overflow = overflow || keep < static_cast<std::size_t>(n);
      lastByte = Clock::now();
      continue;
    }
    if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return false;
    if (fds[2].revents != 0) ReadControl();  // only between requests: the line had nothing

    if ((length > 0 || overflow) && Clock::now() >= lastByte + gap) {
      const std::span<const std::uint8_t> request(frame.data(), length);
      if (overflow) {
        if (options_.log) options_.log->Write(FrameLog::Direction::kReceived, request);
      } else if (!Serve(request, lastByte)) {
        return true;
      }
      length = 0;
      overflow = false;
      const std::uint64_t handled = ++frames_;
      if (options_.frameLimit != 0 && handled >= options_.frameLimit) return true;
    }
  }
}

bool LineServer::Serve(std::span<const std::uint8_t> request, Clock::time_point requestEnd) {
  if (options_.log) options_.log->Write(FrameLog::Direction::kReceived, request);
  const ReplyPlan plan = line_ ? line_->HandleRequest(request, SentAt()) : node_->HandleRequest(request);
  Clock::time_point previous = requestEnd;
  for (const ReplyChunk& chunk : plan) {
    // Chunk delays are line timing the node produces on purpose.
    if (!SleepUntil(previous + std::chrono::milliseconds(chunk.delayMs))) return false;
    // A reply nobody takes off the line is dropped; a broken line shows at the next read.
    if (!WriteAll(chunk.bytes)) break;
    if (options_.drainWrites) tcdrain(fd_);
    if (options_.log) options_.log->Write(FrameLog::Direction::kSent, chunk.bytes);
    previous = Clock::now();
  }
  return true;
}

SimLineSettings LineServer::SentAt() const {
  termios tio{};
  if (tcgetattr(fd_, &tio) != 0) return {};  // not a terminal: nothing known
  SimLineSettings settings = SimLineSettingsOf(LineSettingsFrom(tio));
  if (!options_.parityVisible) settings.parity = 0;
  return settings;
}

void LineServer::ReadControl() {
  std::array<char, 256> chunk;
  const ssize_t n = read(controlFd_, chunk.data(), chunk.size());
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (n <= 0) {
    controlFd_ = -1;
    return;
  }
  for (const char c : std::string_view(chunk.data(), static_cast<std::size_t>(n))) {
    if (c != '\n') {
      if (controlLine_.size() < kMaxControlLine)
        controlLine_ += c;
      else
        controlLineTooLong_ = true;
      continue;
    }
    if (!controlLineTooLong_) options_.onControlLine(controlLine_);
    controlLine_.clear();
    controlLineTooLong_ = false;
  }
}

bool LineServer::SleepUntil(Clock::time_point due) {
  for (;;) {
    pollfd p{stopFd_, POLLIN, 0};
    if (poll(&p, 1, MillisUntil(due)) > 0) return false;
    if (Clock::now() >= due) return true;
  }
}

bool LineServer::WriteAll(const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
  while (done < bytes.size()) {
    const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    pollfd fds[2] = {{fd_, POLLOUT, 0}, {stopFd_, POLLIN, 0}};
    if (poll(fds, 2, MillisUntil(deadline)) <= 0 || fds[1].revents != 0) return false;
  }
  return true;
}

}  // namespace r742
