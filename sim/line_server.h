// Serves a simulated node, or a line of them, on a serial line's file
// descriptor (a pseudo-terminal master, an opened device or a TCP
// connection), as slow as a real line: every byte crosses a PacedWire. The
// program's bytes leave the wire one character after another from when they
// arrive (an echoing line gives each back as it leaves); a request reaches
// the nodes once its last byte has left the wire and no new byte came for
// the gap; the reply reaches the program byte by byte, or in an adapter's
// packets, never before its time. At each request the descriptor's terminal
// attributes give the rate (a pseudo-terminal's master shows those its
// program set on the slave), and the settings the nodes hear.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "frame_log.h"
#include "paced_wire.h"
#include "serial_device.h"
#include "sim_line.h"
#include "sim_node.h"

namespace r742 {

// Bytes kept of one request; a longer burst is dropped as noise.
inline constexpr std::size_t kMaxRequestBytes = 512;
// Bytes on their way to the program at most (echoes and replies): beyond
// them the program's next bytes wait in its own buffer, as with a full UART.
inline constexpr std::uint64_t kMaxBytesOnTheirWay = 8192;

struct LineServerOptions {
  int gapMs = 3;                 // quiet time after the last byte came in that ends a request
  bool drainWrites = false;      // wait until written bytes left a real device before logging them
  std::uint64_t frameLimit = 0;  // stop after this many frames; 0 = never
  FrameLog* log = nullptr;       // not owned
  bool parityVisible = false;    // the descriptor's parity is the line's (a device; not a pseudo-terminal)
  // Optional control input (not owned): each line is handed over between
  // requests, never while a reply is due. Lines longer than kMaxControlLine are dropped.
  int controlFd = -1;
  std::function<void(std::string_view line)> onControlLine{};
  WireOptions wire{};  // the line's timing: paced unless instant
  // The line settings of a descriptor without terminal attributes (a TCP
  // port); unset, there as on a socket pair, bytes cross at once.
  std::optional<DeviceSettings> streamSettings{};
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
  // A reply chunk on its way, logged once the program has been handed `endByte` bytes in all.
  struct SentChunk {
    std::uint64_t endByte = 0;
    std::vector<std::uint8_t> bytes;
  };

  LineServer(SimNode* node, SimLine* line, int fd, LineServerOptions options);
  // Takes what the line holds into the request and onto the wire; false when the line failed.
  bool Receive();
  // When the request coming in is complete: its last byte has left the wire
  // and none came for the gap; none while no request is coming in.
  std::optional<std::int64_t> RequestDueUs() const;
  // Hands the complete request to the nodes and their reply to the wire.
  void Serve();
  // Writes every byte due by `nowUs` in one write, and logs the reply chunks it completes.
  void Deliver(std::int64_t nowUs);
  bool WriteAll(const std::vector<std::uint8_t>& bytes);
  // Reads what the control input holds and hands over each complete line; at
  // its end the control input is no longer watched.
  void ReadControl();

  // The settings the line carries now, as far as the descriptor shows them.
  SimLineSettings SentAt() const;
  // The wire's rate for the request that begins now.
  void TakeRate();
  bool Echoes() const;

  SimNode* node_;  // the one of the two that is served
  SimLine* line_;
  int fd_;
  LineServerOptions options_;
  PacedWire wire_;
  int stopFd_ = -1;
  int controlFd_ = -1;
  std::string controlLine_;
  bool controlLineTooLong_ = false;
  std::atomic<std::uint64_t> frames_{0};
  std::thread thread_;

  // The request coming in, its bytes beyond kMaxRequestBytes dropped.
  std::array<std::uint8_t, kMaxRequestBytes> request_{};
  std::size_t requestLength_ = 0;
  bool requestOpen_ = false;
  bool requestOverflow_ = false;
  std::int64_t lastArrivalUs_ = 0;
  std::uint64_t unanswered_ = 0;      // requests served whose reply is still on its way
  std::uint64_t handedBytes_ = 0;     // given to the wire for the program so far: echoes and replies
  std::uint64_t deliveredBytes_ = 0;  // written to the program so far
  std::deque<SentChunk> sentChunks_;
};

}  // namespace r742
