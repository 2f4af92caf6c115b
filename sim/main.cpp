// r742-node-sim: a line of simulated nodes on a pseudo-terminal, a serial
// device or a TCP port (as behind a serial device server).
#include <signal.h>  // NOLINT(modernize-deprecated-headers): sigaction is POSIX-only
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "frame_log.h"
#include "line_server.h"
#include "pseudo_terminal.h"
#include "serial_device.h"
#include "sim_line.h"
#include "sim_node.h"
#include "sim_options.h"
#include "tcp_listener.h"

namespace {

constexpr int kPtyGapMs = 3;
constexpr int kProgramCloseWaitMs = 2000;
std::atomic<bool> g_stopRequested{false};
std::atomic<r742::LineServer*> g_server{nullptr};
int g_stopFd = -1;  // readable once a stop was asked for, while waiting for a connection

void OnSignal(int /*signal*/) {
  g_stopRequested = true;
  if (r742::LineServer* server = g_server.load()) server->RequestStop();
  const std::uint64_t one = 1;
  if (g_stopFd >= 0 && write(g_stopFd, &one, sizeof one) < 0) return;
}

bool InstallSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

// One connection at a time, each served until the program on the other end
// closes it; the frame limit counts over all of them.
int ServeTcp(const std::string& hostPort, const r742::DeviceSettings& line, r742::SimLine& nodes,
             r742::LineServerOptions serverOptions) {
  using namespace r742;
  std::string error;
  TcpListener listener;
  g_stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (g_stopFd < 0 || !listener.Listen(hostPort, error)) {
    std::fprintf(stderr, "r742-node-sim: %s\n", error.empty() ? "cannot wait for connections" : error.c_str());
    return 1;
  }
  serverOptions.gapMs = kPtyGapMs;
  serverOptions.streamSettings = line;  // a socket shows no line settings: the command line's
  std::printf("%s\n", listener.Address().c_str());
  std::fflush(stdout);
  const std::uint64_t limit = serverOptions.frameLimit;
  std::uint64_t handled = 0;
  while (!g_stopRequested) {
    const int connection = listener.Accept(g_stopFd);
    if (connection < 0) break;
    serverOptions.frameLimit = limit == 0 ? 0 : limit - handled;
    {
      LineServer server(nodes, connection, serverOptions);
      g_server = &server;
      if (g_stopRequested) server.RequestStop();
      server.Run();  // false: the connection ended; the next one is awaited
      g_server = nullptr;
      handled += server.FramesHandled();
    }
    close(connection);
    if (limit != 0 && handled >= limit) break;
  }
  return 0;
}

int Serve(const r742::SimOptions& options) {
  using namespace r742;
  if (!InstallSignalHandlers()) {
    std::fprintf(stderr, "r742-node-sim: cannot handle signals\n");
    return 1;
  }
  std::string error;
  FrameLog log;
  if (!options.logPath.empty() && !log.Open(options.logPath)) {
    std::fprintf(stderr, "r742-node-sim: cannot open log %s\n", options.logPath.c_str());
    return 1;
  }

  LineServerOptions serverOptions;
  serverOptions.log = log.IsOpen() ? &log : nullptr;
  serverOptions.frameLimit = options.exitAfterFrames;
  serverOptions.wire = options.wire;
  SimLine nodes;
  for (const SimNodeOptions& wanted : options.nodes) {
    const std::size_t place = nodes.Size();
    GiveMeterOfPlace(nodes.Add(SimNode(wanted.node, wanted.order.value_or(options.order)), wanted.listensAt), place);
  }
  nodes.SetFaults(options.faults);
  if (options.control) {
    serverOptions.controlFd = STDIN_FILENO;
    serverOptions.onControlLine = [&nodes](std::string_view line) {
      std::string error;
      SimFaults faults;
      if (ParseFaultLine(line, faults, error)) {
        nodes.SetFaults(faults);
        std::printf("faults: %.*s\n", static_cast<int>(line.size()), line.data());
      } else {
        std::printf("error: %s\n", error.c_str());
      }
      std::fflush(stdout);
    };
  }
  if (!options.tcp.empty()) return ServeTcp(options.tcp, options.line, nodes, serverOptions);

  PseudoTerminal pty;
  int fd = -1;
  std::string path;
  if (options.device.empty()) {
    if (!pty.Open(error) || (!options.link.empty() && !pty.MakeLink(options.link, error))) {
      std::fprintf(stderr, "r742-node-sim: %s\n", error.c_str());
      return 1;
    }
    fd = pty.MasterFd();
    path = pty.SlavePath();
    serverOptions.gapMs = kPtyGapMs;
  } else {
    fd = OpenSerialDevice(options.device, options.line, error);
    if (fd < 0) {
      std::fprintf(stderr, "r742-node-sim: %s\n", error.c_str());
      return 1;
    }
    path = options.device;
    serverOptions.gapMs = InterFrameGapMs(options.line);
    serverOptions.drainWrites = true;
    serverOptions.parityVisible = true;
    serverOptions.wire.deviceSends = true;  // its UART paces the bytes; the wire keeps the time
  }

  bool ok = false;
  {
    LineServer server(nodes, fd, serverOptions);
    g_server = &server;
    if (g_stopRequested) server.RequestStop();
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    ok = server.Run();
    const bool limitReached = options.exitAfterFrames != 0 && server.FramesHandled() >= options.exitAfterFrames;
    if (ok && limitReached && options.device.empty()) pty.AwaitProgramClose(kProgramCloseWaitMs);
    g_server = nullptr;
  }
  if (!options.device.empty()) close(fd);
  if (!ok) std::fprintf(stderr, "r742-node-sim: the line failed\n");
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    r742::SimOptions options;
    std::string error;
    if (!r742::ParseSimOptions(args, options, error)) {
      std::fprintf(stderr, "r742-node-sim: %s\n%s", error.c_str(), r742::SimUsage());
      return 2;
    }
    if (options.help) {
      std::fputs(r742::SimUsage(), stdout);
      return 0;
    }
    return Serve(options);
  } catch (...) {
    std::fprintf(stderr, "r742-node-sim: out of memory\n");
    return 1;
  }
}
