#include "line_server.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>
#include <utility>

#include "serial/posix/termios_settings.h"

namespace r742 {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWriteTimeoutMs = 1000;

int MillisUntil(Clock::time_point due) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now());
  return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 60'000));
}

// The wire's times: microseconds of the steady clock.
std::int64_t NowUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}
Clock::time_point AtUs(std::int64_t us) { return Clock::time_point(std::chrono::microseconds(us)); }

// Until `due` in nanoseconds, for ppoll: at 115200 baud a character takes 95 us.
timespec Until(std::int64_t dueUs) {
  const auto left = std::max(AtUs(dueUs) - Clock::now(), Clock::duration::zero());
  const std::int64_t ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
  return {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

// A UART hands bytes over on time whatever else the machine does; a serving
// thread that a busy machine wakes late would cut a reply in two where the
// line has no gap. So it asks for real-time scheduling where it may (as root);
// elsewhere it runs as it is. It sleeps between bytes, never spins.
void TakeLinePriority() {
  sched_param param{};
  param.sched_priority = 10;
  (void)pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

}  // namespace

LineServer::LineServer(SimNode& node, int fd, LineServerOptions options)
    : LineServer(&node, nullptr, fd, std::move(options)) {}

LineServer::LineServer(SimLine& line, int fd, LineServerOptions options)
    : LineServer(nullptr, &line, fd, std::move(options)) {}

LineServer::LineServer(SimNode* node, SimLine* line, int fd, LineServerOptions options)
    : node_(node), line_(line), fd_(fd), options_(std::move(options)), wire_(options_.wire) {
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
  TakeLinePriority();
  for (;;) {
    const std::int64_t now = NowUs();
    if (const auto due = RequestDueUs(); due && *due <= now) Serve();
    Deliver(now);
    if (unanswered_ > 0 && !wire_.NextDueUs()) {  // every reply served so far is out
      const std::uint64_t handled = frames_ += unanswered_;
      unanswered_ = 0;
      if (options_.frameLimit != 0 && handled >= options_.frameLimit) return true;
    }

    std::optional<std::int64_t> wake = wire_.NextDueUs();
    if (const auto due = RequestDueUs()) wake = std::min(wake.value_or(*due), *due);
    const timespec timeout = wake ? Until(*wake) : timespec{};
    // A control line waits while a request comes in or a reply is due.
    const int control = requestOpen_ || unanswered_ > 0 || wake ? -1 : controlFd_;
    pollfd fds[3] = {{fd_, POLLIN, 0}, {stopFd_, POLLIN, 0}, {control, POLLIN, 0}};
    if (handedBytes_ - deliveredBytes_ >= kMaxBytesOnTheirWay) fds[0].events = 0;  // the program's bytes wait
    if (ppoll(fds, 3, wake ? &timeout : nullptr, nullptr) < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (fds[1].revents != 0) return true;  // a reply still due is not sent, its request not counted
    if (fds[0].revents & POLLIN) {
      if (!Receive()) return false;
      continue;
    }
    if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return false;
    if (fds[2].revents != 0) ReadControl();
  }
}

bool LineServer::Receive() {
  std::array<std::uint8_t, 256> chunk;
  const ssize_t n = read(fd_, chunk.data(), chunk.size());
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
  if (n <= 0) return false;
  const std::int64_t now = NowUs();
  if (!requestOpen_) TakeRate();  // the program has set its end for this request by now
  const std::span<const std::uint8_t> bytes(chunk.data(), static_cast<std::size_t>(n));
  const bool echo = Echoes();
  wire_.FromProgram(bytes, now, echo);
  if (echo) handedBytes_ += bytes.size();
  const std::size_t keep = std::min(bytes.size(), request_.size() - requestLength_);
  std::copy_n(bytes.begin(), keep, request_.begin() + static_cast<std::ptrdiff_t>(requestLength_));
  requestLength_ += keep;
  requestOverflow_ = requestOverflow_ || keep < bytes.size();
  requestOpen_ = true;
  lastArrivalUs_ = now;
  return true;
}

std::optional<std::int64_t> LineServer::RequestDueUs() const {
  if (!requestOpen_) return std::nullopt;
  return std::max(lastArrivalUs_ + std::int64_t{options_.gapMs} * 1000, wire_.RequestEndUs());
}

void LineServer::Serve() {
  const std::span<const std::uint8_t> request(request_.data(), requestLength_);
  if (options_.log) options_.log->Write(FrameLog::Direction::kReceived, request, AtUs(wire_.RequestEndUs()));
  if (!requestOverflow_) {
    const ReplyPlan plan = line_ ? line_->HandleRequest(request, SentAt()) : node_->HandleRequest(request);
    wire_.Reply(plan);
    for (const ReplyChunk& chunk : plan) {
      if (chunk.bytes.empty()) continue;
      handedBytes_ += chunk.bytes.size();
      sentChunks_.push_back({handedBytes_, chunk.bytes});
    }
  }
  requestLength_ = 0;
  requestOpen_ = requestOverflow_ = false;
  ++unanswered_;
}

void LineServer::Deliver(std::int64_t nowUs) {
  std::vector<std::uint8_t> bytes;
  for (const TimedBytes& packet : wire_.TakeDue(nowUs))
    bytes.insert(bytes.end(), packet.bytes.begin(), packet.bytes.end());
  if (bytes.empty()) return;
  // A reply nobody takes off the line is dropped; a broken line shows at the next read.
  const bool written = WriteAll(bytes);
  if (written && options_.drainWrites) tcdrain(fd_);
  const Clock::time_point at = Clock::now();
  deliveredBytes_ += bytes.size();
  while (!sentChunks_.empty() && sentChunks_.front().endByte <= deliveredBytes_) {
    if (written && options_.log) options_.log->Write(FrameLog::Direction::kSent, sentChunks_.front().bytes, at);
    sentChunks_.pop_front();
  }
}

SimLineSettings LineServer::SentAt() const {
  termios tio{};
  if (tcgetattr(fd_, &tio) != 0) return {};  // not a terminal: nothing known
  SimLineSettings settings = SimLineSettingsOf(LineSettingsFrom(tio));
  if (!options_.parityVisible) settings.parity = 0;
  return settings;
}

void LineServer::TakeRate() {
  termios tio{};
  if (tcgetattr(fd_, &tio) == 0) {
    const LineSettings s = LineSettingsFrom(tio);  // a pseudo-terminal never shows a parity bit
    wire_.SetRate(s.baud, BitsPerChar(s));
  } else if (options_.streamSettings) {
    const DeviceSettings& s = *options_.streamSettings;
    wire_.SetRate(s.baud, BitsPerChar({.baud = s.baud, .parity = s.parity, .stopBits = s.stopBits}));
  } else {
    wire_.SetRate(0, 0);
  }
}

bool LineServer::Echoes() const { return line_ ? line_->Echoes() : node_->Faults().echo; }

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
