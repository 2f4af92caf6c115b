// Serves a simulated node, or a line of them, on a serial line's file
// descriptor (a pseudo-terminal master or an opened device): a request ends
// when the line has been quiet for the inter-frame gap; the reply chunks go
// out with their delays. When a request ends, the terminal attributes of the
// descriptor tell the line at which baud rate and stop bits it was sent (a
// pseudo-terminal's master shows those its program set on the slave).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "frame_log.h"
#include "sim_line.h"
#include "sim_node.h"

namespace r742 {

// Bytes kept of one request; a longer burst is dropped as noise.
inline constexpr std::size_t kMaxRequestBytes = 512;

struct LineServerOptions {
  int gapMs = 3;                 // quiet time that ends a request
  bool drainWrites = false;      // wait until written bytes left a real device before timing the next chunk
  std::uint64_t frameLimit = 0;  // stop after this many frames; 0 = never
  FrameLog* log = nullptr;       // not owned
  bool parityVisible = false;    // the descriptor's parity is the line's (a device; not a pseudo-terminal)
  // Optional control input (not owned): each line is handed over between
  // requests, never while a reply is due. Lines longer than kMaxControlLine are dropped.
  int controlFd = -1;
  std::function<void(std::string_view line)> onControlLine{};
};

inline constexpr std::size_t kMaxControlLine = 256;

class LineServer {
 public:
  // `fd` is not owned and is switched to non-blocking. The node or line
  // belongs to the server while it runs. A lone node hears every setting.
  LineServer(SimNode& node, int fd, LineServerOptions options);
  LineServer(SimLine& line, int fd, LineServerOptions options);
  ~LineServer();  // stops and joins the thread
  LineServer(const LineServer&) = delete;
  LineServer& operator=(const LineServer&) = delete;

  // Serves on the calling thread until RequestStop, the frame limit or a line
  // error (then false).
  bool Run();
  // Serves on a thread of its own; Stop() ends it promptly.
  bool Start();
  void Stop();
  // Safe to call from a signal handler.
  void RequestStop();

  std::uint64_t FramesHandled() const { return frames_.load(); }

 private:
  using Clock = std::chrono::steady_clock;
  LineServer(SimNode* node, SimLine* line, int fd, LineServerOptions options);
  // False when a stop was requested meanwhile.
  bool SleepUntil(Clock::time_point due);
  bool WriteAll(const std::vector<std::uint8_t>& bytes);
  // Reads what the control input holds and hands over each complete line; at
  // its end the control input is no longer watched.
  void ReadControl();
  // Handles one request and sends the reply; false when a stop was requested meanwhile.
  bool Serve(std::span<const std::uint8_t> request, Clock::time_point requestEnd);

  // The settings the line carries now, as far as the descriptor shows them.
  SimLineSettings SentAt() const;

  SimNode* node_;  // the one of the two that is served
  SimLine* line_;
  int fd_;
  LineServerOptions options_;
  int stopFd_ = -1;
  int controlFd_ = -1;
  std::string controlLine_;
  bool controlLineTooLong_ = false;
  std::atomic<std::uint64_t> frames_{0};
  std::thread thread_;
};

}  // namespace r742
