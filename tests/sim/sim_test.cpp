// The simulated node: one conversation through its register map, pass code,
// channel modes, refusals and silence; each fault knob's effect on a reply;
// r742-node-sim as a program, checked by an independent Modbus master (mbpoll).
// Serving a pseudo-terminal is tested with the program against it (tests/e2e).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <regex>

#include <sys/socket.h>

#include <atomic>
#include <thread>

#include "child_process.h"
#include "frame_log.h"
#include "line_server.h"
#include "modbus/modbus_test_support.h"
#include "serial/posix/termios_settings.h"
#include "sim_node.h"
#include "sim_options.h"

namespace r742 {

void PrintTo(const ReplyChunk& c, std::ostream* out) { *out << "{" << c.delayMs << " ms: " << c.bytes.size() << "}"; }

namespace {

using simtest::ChildProcess;
using simtest::Clock;
using simtest::ReadBytes;
using test::Bytes;
using test::Hex;
using test::WithCrc;
using Strings = std::vector<std::string>;
constexpr auto kDeadline = std::chrono::seconds(5);

const Bytes kPassReply = Hex("01 10 00 46 00 02 A0 1D");
const Bytes kRelease = Hex("01 10 00 46 00 02 04 00 00 00 00 77 B5");  // the pass code 0

Bytes Ask(SimNode& node, const Bytes& request) {
  Bytes out;
  for (const ReplyChunk& c : node.HandleRequest(request)) out.insert(out.end(), c.bytes.begin(), c.bytes.end());
  return out;
}
Bytes Q(const char* hex, std::vector<float> values = {}) { return WithCrc(Hex(hex), values); }
Bytes Refusal(std::uint8_t function, std::uint8_t code) { return WithCrc({1, std::uint8_t(function | 0x80), code}); }
// A function 70 reply: `values` and then zeros up to `count` floats.
Bytes Mode(const char* head, std::vector<float> values, std::size_t count) {
  values.resize(count);
  return WithCrc(Hex(head), values);
}

TEST(SimNode, AnswersAConversationInOrder0) {
  SimNode node(1, 0);
  node.SetChannelMode(2, 0, 10.0f);
  const std::vector<float> settings = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  const Bytes write = Q("01 10 00 18 00 12 24", settings);
  const Bytes refusedWrite = Refusal(16, 2);
  const std::pair<Bytes, Bytes> exchanges[] = {
      // clang-format off
      // The node's whole Read and Send are the window's to pin (tests/ui); here what the window never asks.
      {Q("01 03 00 00 00 06"), Q("01 03 0C", {230, 5, 3})},
      {Q("01 03 00 47 00 01"), Q("01 03 02 00 00")}, {Q("01 03 00 48 00 01"), Refusal(3, 2)},
      {Q("01 03 00 00 00 49"), Refusal(3, 2)}, {Q("01 03 00 46 00 04"), Refusal(3, 2)},
      {Q("01 03 00 00 00 00"), Refusal(3, 3)}, {Q("01 03 00 00 00 7E"), Refusal(3, 3)},
      {Q("01 04 00 00 00 02"), Refusal(4, 1)}, {Q("01 06 00 46 00 00"), Refusal(6, 1)},
      {Q("01 46 00 06 00 24"), Refusal(0x46, 2)}, {Q("01 46 00 01 00 24"), Refusal(0x46, 2)},
      {Q("01 10 00 18 00 02 08 00 00"), Refusal(16, 3)},
      {Q("01 46 00 00 00 24"), Mode("01 46 00 00 00 24 48", {1, 1, 20}, 18)},
      {Q("01 46 00 02 00 24"), Mode("01 46 00 02 00 24 48", {2, 0, 10}, 18)},
      {Q("01 46 00 00 00 02"), Mode("01 46 00 00 00 02 0C", {1, 1, 20}, 3)},   // at least 3 floats
      {Q("01 46 00 00 00 FF"), Mode("01 46 00 00 00 FF F4", {1, 1, 20}, 61)},  // below 256 bytes
      {write, refusedWrite}, {Q("01 10 00 46 00 02 04", {31428}), kPassReply}, {write, refusedWrite},
      {Q("01 10 00 46 00 02 04", {31427}), kPassReply}, {write, Hex("01 10 00 18 00 12 C0 03")},
      {Q("01 03 00 18 00 12"), Q("01 03 24", settings)}, {Q("01 10 00 00 00 02 04", {400}), refusedWrite},
      {Q("01 10 00 28 00 04 08", {1, 2}), refusedWrite},  // runs past value 21
      {Q("01 03 00 00 00 02"), Q("01 03 04", {230})},
      {kRelease, kPassReply},
      {write, refusedWrite},
      // Silent: another node, a broken CRC, a short frame, broadcasts (a broadcast write is applied).
      {Q("02 03 00 00 00 38"), {}}, {Hex("01 03 00 00 00 38 44 19"), {}}, {Hex("01 03 00"), {}},
      {Q("00 03 00 00 00 38"), {}}, {Q("00 10 00 46 00 02 04", {31427}), {}}, {write, Hex("01 10 00 18 00 12 C0 03")},
      // clang-format on
  };
  for (std::size_t i = 0; i < std::size(exchanges); ++i)
    EXPECT_EQ(Ask(node, exchanges[i].first), exchanges[i].second) << "exchange " << i;
  EXPECT_EQ(node.RequestsSeen(), std::size(exchanges));
}

TEST(SimNode, FaultsShapeTheReplyARefusalChangesNothingASilentNodeStillActs) {
  const Bytes otherNode = WithCrc(Hex("02 10 00 46 00 02"));
  // Silence, a bad CRC and another node are met by the window's fault tests; here the other shapes.
  const std::tuple<const char*, SimFaults, ReplyPlan> cases[] = {
      {"truncate", {.truncate = 3}, {{0, Hex("01 10 00 46 00")}}},
      {"truncate all", {.truncate = 100}, {}},
      {"garbage", {.garbageBefore = 2, .garbageAfter = 3}, {{0, Hex("FF 00 01 10 00 46 00 02 A0 1D FF 00 FF")}}},
      {"split", {.delayMs = 5, .splitGapMs = 60}, {{5, Hex("01 10 00 46")}, {60, Hex("00 02 A0 1D")}}},
      {"wrong node, bad crc, cut",
       {.badCrc = true, .truncate = 1, .wrongNode = true},
       {{0, Bytes(otherNode.begin(), otherNode.end() - 1)}}},
  };
  for (const auto& [name, faults, plan] : cases) EXPECT_EQ(ShapeReply(kPassReply, faults), plan) << name;
  EXPECT_TRUE(ShapeReply({}, {.delayMs = 5, .garbageBefore = 4}).empty()) << "no junk without a reply";

  const Bytes passWrite = Q("01 10 00 46 00 02 04", {31427});
  SimNode refusing(1, 0), silent(1, 0);
  refusing.Faults().exceptionCode = 4;
  EXPECT_EQ(Ask(refusing, passWrite), Refusal(16, 4));
  EXPECT_FALSE(refusing.Unlocked());
  silent.Faults().silent = true;
  EXPECT_TRUE(silent.HandleRequest(passWrite).empty());
  EXPECT_TRUE(silent.Unlocked());
}

// The node's side of the line: a request that comes in pieces is one request;
// a control line that arrives meanwhile waits for the reply; a stop ends a
// reply's delay at once, and the request then does not count as served. A
// socket pair is no terminal: the server knows no rate there, so bytes cross
// at once (the echo too); the turn-around and the delay still count.
TEST(SimLine, PiecesMakeOneRequestControlWaitsAndAStopEndsADelay) {
  int line[2], control[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, line), 0);
  ASSERT_EQ(pipe2(control, O_CLOEXEC), 0);
  SimNode node(1, 2);
  std::atomic<int> servedAtControl{-1};
  LineServer server(node, line[0], {.gapMs = 40, .controlFd = control[0], .onControlLine = [&](auto) {
                                      node.Faults() = {.echo = true, .delayMs = 3000};  // on the server's thread
                                      servedAtControl = static_cast<int>(node.RequestsSeen());
                                    }});
  ASSERT_TRUE(server.Start());
  const auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); };  // the line's own timing
  ASSERT_EQ(write(line[1], kRelease.data(), 6), 6);
  pause();
  ASSERT_EQ(write(control[1], "--echo --delay=3000\n", 20), 20);
  pause();
  ASSERT_EQ(write(line[1], kRelease.data() + 6, 7), 7);
  EXPECT_EQ(ReadBytes(line[1], 8, Clock::now() + kDeadline), kPassReply);
  // The control line is taken once the line is idle; a busy machine may take a while to get there.
  for (const auto end = Clock::now() + kDeadline; servedAtControl < 0 && Clock::now() < end;) pause();
  ASSERT_EQ(write(line[1], kRelease.data(), kRelease.size()), static_cast<ssize_t>(kRelease.size()));
  EXPECT_EQ(ReadBytes(line[1], kRelease.size(), Clock::now() + kDeadline), kRelease);  // its echo: in its delay now
  EXPECT_EQ(servedAtControl, 1);
  server.Stop();
  EXPECT_EQ(std::pair(server.FramesHandled(), ReadBytes(line[1], 8, Clock::now()).size()), std::pair(1ul, 0ul));
  for (int fd : {line[0], line[1], control[0], control[1]}) close(fd);
}

