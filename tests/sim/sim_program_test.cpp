// r742-node-sim as a program, and an independent Modbus master (mbpoll)
// reading and writing through its pseudo-terminal.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <regex>

#include "child_process.h"

namespace r742 {
namespace {

using simtest::ChildProcess;
using simtest::Clock;
using Strings = std::vector<std::string>;

constexpr auto kDeadline = std::chrono::seconds(10);

// Starts the simulator; its first output line is the device path.
std::string StartSim(ChildProcess& sim, Strings args) {
  args.insert(args.begin(), R742_NODE_SIM_PATH);
  return sim.Start(args) ? sim.FirstLine(Clock::now() + kDeadline) : "";
}

// Exit code and the values mbpoll printed as "[reference]: value" lines.
std::pair<int, Strings> Mbpoll(const std::string& device, Strings args, std::string* output = nullptr) {
  Strings argv = {"mbpoll", "-m", "rtu", "-a", "1", "-0", "-1", "-o", "2", "-b", "38400", "-P", "none", "-s", "2"};
  argv.insert(argv.end(), args.begin(), args.end());
  argv.insert(std::find(argv.begin(), argv.end(), "--"), device);  // values, negative ones too, after "--"
  ChildProcess mbpoll;
  if (!mbpoll.Start(argv)) return {-1, {}};
  const int code = mbpoll.Wait(Clock::now() + kDeadline);
  const std::string& text = mbpoll.Output();
  if (output) *output = text;
  Strings values;
  const std::regex value(R"(\[\d+\]:\s+(\S+))");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), value); it != std::sregex_iterator(); ++it)
    values.push_back((*it)[1]);
  return {code, values};
}

bool HaveMbpoll() {
  ChildProcess probe;
  return probe.Start({"mbpoll", "-V"}) && probe.Wait(Clock::now() + kDeadline) == 0;
}

TEST(SimProgram, ServesALinkedPtyUntilSigtermAndRefusesBadOptions) {
  const std::string link = testing::TempDir() + "r742-sim-COM1-" + std::to_string(getpid());
  ChildProcess sim;
  const std::string path = StartSim(sim, {"--pty", "--link", link});
  ASSERT_TRUE(path.starts_with("/dev/")) << sim.Output();
  char target[256] = {};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(target, path);
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(Clock::now() + kDeadline), 0) << sim.Output();
  struct stat st {};
  EXPECT_NE(lstat(link.c_str(), &st), 0) << "link left behind";

  ChildProcess bad;
  ASSERT_TRUE(bad.Start({R742_NODE_SIM_PATH, "--node", "248"}));
  EXPECT_EQ(bad.Wait(Clock::now() + kDeadline), 2);
  EXPECT_NE(bad.Output().find("usage: r742-node-sim"), std::string::npos) << bad.Output();
}

// The control input changes faults only; a bad or overlong line changes nothing and says why (or nothing).
TEST(SimProgram, ControlLinesChangeOnlyTheFaults) {
  ChildProcess sim;
  ASSERT_TRUE(sim.Start({R742_NODE_SIM_PATH, "--pty", "--control"}, true));
  ASSERT_TRUE(sim.FirstLine(Clock::now() + kDeadline).starts_with("/dev/")) << sim.Output();
  const Strings lines = {"--node 3", "--delay", "--exception=0", std::string(300, 'x'), "--echo --delay=900"};
  for (const std::string& line : lines) ASSERT_TRUE(sim.WriteLine(line));
  const auto deadline = Clock::now() + kDeadline;
  EXPECT_TRUE(sim.AwaitLine("error: not a fault option: '--node'", deadline)) << sim.Output();
  EXPECT_TRUE(sim.AwaitLine("error: bad or missing value for --delay", deadline)) << sim.Output();
  EXPECT_TRUE(sim.AwaitLine("error: bad or missing value for --exception", deadline)) << sim.Output();
  EXPECT_TRUE(sim.AwaitLine("faults: --echo --delay=900", deadline)) << sim.Output();
  EXPECT_EQ(sim.Output().find("xxx"), std::string::npos);
}

TEST(SimMbpoll, ReadsTheSystemSettingsAsFloatsInTheMatchingWordOrder) {
  if (!HaveMbpoll()) GTEST_SKIP() << "mbpoll is not installed";
  // mbpoll takes the low word first unless -B: our order 0 has the high word first, order 2 the low.
  for (const auto& [order, wordOrder] : {std::pair<std::string, Strings>{"0", {"-B"}}, {"2", {}}}) {
    ChildProcess sim;
    const std::string path = StartSim(sim, {"--order", order, "--exit-after-frames", "1"});
    Strings args = {"-t", "4:float", "-r", "0", "-c", "3"};
    args.insert(args.end(), wordOrder.begin(), wordOrder.end());
    EXPECT_EQ(Mbpoll(path, args), std::make_pair(0, Strings{"230", "5", "3"})) << order;
    EXPECT_EQ(sim.Wait(Clock::now() + kDeadline), 0) << "stops by itself after one frame";
  }
}

TEST(SimMbpoll, WritesOutputSettingsOnlyAfterThePassCode) {
  if (!HaveMbpoll()) GTEST_SKIP() << "mbpoll is not installed";
  ChildProcess sim;
  const std::string path = StartSim(sim, {"--order", "2"});
  const Strings settings = {"-t", "4:float", "-r", "24", "--", "7", "80", "-10"};

  std::string refusal;
  EXPECT_NE(Mbpoll(path, settings, &refusal).first, 0);
  EXPECT_NE(refusal.find("Illegal data address"), std::string::npos) << refusal;
  EXPECT_EQ(Mbpoll(path, {"-t", "4:float", "-r", "70", "--", "31427"}).first, 0);
  EXPECT_EQ(Mbpoll(path, settings).first, 0);
  EXPECT_EQ(Mbpoll(path, {"-t", "4:float", "-r", "24", "-c", "4"}).second, (Strings{"7", "80", "-10", "36"}));
  EXPECT_EQ(Mbpoll(path, {"-t", "4:hex", "-r", "70", "-c", "2"}).second, (Strings{"0x8600", "0x46F5"}));
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(Clock::now() + kDeadline), 0);
}

}  // namespace
}  // namespace r742
