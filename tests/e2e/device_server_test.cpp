// The window (on the headless backend, with the machine's own ports) and the
// r742 program against r742-node-sim serving a TCP port on the loopback
// address, as a line behind a serial device server.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>

#include "frame_log.h"
#include "modbus/modbus_test_support.h"
#include "serial/tcp_port.h"
#include "sim/child_process.h"
#include "ui/window_fixture.h"

namespace r742::test {
namespace {

using simtest::ChildProcess;
using simtest::Clock;
using namespace std::chrono_literals;

class DeviceServer : public MainWindowTest {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir);
    // Node 2 keeps its floats in order 0; behind a device server both hear every setting.
    ASSERT_TRUE(sim.Start({R742_NODE_SIM_PATH, "--tcp", "127.0.0.1:0", "--log", frameLog, "--node", "1", "--node",
                           "2:order=0,baud=9600"}));
    address = sim.FirstLine(Clock::now() + 10s);
    ASSERT_TRUE(address.starts_with("tcp://127.0.0.1:")) << sim.Output();
    setenv("R742_COM1", address.c_str(), 1);
  }
  void TearDown() override {
    dlg.m_hPort.reset();
    unsetenv("R742_COM1");
    std::filesystem::remove_all(dir);
  }

  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), R742_CLI_PATH);
    return simtest::RunToEnd(args, output);
  }
  bool Logged(const std::string& row) const {
    const Strings rows = LogRows();
    return std::find(rows.begin(), rows.end(), row) != rows.end();
  }

  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("r742-tcp-" + std::to_string(getpid()));
  std::string frameLog = (dir / "frames.log").string();
  ChildProcess sim;
  std::string address, output;
};

TEST_F(DeviceServer, TheWindowReadsSendsAndReleasesAndConnectsAgainAfterTheConnectionDropped) {
  Open("COM1 38400 N 8 2 1 300 2");  // the Read starts as the window opens
  RunToIdle();
  EXPECT_EQ(Text(IDC_SYS_VOLTS), "230.0");
  EXPECT_EQ(Text(IDC_STATUS_LEFT), "COM1: baud=38400 parity=N data=8 stop=2");
  EXPECT_TRUE(Logged("COM1 is " + address));
  EXPECT_TRUE(Logged("the device server at " + address + " holds the line settings; they are sent nowhere"));

  window->Click(IDC_SEND);
  RunToIdle();
  window->Click(IDC_RELEASE);
  RunToIdle();
  EXPECT_EQ(Text(IDC_STATUS_LEFT), "No Port Open");
  std::vector<LoggedFrame> rx = ReadFrameLogFile(frameLog);
  std::erase_if(rx, [](const LoggedFrame& f) { return f.direction != FrameLog::Direction::kReceived; });
  ASSERT_EQ(rx.size(), 5u + 2u + 5u + 1u) << "Read; pass code and outputs, read back; Release";
  EXPECT_EQ(rx.back().bytes, Hex("01 10 00 46 00 02 04 00 00 00 00 77 B5"));

  window->Click(IDC_READ);
  RunToIdle();
  sim.Signal(SIGTERM);  // the device server goes away with the connection open
  ASSERT_EQ(sim.Wait(Clock::now() + 10s), 0);
  window->Click(IDC_READ);
  const Timeline seen = RunToIdle();
  EXPECT_TRUE(std::any_of(seen.begin(), seen.end(),
                          [](const auto& s) { return s.second == "Function Not Supported or Node Not Responding"; }));
  EXPECT_TRUE(Logged("COM1 (" + address + ") lost its connection. The next Read connects again"));
  EXPECT_EQ(Text(IDC_STATUS_LEFT), "No Port Open");

  const auto start = Clock::now();
  window->Click(IDC_READ);  // connects again: refused, nothing listens now
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kTcpConnectTimeoutMs));
  EXPECT_EQ(Text(IDC_STATUS_RIGHT), "CreateFile");
  EXPECT_EQ(LastLogRows(1), Strings{"COM1 (" + address + "): Connection refused"});
}

TEST_F(DeviceServer, R742ScansNodeNumbersOnlyThenReadsSendsAndReleases) {
  ASSERT_EQ(Run({"scan", address, "--nodes", "1-3"}), 0) << output;
  EXPECT_NE(output.find(address + "  the device server's line setting  node 2  byte order 0"), std::string::npos)
      << output;
  EXPECT_EQ(output.find("probing"), output.rfind("probing")) << "one setting probed:\n" << output;

  const std::string config = (dir / "site.json").string(), record = (dir / "record.jsonl").string();
  ASSERT_EQ(Run({"read", "--port", address, "--node", "2", "--order", "0", "-o", config}), 0) << output;
  EXPECT_NE(output.find("400.0 V  1.000 A"), std::string::npos) << output;
  ASSERT_EQ(Run({"send", config, "--report", record, "--json"}), 0) << output;
  EXPECT_NE(output.find("\"check\": \"same\""), std::string::npos) << output;
  EXPECT_EQ(Run({"release", "--port", address, "--node", "2"}), 0) << output;

  sim.Signal(SIGTERM);
  ASSERT_EQ(sim.Wait(Clock::now() + 10s), 0);
  EXPECT_EQ(Run({"read", "--port", address}), 3) << output;
  EXPECT_NE(output.find("CreateFile failed: " + address + ": Connection refused"), std::string::npos) << output;
}

}  // namespace
}  // namespace r742::test