// Starts the simulator; its first output line is the device path.
std::string StartSim(ChildProcess& sim, Strings args, bool withInput = false) {
  args.insert(args.begin(), R742_NODE_SIM_PATH);
  return sim.Start(args, withInput) ? sim.FirstLine(Clock::now() + kDeadline) : "";
}

TEST(SimProgram, ServesALinkedPtyUntilSigtermTakesControlLinesAndRefusesBadOptions) {
  const std::string link = testing::TempDir() + "r742-sim-COM1-" + std::to_string(getpid());
  ChildProcess sim;
  const std::string path = StartSim(sim, {"--pty", "--link", link, "--control"}, true);
  ASSERT_TRUE(path.starts_with("/dev/")) << sim.Output();
  char target[256] = {};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(target, path);
  // The control input changes faults only; a bad line changes nothing and says why, an overlong one nothing.
  for (const std::string& line : Strings{"--node 3", "--delay", std::string(300, 'x'), "--echo --delay=900"})
    ASSERT_TRUE(sim.WriteLine(line));
  const char* answers =
      "\nerror: not a fault option: '--node'\nerror: bad or missing value for --delay\nfaults: --echo --delay=900\n";
  EXPECT_TRUE(sim.AwaitOutput(answers, Clock::now() + kDeadline)) << sim.Output();
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(Clock::now() + kDeadline), 0) << sim.Output();
  struct stat st {};
  EXPECT_NE(lstat(link.c_str(), &st), 0) << "link left behind";

  ChildProcess bad;
  ASSERT_TRUE(bad.Start({R742_NODE_SIM_PATH, "--node", "248"}));
  EXPECT_EQ(bad.Wait(Clock::now() + kDeadline), 2);
  EXPECT_NE(bad.Output().find("usage: r742-node-sim"), std::string::npos) << bad.Output();
}

