// The main window on the headless backend with a simulated node on COM1 of
// an in-memory line: operations run on the virtual clock.
#pragma once

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "modbus/modbus_test_support.h"
#include "sim_node.h"
#include "support/memory_line.h"
#include "support/sim_line_peer.h"
#include "ui/window_fixture.h"

namespace r742::test {

// The requests of node 1 with float order 2.
const Bytes kReadSystem = Hex("01 03 00 00 00 38 44 18");
const Bytes kReadChannel1 = Hex("01 46 00 00 00 24 88 1E");
const Bytes kReadChannel2 = Hex("01 46 00 02 00 24 29 DE");
const Bytes kReadChannel3 = Hex("01 46 00 04 00 24 C9 DF");
const Bytes kReadOutputs = Hex("01 03 00 18 00 12 45 C0");
const Bytes kRelease = Hex("01 10 00 46 00 02 04 00 00 00 00 77 B5");
inline std::vector<Bytes> ReadFrames() {
  return {kReadSystem, kReadChannel1, kReadChannel2, kReadChannel3, kReadOutputs};
}

constexpr const char* kNoReply = "Function Not Supported or Node Not Responding";

// Status texts of a Read that succeeds, from its first request on.
inline Timeline ReadTimeline(std::uint64_t startMs, std::uint64_t responseMs) {
  const std::uint64_t step = responseMs + 300;
  return {{startMs, "Getting System Settings - Please Wait"},
          {startMs + step, "Getting Channel 1's Mode - Please Wait"},
          {startMs + 2 * step, "Getting Channel 2's Mode - Please Wait"},
          {startMs + 3 * step, "Getting Channel 3's Mode - Please Wait"},
          {startMs + 4 * step, "Reading Node's Output Settings"},
          {startMs + 4 * step + responseMs + 1000, "Ready"}};
}

class OperationTest : public MainWindowTest {
 public:  // fault tables arrange the node through it
  void SetUp() override {
    ports.Add("COM1", line);
    // The node answers every write as one frame, except a request given a scripted reply.
    line.SetPeer([this](std::span<const std::uint8_t> frame, std::int64_t nowUs) {
      for (const auto& [request, reply] : scripted)
        if (std::equal(frame.begin(), frame.end(), request.begin(), request.end()))
          return wire.Carry(line, frame, nowUs, node.Faults().echo, {{5, reply}});
      wire.Carry(line, frame, nowUs, node.Faults().echo, node.HandleRequest(frame));
    });
    logFile = ::testing::TempDir() + "r742_log_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::remove(logFile.c_str());
    dlg.m_strLogFileName = logFile;
  }
  void TearDown() override {
    dlg.m_hPort.reset();  // the line goes before the window
    std::remove(logFile.c_str());
  }

  // Eight tokens: the port opens and a Read starts as the window opens.
  void OpenLinked(const std::string& order = "2", const std::string& responseMs = "300") {
    Open("COM1 38400 N 8 2 1 " + responseMs + " " + order);
  }

  // `request` gets `reply` instead of the node's answer.
  void AnswerRequestWith(Bytes request, Bytes reply) { scripted.emplace_back(std::move(request), std::move(reply)); }

  // The frames the program wrote after the first `skipped`.
  std::vector<Bytes> WrittenAfter(std::size_t skipped) const {
    const auto& all = line.Written();
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(skipped, all.size())), all.end()};
  }

  std::vector<std::string> LogFileLines() const {
    Strings lines;
    std::ifstream file(logFile);
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }

  MemoryLine line{[this] { return static_cast<std::int64_t>(platform.Now()) * 1000; }};
  LineWire wire;
  MemoryPortProvider ports;
  PortProviderScope portScope{ports};
  SimNode node{1, 2};
  std::vector<std::pair<Bytes, Bytes>> scripted;
  std::string logFile;
};

}  // namespace r742::test
