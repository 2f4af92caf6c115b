// r742 run in-process against a line of simulated nodes on the in-memory line,
// on a virtual clock that follows the program's blocking reads.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/cli_commands.h"
#include "model/param_catalogue.h"
#include "site/scan.h"
#include "site/scan_session.h"
#include "site/site_clock.h"
#include "site/site_line.h"
#include "support/memory_line.h"
#include "support/sim_line_peer.h"

namespace r742 {
namespace {

class VirtualClock final : public SiteClock {
 public:
  std::int64_t NowUs() override { return now_; }
  void SleepUntilUs(std::int64_t due) override { now_ = std::max(now_, due); }
  void MoveTo(std::int64_t us) {
    now_ = std::max(now_, us);
    if (interruptAtUs_ != 0 && now_ >= interruptAtUs_) interrupt_->store(true);
  }
  std::int64_t now_ = 0;
  std::int64_t interruptAtUs_ = 0;
  std::atomic<bool>* interrupt_ = nullptr;
};

class CliTest : public ::testing::Test {
 protected:
  CliTest() {
    provider.Add("COM1", line);
    ConnectSimLine(line, nodes);
    line.SetReadEnded([this](std::int64_t endUs) { clock.MoveTo(endUs); });
    clock.interrupt_ = &interrupted;
    nodes.Add(SimNode(1, 2));
  }
  ~CliTest() override { std::filesystem::remove_all(dir); }

  int Run(std::vector<std::string> args) {
    out.str({});
    err.str({});
    args.insert(args.begin(), "r742");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    CliContext context{out, err, interrupted, clock, false};
    return RunR742(static_cast<int>(argv.size()), argv.data(), context);
  }
  std::string File(const std::string& name) { return (dir / name).string(); }

