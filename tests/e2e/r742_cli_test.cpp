// The r742 program against r742-node-sim on a pseudo-terminal: every command
// once as a user runs it, and Ctrl+C during a scan.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/child_process.h"

namespace r742 {
namespace {

using simtest::ChildProcess;
using simtest::Clock;
using namespace std::chrono_literals;

class R742Program : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir);
    // Node 2 keeps its floats in order 0 and listens at 9600 baud only.
    ASSERT_TRUE(sim.Start({R742_NODE_SIM_PATH, "--link", link, "--node", "1", "--node", "2:order=0,baud=9600"}));
    ASSERT_EQ(sim.FirstLine(Clock::now() + 10s).rfind("/dev/", 0), 0u);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  // Runs r742 with `args`; its exit code, and its output in `output`.
  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), R742_CLI_PATH);
    return simtest::RunToEnd(args, output);
  }

  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("r742-e2e-" + std::to_string(getpid()));
  std::string link = (dir / "line").string();
  ChildProcess sim;
  std::string output;
};

TEST_F(R742Program, ScansReadsSendsAndReleasesTheNodesOfALine) {
  ASSERT_EQ(Run({"scan", link, "--nodes", "1-3", "--baud", "38400,9600", "--parity", "N"}), 0) << output;
  EXPECT_NE(output.find("38400 N 8 2  node 1  byte order 2"), std::string::npos) << output;
  EXPECT_NE(output.find("9600 N 8 2  node 2  byte order 0"), std::string::npos) << output;

  const std::string config = (dir / "site.json").string(), record = (dir / "record.jsonl").string();
  ASSERT_EQ(Run({"read", "--port", link, "--node", "2", "--baud", "9600", "--order", "0", "-o", config}), 0) << output;
  EXPECT_NE(output.find("400.0 V  1.000 A"), std::string::npos) << output;

  // The file's own line settings and node, with the command line's order: node 2 again.
  ASSERT_EQ(Run({"send", config, "--order", "0", "--report", record, "--json"}), 0) << output;
  EXPECT_NE(output.find("\"check\": \"same\""), std::string::npos) << output;
  std::ifstream lines(record);
  std::string line;
  EXPECT_TRUE(std::getline(lines, line) && line.find("\"node\":2") != std::string::npos) << line;

  EXPECT_EQ(Run({"release", "--port", link}), 0) << output;
  EXPECT_EQ(Run({"read", "--port", link, "--node", "2"}), 4) << output;  // at 38400 node 2 hears nothing
  EXPECT_EQ(Run({"read", "--port", (dir / "none").string()}), 3) << output;
}

// The slowest line a user meets: 9600 baud, the request echoed back at the wire's rate, and
// every received byte handed over in a USB adapter's packets after its 16 ms latency.
TEST_F(R742Program, ScansReadsSendsAndReleasesOnAnEchoingLineBehindAnAdapter) {
  const std::string slow = (dir / "slow").string(), config = (dir / "slow.json").string();
  ChildProcess slowSim;
  ASSERT_TRUE(slowSim.Start(
      {R742_NODE_SIM_PATH, "--link", slow, "--node", "1:baud=9600", "--echo", "--latency", "16", "--packet", "62"}));
  ASSERT_EQ(slowSim.FirstLine(Clock::now() + 10s).rfind("/dev/", 0), 0u);
  ASSERT_EQ(Run({"scan", slow, "--nodes", "1-2", "--baud", "9600", "--parity", "N"}), 0) << output;
  EXPECT_NE(output.find("9600 N 8 2  node 1  byte order 2"), std::string::npos) << output;
  ASSERT_EQ(Run({"read", "--port", slow, "--baud", "9600", "-o", config}), 0) << output;
  ASSERT_EQ(Run({"send", config, "--json"}), 0) << output;
  EXPECT_NE(output.find("\"check\": \"same\""), std::string::npos) << output;
  EXPECT_EQ(Run({"release", "--port", slow, "--baud", "9600"}), 0) << output;
}

TEST_F(R742Program, CtrlCEndsAScanAtOnceAndPrintsWhatWasFound) {
  ChildProcess scan;
  ASSERT_TRUE(scan.Start({R742_CLI_PATH, "scan", link, "--nodes", "1,3-247", "--timeout", "100"}));
  ASSERT_TRUE(scan.AwaitOutput("found node 1", Clock::now() + 10s)) << scan.Output();
  scan.Signal(SIGINT);
  const auto sent = Clock::now();
  EXPECT_EQ(scan.Wait(Clock::now() + 10s), 130);
  EXPECT_LT(Clock::now() - sent, 1s);  // one probe, not the rest of the scan
  EXPECT_NE(scan.Output().find("38400 N 8 2  node 1"), std::string::npos) << scan.Output();
}

}  // namespace
}  // namespace r742
