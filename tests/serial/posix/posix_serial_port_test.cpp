// The POSIX port: line settings from the device-control text and into termios,
// port names to devices, and the port over a real pseudo-terminal, where the
// test plays the node on the master side and opens the slave as COM7; RTS
// around a request, through a recording stand-in for the control lines.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "serial/posix/posix_serial_port.h"
#include "serial/posix/termios_settings.h"
#include "serial/standard_baud_rates.h"

namespace r742 {
namespace {

TEST(BuildCommDCB, AppliesNamedSettingsOnlyAndARefusedTextChangesNothing) {
  const LineSettings start{.baud = 300, .parity = 'E', .dataBits = 6, .stopBits = 2, .rtsToggle = true};
  const auto fields = [](const LineSettings& s) { return std::tie(s.baud, s.parity, s.dataBits, s.stopBits); };
  const std::pair<const char*, LineSettings> accepted[] = {
      {"COM9: baud=115200 parity=N data=8 stop=2", {.baud = 115200, .parity = 'N', .dataBits = 8, .stopBits = 2}},
      {"COM2: BAUD=9600 Parity=o DATA=7 Stop=1", {.baud = 9600, .parity = 'O', .dataBits = 7, .stopBits = 1}},
      {" baud=4000000\tdata=5 ", {.baud = 4000000, .parity = 'E', .dataBits = 5, .stopBits = 2}},
  };
  for (const auto& [text, want] : accepted) {
    LineSettings s = start;
    ASSERT_TRUE(BuildCommDCB(text, s)) << text;
    EXPECT_EQ(fields(s), fields(want)) << text;
    EXPECT_TRUE(s.rtsToggle) << "fields the text does not name stay";
  }
  // One or two a rule; parity M, data=9 and stop=3 are refused with their reason by the port's opening.
  for (const char* text :
       {"COM1: parity=NONE", "COM1: data=4", "COM1: stop=1.5", "COM1: baud=", "COM1: baud=0", "COM1: baud=4000001",
        "COM1: baud=99999999999999999999", "COM1: baud=+9600", "COM1: speed=9600", "COM1 baud=9600", "", "COM1:"}) {
    LineSettings s = start;
    EXPECT_FALSE(BuildCommDCB(text, s)) << text;
    EXPECT_EQ(fields(s), fields(start)) << text;
  }
}

TEST(SerialTermios, EveryValidSettingRoundTripsAndOthersAreRefused) {
  for (std::uint32_t baud : kStandardBaudRates)
    for (char parity : {'N', 'O', 'E'})
      for (int data = 5; data <= 8; ++data)
        for (int stop = 1; stop <= 2; ++stop) {
          termios t{};
          t.c_cflag = CS7 | PARENB | CRTSCTS;
          ASSERT_TRUE(ApplyLineSettings({.baud = baud, .parity = parity, .dataBits = data, .stopBits = stop}, t));
          const LineSettings got = LineSettingsFrom(t);
          ASSERT_EQ(std::tie(got.baud, got.parity, got.dataBits, got.stopBits), std::tie(baud, parity, data, stop));
          ASSERT_EQ(t.c_cflag & CRTSCTS, 0u);
        }
  // A baud rate the terminal has no speed for is refused through the port below.
  for (const LineSettings& bad : {LineSettings{.baud = 9600, .parity = 'M'}, LineSettings{.baud = 9600, .dataBits = 9},
                                  LineSettings{.baud = 9600, .stopBits = 3}}) {
    termios t{};
    EXPECT_FALSE(ApplyLineSettings(bad, t)) << bad.baud;
  }
}

TEST(PortProvider, OnlyTerminalsOpen) {
  for (const char* name : {"", "COM0", "COM10", "com1", "COM1:", "LPT1"})
    EXPECT_EQ(CurrentPortProvider().Open(name), nullptr) << name;

  for (const char* path : {"/dev/null", "/nonexistent/ttyUSB9"}) {  // a device but no terminal, nothing
    setenv("R742_COM6", path, 1);
    EXPECT_EQ(CurrentPortProvider().Open("COM6"), nullptr) << path;
  }
  unsetenv("R742_COM6");
}

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;

// Bytes a cooked terminal would act on (CR, LF, ^C, ^D, XON, XOFF, DEL).
const Bytes kReply = {0x01, 0x03, 0x0A, 0x0D, 0x03, 0x04, 0x11, 0x13, 0x7F, 0x00, 0xFF};

// A new pseudo-terminal: its master side in `master`, the slave's path returned ("" if refused).
std::string OpenPty(int& master, int flags = 0) {
  master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | flags);
  std::array<char, 128> name{};
  return master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0 &&
                 ptsname_r(master, name.data(), name.size()) == 0
             ? name.data()
             : "";
}

class PtySerialPort : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = OpenPty(master);
    ASSERT_FALSE(name.empty());
    setenv("R742_COM7", name.c_str(), 1);
    port = CurrentPortProvider().Open("COM7");
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->SetCommState({.baud = 38400, .parity = 'N', .dataBits = 8, .stopBits = 2}));
    ASSERT_TRUE(port->SetCommTimeouts({.readInterval = 20, .readTotalMultiplier = 1, .readTotalConstant = 1}));
  }
  void TearDown() override {
    port.reset();
    if (master >= 0) close(master);
    unsetenv("R742_COM7");
  }
  void Send(const Bytes& bytes) { ASSERT_EQ(write(master, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
  Bytes Read(std::uint32_t count) {
    std::array<std::uint8_t, 512> buffer{};
    std::uint32_t received = 999;
    EXPECT_TRUE(port->Read(buffer.data(), count, received));
    return {buffer.begin(), buffer.begin() + std::min(received, count)};
  }

  int master = -1;
  std::unique_ptr<ISerialPort> port;
};

TEST_F(PtySerialPort, ReadEndsWhenTheLineIsQuietAtTotalTimeAtCountOrAtOnceAndWritesPassUnchanged) {
  Clock::time_point beforeWrite, afterWrite;
  std::thread node([&] {
    std::this_thread::sleep_for(milliseconds(10));  // the reply comes while the read waits
    beforeWrite = Clock::now();
    Send(kReply);
    afterWrite = Clock::now();
    std::this_thread::sleep_for(milliseconds(60));  // the gap on the line
    Send({1, 3, 4});
    std::this_thread::sleep_for(milliseconds(60));
    Send({0x12, 0x34});
  });
  EXPECT_EQ(Read(512), kReply);
  const auto returned = Clock::now();
  EXPECT_EQ(Read(512), (Bytes{1, 3, 4}));
  EXPECT_EQ(Read(512), (Bytes{0x12, 0x34}));
  node.join();
  EXPECT_GE(returned - beforeWrite, milliseconds(20));
  EXPECT_LT(returned - afterWrite, milliseconds(400));
  const auto start = Clock::now();
  EXPECT_TRUE(Read(64).empty());
  EXPECT_GE(Clock::now() - start, milliseconds(64 * 1 + 1));
  Send({7, 8, 9});
  EXPECT_EQ(Read(2), (Bytes{7, 8}));
  ASSERT_TRUE(port->SetCommTimeouts({}));  // all zero: only what is there
  EXPECT_EQ(Read(512), (Bytes{9}));
  EXPECT_TRUE(Read(512).empty());

  std::uint32_t written = 0;
  ASSERT_TRUE(port->Write(kReply.data(), std::uint32_t(kReply.size()), written));
  EXPECT_EQ(written, kReply.size());
  Bytes got(kReply.size() + 8);  // an echo or an added CR would show as extra bytes
  pollfd pfd{master, POLLIN, 0};
  ASSERT_EQ(poll(&pfd, 1, 5000), 1);
  got.resize(std::size_t(std::max<ssize_t>(read(master, got.data(), got.size()), 0)));
  EXPECT_EQ(got, kReply);
}

// A pseudo-terminal keeps the speed and stop bits but forces 8 bits, no parity; it refuses RTS switching,
// which must not matter. A held port does not open twice; a write gives up when the other side stops
// reading, and fails at once when it has gone (a read then is the unplugged adapter's test).
TEST_F(PtySerialPort, SettingsReachTheDeviceAHeldPortStaysHeldAndWritesGiveUp) {
  EXPECT_TRUE(port->SetCommState({.baud = 115200, .stopBits = 1, .rtsToggle = true}));
  EXPECT_FALSE(port->SetCommState({.baud = 1234}));
  LineSettings got;
  ASSERT_TRUE(port->GetCommState(got));
  EXPECT_EQ(std::tie(got.baud, got.stopBits, got.rtsToggle), std::make_tuple(115200u, 1, true));
  EXPECT_TRUE(port->SetupComm(1000, 1000));
  EXPECT_FALSE(port->SetupComm(0, 1000));
  EXPECT_EQ(CurrentPortProvider().Open("COM7"), nullptr);

  ASSERT_TRUE(port->SetCommTimeouts({.writeTotalConstant = 100}));
  const Bytes flood(8 << 20, 0x55);  // far more than the pty buffers
  std::uint32_t written = 0;
  EXPECT_FALSE(port->Write(flood.data(), std::uint32_t(flood.size()), written));
  EXPECT_EQ(port->LastError(), std::uint32_t(ETIMEDOUT));
  EXPECT_GT(written, 0u);
  EXPECT_LT(written, flood.size());

  port.reset();
  port = CurrentPortProvider().Open("COM7");
  ASSERT_NE(port, nullptr);
  close(std::exchange(master, -1));  // the other side goes away
  EXPECT_FALSE(port->Write(kReply.data(), 4, written));
  EXPECT_EQ(written, 0u);
}

struct Script {
  bool rs485 = false, modemLines = true, rtsUp = false;
  int lsrBusyPolls = -1, master = -1;  // lsrBusyPolls -1: the driver cannot say
  std::string events{};
  std::size_t arrived = 0;
  std::int64_t now = 0, rtsDownAt = -1;
};

class RecordingLines final : public IControlLines {
 public:
  explicit RecordingLines(Script& s) : s(s) {}
  bool EnableRs485() override { return Note(s.rs485 ? "rs485" : "rs485 refused"), s.rs485; }
  void RestoreRs485() override { Note("restore"); }
  bool SetRts(bool up) override {
    Note(std::string(up ? "rts+ " : "rts- ") + (s.modemLines ? Arrived() : "refused"));
    if (s.modemLines && !(s.rtsUp = up)) s.rtsDownAt = s.now;
    return s.modemLines;
  }
  bool Drain() override { return Note("drain " + Arrived()), true; }
  std::optional<bool> TransmitterEmpty() override {
    if (s.lsrBusyPolls < 0) return std::nullopt;
    return Note("lsr"), s.lsrBusyPolls-- == 0;
  }
  std::int64_t NowNs() override { return s.now; }
  void PauseNs(std::int64_t ns) override { s.now += ns; }

 private:
  void Note(const std::string& event) { s.events += (s.events.empty() ? "" : ", ") + event; }
  std::string Arrived() {
    std::array<char, 256> buffer{};
    for (ssize_t n; s.master >= 0 && (n = read(s.master, buffer.data(), buffer.size())) > 0;) s.arrived += n;
    return std::to_string(s.arrived);
  }
  Script& s;
};

const std::array<std::uint8_t, 8> kRequest = {0x01, 0x03, 0x00, 0x00, 0x00, 0x38, 0x44, 0x18};
// 9600 baud, 8 data bits, no parity, 2 stop bits: 11 bits a character.
constexpr std::int64_t kCharNs = (11 * 1000000000LL + 9599) / 9600;

TEST(RtsSwitch, UpWhileTheRequestIsSentDownBeforeAnyReplyIsRead) {
  const struct Case {
    Script script;
    const char* rtsVariable;
    bool toggle, lineGone;
    const char *atSetting, *atWrite, *notice;
    std::int64_t rtsDownAt;
  } cases[] = {
      // clang-format off
      // An R742_RTS not understood is named, and RTS is switched as usual.
      {{.rs485 = true}, "kep", true, false, "rs485", "",
       "R742_RTS=\"kep\" not understood (only keep is): RTS is switched as usual", -1},
      // By hand: the transmitter polled until empty, else the frame's own time and one character.
      {{.lsrBusyPolls = 2}, nullptr, true, false, "rs485 refused, rts- 0", "rts+ 0, drain 8, lsr, lsr, lsr, rts- 8", "",
       2 * (kCharNs / 4)},
      {{}, nullptr, true, false, "rs485 refused, rts- 0", "rts+ 0, drain 8, rts- 8", "", 9 * kCharNs},
      // A failed write brings RTS down at once.
      {{}, nullptr, true, true, "rs485 refused, rts- 0", "rts+ 0, rts- 0", "", 0},
      // A blank R742_RTS is as none.
      {{.modemLines = false}, " ", true, false, "rs485 refused, rts- refused", "",
       "RTS not switched: the device has no modem control lines", -1},
      {{.rs485 = true}, " Keep\t", true, false, "restore", "", "RTS left as it is (R742_RTS=keep)", -1},
      {{.rs485 = true}, nullptr, false, false, "restore", "", "", -1},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.atWrite);
    Script s = c.script;
    const std::string name = OpenPty(s.master, O_NONBLOCK);
    ASSERT_FALSE(name.empty());
    if (c.rtsVariable) setenv("R742_RTS", c.rtsVariable, 1);
    int error = 0;
    auto port = PosixSerialPort::Open(name, error, std::make_unique<RecordingLines>(s));
    ASSERT_NE(port, nullptr) << error;
    ASSERT_TRUE(port->SetCommState({.baud = 9600, .parity = 'N', .dataBits = 8, .stopBits = 2, .rtsToggle = c.toggle}));
    unsetenv("R742_RTS");
    EXPECT_EQ(std::exchange(s.events, ""), c.atSetting);
    EXPECT_EQ(port->TakeNotice() + port->TakeNotice(), c.notice);  // said once

    if (c.lineGone) close(std::exchange(s.master, -1));
    std::uint32_t written = 0;
    EXPECT_EQ(port->Write(kRequest.data(), kRequest.size(), written), !c.lineGone);
    EXPECT_EQ(std::exchange(s.events, ""), c.atWrite);
    EXPECT_EQ(s.rtsDownAt, c.rtsDownAt);
    EXPECT_FALSE(s.rtsUp);  // a reply read now would find the converter listening
    port.reset();
    EXPECT_EQ(s.events, "restore");  // the driver's RS-485 settings as they were
    if (s.master >= 0) close(s.master);
  }
}

}  // namespace
}  // namespace r742