  VirtualClock clock;
  MemoryLine line{[this] { return clock.now_; }};
  MemoryPortProvider provider;
  PortProviderScope scope{provider};
  SimLine nodes;
  std::atomic<bool> interrupted{false};
  std::ostringstream out, err;
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("r742-cli-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
};

TEST_F(CliTest, CommandLinesEndWithTheirExitCodeAndSayWhy) {
  struct Case {
    std::vector<std::string> args;
    int exit;
    std::string text;  // in standard output or standard error
  };
  const Case cases[] = {
      {{"read"}, 0, "CH1  V L1-2"},
      {{"read", "--node", "9"}, 4, "node 9: system settings: no reply in 300 ms"},
      {{"read", "--nodes", "9,1"}, 4, "CH2  Hz"},  // each node reported, the worst code wins
      {{"read", "--port", "COM4"}, 3, "CreateFile failed"},
      {{"read", "--baud", "12345"}, 2, "12345 is not a standard baud rate"},
      {{"read", "--nodes", "3-1"}, 2, "\"3-1\" is not a node number"},
      {{"read", "--nodes", "1,2", "-o", "x.json"}, 2, "one node"},
      {{"send", "/nonexistent/site.json"}, 6, "nothing was written to any node"},
      {{"release"}, 0, "node 1 released"},
      {{"scan", "--nodes", "1-2", "--baud", "38400", "--parity", "N"}, 0, "node 1  byte order 2"},
      {{"scan", "--nodes", "5", "--baud", "9600"}, 4, "no node found"},
      {{"ports"}, 0, "COM1  free"},
      {{"format"}, 2, "format"},
      {{"--help"}, 0, "scan"},
  };
  for (const Case& c : cases) {
    const int code = Run(c.args);
    EXPECT_EQ(code, c.exit) << c.args[0] << " " << err.str();
    EXPECT_NE((out.str() + err.str()).find(c.text), std::string::npos) << out.str() << err.str();
  }
}

TEST_F(CliTest, ReadToAFileEditSendAndRecordEveryNode) {
  nodes.Add(SimNode(2, 0));
  const std::string config = File("site.json"), record = File("record.jsonl");
  std::filesystem::create_directories(dir);
  ASSERT_EQ(Run({"read", "-o", config}), 0) << err.str();
  std::stringstream text;
  text << std::ifstream(config).rdbuf();
  std::string edited = text.str();
  edited.replace(edited.find("\"V L1-2\""), 8, "\"kW Sum\"");
  edited.erase(edited.find("  \"node\": 1,\n"), 13);  // --nodes decides
  edited.erase(edited.find("  \"order\": 2,\n"), 14);
  std::ofstream(config) << edited;

  // Node 2 keeps its floats in another order: --order 0 for it.
  EXPECT_EQ(Run({"send", config, "--report", record}), 0) << err.str();
  EXPECT_EQ(Run({"send", config, "--node", "2", "--order", "0", "--report", record, "--keep"}), 0) << err.str();
  EXPECT_NE(out.str().find("CH1  V L1-2"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("->  kW Sum"), std::string::npos);
  for (std::size_t place : {0u, 1u}) EXPECT_EQ(nodes.Node(place).Value(13), float(GetParamCode("kW Sum")));
  EXPECT_FALSE(nodes.Node(0).Unlocked());  // released
  EXPECT_TRUE(nodes.Node(1).Unlocked());   // --keep

  std::ifstream lines(record);
  std::string first, second, third;
  std::getline(lines, first), std::getline(lines, second);
  EXPECT_NE(first.find("\"check\":\"same\""), std::string::npos) << first;
  EXPECT_NE(second.find("\"node\":2"), std::string::npos) << second;
  EXPECT_FALSE(std::getline(lines, third));

  // A bad file is refused before any byte goes to a node.
  std::ofstream(config) << edited.replace(edited.find("kW Sum"), 6, "kW Sun");
  const std::size_t writes = line.Written().size();
  EXPECT_EQ(Run({"send", config}), 6);
  EXPECT_NE(err.str().find("kW Sun"), std::string::npos) << err.str();
  EXPECT_EQ(line.Written().size(), writes);
}

TEST_F(CliTest, AValueTheNodeStoresOtherwiseIsReportedTheNodeReleasedAndNoOtherWritten) {
  std::filesystem::create_directories(dir);
  const std::string config = File("site.json");
  ASSERT_EQ(Run({"read", "-o", config}), 0);
  // The node limits the CH1 nominal it is given, as a node with other limits might.
  ConnectSimLine(line, nodes, {}, [this](std::span<const std::uint8_t> frame) {
    if (frame.size() > 1 && frame[1] == 16 && nodes.Node(0).Value(14) == 100.0f) nodes.Node(0).SetValue(14, 99.5f);
  });
  nodes.Add(SimNode(2, 2));
  EXPECT_EQ(Run({"send", config, "--nodes", "1,2"}), 5);
  EXPECT_NE(err.str().find("read-back differs: CH1 value 2"), std::string::npos) << err.str();
  EXPECT_FALSE(nodes.Node(0).Unlocked());
  EXPECT_NE(err.str().find("node 2: not written"), std::string::npos) << err.str();
  for (const auto& frame : line.Written()) EXPECT_NE(frame[0], 2) << "a request to node 2";
}

// Each reply ends once its length is in, not at the 20 ms quiet gap; the
// window's pace waits its response time and step gap around every request.
TEST_F(CliTest, ExchangesRunAtTheLinesPaceUnlessTheWindowsIsAsked) {
  nodes.Node(0).Faults().delayMs = 5;
  nodes.Node(0).Faults().echo = true;
  ASSERT_EQ(Run({"read"}), 0) << err.str();
  // The five frames and their echoes take 165 ms on the wire at 38400 with the node's turn-arounds;
  // waiting for the quiet gap after each reply would add 100.
  EXPECT_LT(clock.now_, 175'000);
  const std::int64_t start = clock.now_;
  ASSERT_EQ(Run({"read", "--pace", "window"}), 0) << err.str();
  EXPECT_GE(clock.now_ - start, 5 * (300 + 300) * 1000);
}

// Every baud rate of Port Setup, a line that hands bytes over at once or an
// adapter with its latency, a line that echoes or not, a quick node and one
// that takes a while: read, send and a scan all reach the node.
TEST_F(CliTest, ReadSendAndScanReachTheNodeOnEveryPacedLine) {
  std::filesystem::create_directories(dir);
  const std::string config = File("site.json");
  ASSERT_EQ(Run({"read", "-o", config}), 0) << err.str();
  for (const std::uint32_t baud : kScanBaudRates)
    for (const WireOptions wire : {WireOptions{}, WireOptions{.latencyUs = 16'000, .packetBytes = 62}})
      for (const bool echo : {false, true})
        for (const std::int64_t delayMs : {0, 120}) {
          ConnectSimLine(line, nodes, wire);
          nodes.Node(0).Faults() = {.echo = echo, .delayMs = delayMs};
          const std::string b = std::to_string(baud), what = b + (wire.packetBytes != 0 ? " adapter" : "") +
                                                             (echo ? " echo" : "") + " delay " +
                                                             std::to_string(delayMs);
          EXPECT_EQ(Run({"read", "--baud", b}), 0) << what << err.str();
          EXPECT_EQ(Run({"send", config, "--baud", b}), 0) << what << err.str();
          EXPECT_EQ(Run({"scan", "--baud", b, "--parity", "N", "--nodes", "1-2", "--timeout", "150"}), 0)
              << what << err.str();
          EXPECT_NE(out.str().find(b + " N 8 2  node 1  byte order 2"), std::string::npos) << what << out.str();
        }
}

TEST_F(CliTest, ScanFindsEachNodeAtItsSettingsWithItsByteOrder) {
  nodes.Add(SimNode(3, 0), {.baud = 9600, .stopBits = 0, .parity = 'E'});
  nodes.Add(SimNode(2, 3), {.baud = 9600, .stopBits = 0, .parity = 'N'});
  ASSERT_EQ(Run({"scan", "--nodes", "1-3", "--baud", "38400,9600", "--json"}), 0) << err.str();
  const std::string json = out.str();
  const auto at = [&](const char* text) { return json.find(text); };
  EXPECT_NE(at("\"node\": 1,\n      \"order\": 2"), std::string::npos) << json;
  EXPECT_NE(at("\"node\": 2,\n      \"order\": 3"), std::string::npos) << json;
  EXPECT_NE(at("\"node\": 3,\n      \"order\": 0"), std::string::npos) << json;
  EXPECT_LT(at("\"node\": 2"), at("\"node\": 3"));  // no parity before even

  // The time of a scan: each silent probe costs its time-out and the request
  // on the wire (8 bytes of 11 bits at 9600 baud, 9.2 ms, waited as 10), and
  // 3.5 characters of silence (4.0 ms) lie between two probes.
  clock.now_ = 0;
  ASSERT_EQ(Run({"scan", "--nodes", "4-8", "--baud", "9600", "--parity", "N", "--timeout", "40"}), 4);
  EXPECT_NEAR(clock.now_, 5 * (40 + 10) * 1000 + 4 * 4011, 1000);
}

TEST_F(CliTest, CtrlCEndsAScanWithinOneProbeAndPrintsWhatWasFound) {
  clock.interruptAtUs_ = 120'000;  // during the third probe
  EXPECT_EQ(Run({"scan", "--nodes", "5,6,7,1,8,9,10"}), 130);
  EXPECT_LE(line.Written().size(), 4u);
  EXPECT_NE(out.str().find("no node found"), std::string::npos);
}

// What the window's Find Node shows: the session's snapshot while and after it runs.
TEST_F(CliTest, AScanSessionEndsAtOneHundredPercentWithWhatItFound) {
  nodes.Add(SimNode(4, 0));
  ScanPlan plan{ScanSettings({38400}, "N", {}), {4, 5, 1}, 50, false};
  std::vector<ScanLine> lines;
  lines.push_back({"COM1", OpenSiteLine(SiteLine{}).port});
  ScanSession session;
  session.Start(std::move(lines), plan, clock);
  session.Join();
  const ScanSnapshot done = session.Snapshot();
  EXPECT_FALSE(done.running);
  EXPECT_EQ(done.percent, 100);
  ASSERT_EQ(done.found.size(), 2u);
  EXPECT_EQ(done.found[0].node, 4u);
  EXPECT_EQ(done.found[0].orders, std::vector<unsigned>{0});
  EXPECT_FALSE(line.ProgramEndOpen());  // the port closed with the scan
}

}  // namespace
}  // namespace r742