TEST(SimOptions, NodesAndTimingOfTheLine) {
  using Nodes = std::optional<std::vector<SimNodeOptions>>;  // none: refused
  SimOptions options;
  const auto parse = [&options](const Strings& args) -> Nodes {
    std::string error;
    options = {};
    if (!ParseSimOptions(std::vector<std::string_view>(args.begin(), args.end()), options, error)) return {};
    return options.nodes;
  };
  const std::pair<Strings, Nodes> cases[] = {
      {{}, {{{1, {}, {}}}}},
      {{"--node", "1", "--node", "7:order=0,baud=9600,stop=1"}, {{{1, {}, {}}, {7, 0, {9600, 1, 0}}}}},
      {{"--node=9:parity=E,stop=2,parity=O"}, {{{9, {}, {0, 2, 'O'}}}}},
      {{"--node", "7", "--node", "7:stop=1"}, {}},
      {{"--nodes", "3-4:baud=9600", "--node", "9"}, {{{3, {}, {9600, 0, 0}}, {4, {}, {9600, 0, 0}}, {9, {}, {}}}}},
      {{"--nodes", "5-3"}, {}},
  };
  for (const auto& [args, nodes] : cases) EXPECT_EQ(parse(args), nodes) << testing::PrintToString(args);
  for (const char* bad :
       {"0", "7:", "7:order", "7:order=1,", "7:order=4", "7:baud=9601", "7:stop=0", "7:parity=e", "7:speed=9600"})
    EXPECT_EQ(parse({"--node", bad}), std::nullopt) << bad;

  // The line's timing, an adapter's packet size without a latency too; none of it changes while serving.
  ASSERT_TRUE(parse({"--turnaround", "0", "--latency=16", "--packet", "62", "--wire", "instant"}));
  EXPECT_EQ(options.wire, (WireOptions{.instant = true, .turnaroundUs = 0, .latencyUs = 16'000, .packetBytes = 62}));
  ASSERT_TRUE(parse({"--wire=paced", "--packet", "62"}));
  EXPECT_EQ(options.wire, WireOptions{.packetBytes = 62});
  for (const Strings& bad :
       {Strings{"--turnaround", "1001"}, {"--latency", "-1"}, {"--packet", "4097"}, {"--wire", "x"}})
    EXPECT_EQ(parse(bad), std::nullopt) << bad[0];
  SimFaults faults;
  std::string error;
  EXPECT_FALSE(ParseFaultLine("--echo --turnaround 5", faults, error));
}

// The bytes back for one request, each with the time it was read; the line at
// `baud`, 8 data bits and 2 stop bits: 11 bits a character.
struct Exchange {
  Clock::time_point written{};
  Bytes bytes;
  std::vector<Clock::time_point> at;
};
Exchange Ask(Strings args, std::uint32_t baud, const Bytes& request, std::size_t count) {
  ChildProcess sim;
  args.insert(args.end(), {"--exit-after-frames", "1"});
  const int fd = open(StartSim(sim, args).c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  Exchange e;
  termios tio{};
  if (fd >= 0 && tcgetattr(fd, &tio) == 0 && ApplyLineSettings({.baud = baud, .stopBits = 2}, tio) &&
      tcsetattr(fd, TCSANOW, &tio) == 0 && (e.written = Clock::now(), write(fd, request.data(), request.size()) > 0))
    for (const auto end = e.written + kDeadline; e.bytes.size() < count && Clock::now() < end;) {
      const Bytes one = ReadBytes(fd, 1, end);
      e.bytes.insert(e.bytes.end(), one.begin(), one.end());
      e.at.resize(e.bytes.size(), Clock::now());
    }
  if (fd >= 0) close(fd);
  sim.Wait(Clock::now() + kDeadline);  // its log complete
  return e;
}

// The line runs at the rate the program set on its pseudo-terminal: no byte
// comes before the request, the turn-around, the delay and the bytes ahead of
// it have had their time on the wire, and a reply comes spread over its own.
TEST(SimProgram, PacesTheLineAtTheRateTheProgramSet) {
  using std::chrono::microseconds;
  const auto wire = [](std::uint32_t baud, std::size_t chars) { return microseconds(chars * 11'000'000 / baud); };
  const auto turn = std::chrono::milliseconds(2 + 5);    // turn-around and the default delay
  const Bytes readAll = Hex("01 03 00 00 00 38 44 18");  // 28 values: 117 bytes back

  const std::string log = testing::TempDir() + "r742-sim-paced-" + std::to_string(getpid()) + ".log";
  const Exchange plain = Ask({"--log", log}, 9600, readAll, 117);
  ASSERT_EQ(plain.bytes.size(), 117u);
  EXPECT_GE(plain.at[116] - plain.written, wire(9600, 8 + 117) + turn);
  EXPECT_GE(plain.at[116] - plain.at[0], wire(9600, 116) * 9 / 10);
  // The log: the request when its last byte left the wire, the reply when its last byte reached the program.
  const std::vector<LoggedFrame> frames = ReadFrameLogFile(log);
  unlink(log.c_str());
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(std::pair(frames[0].bytes, frames[1].bytes), std::pair(readAll, plain.bytes));
  EXPECT_GE(microseconds(frames[1].us - frames[0].us), wire(9600, 117) + turn - microseconds(1));

  // The echo comes back byte by byte as the request leaves the wire (1200 baud: 9.2 ms a byte), then the reply.
  const Bytes readTwo = WithCrc(Hex("01 03 00 00 00 04"));
  const Exchange echo = Ask({"--echo"}, 1200, readTwo, 8 + 13);
  ASSERT_EQ(echo.bytes.size(), 8u + 13u);
  EXPECT_EQ(Bytes(echo.bytes.begin(), echo.bytes.begin() + 8), readTwo);
  EXPECT_GE(echo.at[7] - echo.at[0], wire(1200, 5));

  // An adapter (115200 baud: 62 bytes take 5.9 ms) hands over the reply's first 62 bytes once its packet is
  // full, the other 55 its latency after the first of them came: one packet of all would come 6 ms sooner.
  const Exchange adapter = Ask({"--latency", "16", "--packet", "62"}, 115200, readAll, 117);
  EXPECT_EQ(adapter.bytes, plain.bytes);
  EXPECT_GE(adapter.at[0] - adapter.written, wire(115200, 8 + 62) + turn);
  EXPECT_GE(adapter.at[62] - adapter.written, wire(115200, 8 + 63) + turn + std::chrono::milliseconds(16));
}

// Exit code and the values mbpoll printed as "[reference]: value" lines.
std::pair<int, Strings> Mbpoll(const std::string& device, Strings args) {
  Strings argv = {"mbpoll", "-m", "rtu", "-a", "1", "-0", "-1", "-o", "2", "-b", "38400", "-P", "none", "-s", "2"};
  argv.insert(argv.end(), args.begin(), args.end());
  argv.insert(std::find(argv.begin(), argv.end(), "--"), device);  // values, negative ones too, after "--"
  ChildProcess mbpoll;
  if (!mbpoll.Start(argv)) return {-1, {}};
  const int code = mbpoll.Wait(Clock::now() + kDeadline);
  const std::string& text = mbpoll.Output();
  Strings values;
  const std::regex value(R"(\[\d+\]:\s+(\S+))");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), value); it != std::sregex_iterator(); ++it)
    values.push_back((*it)[1]);
  return {code, values};
}

// The refused write before the pass code is pinned by the node's conversation above.
TEST(SimMbpoll, WritesOutputSettingsAfterThePassCodeAndReadsThemBack) {
  ChildProcess probe;
  if (!probe.Start({"mbpoll", "-V"}) || probe.Wait(Clock::now() + kDeadline) != 0)
    GTEST_SKIP() << "mbpoll is not installed";
  ChildProcess sim;  // mbpoll takes the low word first (without -B), as our order 2 does
  const std::string path = StartSim(sim, {"--order", "2", "--exit-after-frames", "3"});
  EXPECT_EQ(Mbpoll(path, {"-t", "4:float", "-r", "70", "--", "31427"}).first, 0);
  EXPECT_EQ(Mbpoll(path, {"-t", "4:float", "-r", "24", "--", "7", "80", "-10"}).first, 0);
  EXPECT_EQ(Mbpoll(path, {"-t", "4:float", "-r", "24", "-c", "4"}), std::make_pair(0, Strings{"7", "80", "-10", "36"}));
  EXPECT_EQ(sim.Wait(Clock::now() + kDeadline), 0) << "stops by itself after three frames";
}

}  // namespace
}  // namespace r742
