// RTS around a request, through the port's control lines: a recording
// stand-in for the device's lines under the real port on a pseudo-terminal,
// whose other side shows how many bytes had left when each step happened.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <string>
#include <vector>

#include "serial/posix/posix_serial_port.h"

namespace r742 {
namespace {

struct LinesScript {
  bool rs485 = false, modemLines = true;
  int lsrBusyPolls = -1;  // polls the transmitter reports busy; -1: the driver cannot say
  int master = -1;        // the other side of the line
  std::string events;
  std::vector<std::uint8_t> arrived;
  bool rtsUp = false, rs485On = false;
  std::int64_t now = 0, rtsDownAt = -1;
};

class RecordingLines final : public IControlLines {
 public:
  explicit RecordingLines(LinesScript& s) : s(s) {}
  bool EnableRs485() override {
    Note(s.rs485 ? "rs485" : "rs485 refused");
    s.rs485On = s.rs485;
    return s.rs485;
  }
  void RestoreRs485() override {
    if (s.rs485On) Note("rs485 restored");
    s.rs485On = false;
  }
  bool SetRts(bool up) override {
    if (!s.modemLines) {
      Note(up ? "rts+ refused" : "rts- refused");
      return false;
    }
    s.rtsUp = up;
    if (!up) s.rtsDownAt = s.now;
    Note((up ? "rts+ " : "rts- ") + std::to_string(Arrived()));
    return true;
  }
  bool Drain() override {
    Note("drain " + std::to_string(Arrived()));
    return true;
  }
  std::optional<bool> TransmitterEmpty() override {
    if (s.lsrBusyPolls < 0) return std::nullopt;
    Note("lsr");
    return s.lsrBusyPolls-- == 0;
  }
  std::int64_t NowNs() override { return s.now; }
  void PauseNs(std::int64_t ns) override { s.now += std::max<std::int64_t>(ns, 0); }

 private:
  void Note(const std::string& event) { s.events += (s.events.empty() ? "" : ", ") + event; }
  std::size_t Arrived() {
    std::array<std::uint8_t, 256> buffer{};
    for (ssize_t n; s.master >= 0 && (n = read(s.master, buffer.data(), buffer.size())) > 0;)
      s.arrived.insert(s.arrived.end(), buffer.begin(), buffer.begin() + n);
    return s.arrived.size();
  }
  LinesScript& s;
};

const std::vector<std::uint8_t> kRequest = {0x01, 0x03, 0x00, 0x00, 0x00, 0x38, 0x44, 0x18};

class RtsSwitchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    std::array<char, 128> name{};
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0 &&
                ptsname_r(master, name.data(), name.size()) == 0);
    slave = name.data();
  }
  void TearDown() override {
    if (master >= 0) close(master);
    unsetenv("R742_RTS");
  }
  std::unique_ptr<PosixSerialPort> OpenWith(LinesScript& script) {
    script.master = master;
    int error = 0;
    auto port = PosixSerialPort::Open(slave, error, std::make_unique<RecordingLines>(script));
    EXPECT_NE(port, nullptr) << error;
    return port;
  }

  int master = -1;
  std::string slave;
};

// 9600 baud, 8 data bits, no parity, 2 stop bits: 11 bits a character.
constexpr std::int64_t kCharacterNs = (11 * 1000000000LL + 9599) / 9600;

TEST_F(RtsSwitchTest, RtsIsUpWhileTheRequestIsSentAndDownBeforeTheReplyIsRead) {
  const struct Case {
    const char* name;
    LinesScript script;
    bool toggle;
    const char* rtsVariable;
    const char* atSetting;  // events while the line is set
    const char* atWrite;    // events of one write
    const char* notice;
    std::int64_t rtsDownAt;  // virtual time since the write began
  } cases[] = {
      {"driver's RS-485 mode", {.rs485 = true}, true, nullptr, "rs485", "", "", -1},
      {"by hand, transmitter polled",
       {.lsrBusyPolls = 2},
       true,
       nullptr,
       "rs485 refused, rts- 0",
       "rts+ 0, drain 8, lsr, lsr, lsr, rts- 8",
       "",
       2 * std::max<std::int64_t>(kCharacterNs / 4, 10000)},
      {"by hand, frame time",
       {},
       true,
       nullptr,
       "rs485 refused, rts- 0",
       "rts+ 0, drain 8, rts- 8",
       "",
       9 * kCharacterNs},
      {"no modem lines",
       {.modemLines = false},
       true,
       nullptr,
       "rs485 refused, rts- refused",
       "",
       "RTS not switched: the device has no modem control lines",
       -1},
      {"kept by the user", {.rs485 = true}, true, "keep", "", "", "RTS left as it is (R742_RTS=keep)", -1},
      {"another value of R742_RTS", {.rs485 = true}, true, "1", "rs485", "", "", -1},
      {"no toggling asked for", {.rs485 = true}, false, nullptr, "", "", "", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.rtsVariable) setenv("R742_RTS", c.rtsVariable, 1);
    LinesScript script = c.script;
    auto port = OpenWith(script);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->SetCommState({.baud = 9600, .parity = 'N', .dataBits = 8, .stopBits = 2, .rtsToggle = c.toggle}));
    EXPECT_EQ(script.events, c.atSetting);
    EXPECT_EQ(port->TakeNotice(), c.notice);
    EXPECT_EQ(port->TakeNotice(), "");  // said once

    script.events.clear();
    script.rtsDownAt = -1;
    std::uint32_t written = 0;
    ASSERT_TRUE(port->Write(kRequest.data(), std::uint32_t(kRequest.size()), written));
    EXPECT_EQ(written, kRequest.size());
    EXPECT_EQ(script.events, c.atWrite);
    EXPECT_EQ(script.rtsDownAt, c.rtsDownAt);
    // Nothing is read while RTS is up: the node's reply would not reach us.
    EXPECT_FALSE(script.rtsUp);
    const std::vector<std::uint8_t> reply = {0x01, 0x83, 0x02, 0xC0, 0xF1};
    ASSERT_EQ(write(master, reply.data(), reply.size()), ssize_t(reply.size()));
    std::array<std::uint8_t, 16> got{};
    std::uint32_t received = 0;
    ASSERT_TRUE(port->SetCommTimeouts({.readInterval = 20, .readTotalMultiplier = 1, .readTotalConstant = 1}));
    EXPECT_TRUE(port->Read(got.data(), std::uint32_t(got.size()), received));
    EXPECT_EQ(received, reply.size());

    script.events.clear();
    port.reset();
    EXPECT_EQ(script.events, c.script.rs485 && std::string(c.atSetting) == "rs485" ? "rs485 restored" : "");
    unsetenv("R742_RTS");
    std::array<std::uint8_t, 64> drop{};
    while (read(master, drop.data(), drop.size()) > 0) {
    }
  }
}

// A write the line refuses (its other side gone) still brings RTS down, without a drain.
TEST_F(RtsSwitchTest, RtsComesDownAfterAFailedWrite) {
  LinesScript script;
  auto port = OpenWith(script);
  ASSERT_NE(port, nullptr);
  ASSERT_TRUE(port->SetCommState({.baud = 9600, .parity = 'N', .dataBits = 8, .stopBits = 2, .rtsToggle = true}));
  close(master);
  master = script.master = -1;
  script.events.clear();
  std::uint32_t written = 99;
  EXPECT_FALSE(port->Write(kRequest.data(), std::uint32_t(kRequest.size()), written));
  EXPECT_EQ(script.events, "rts+ 0, rts- 0");
  EXPECT_FALSE(script.rtsUp);
}

}  // namespace
}  // namespace r742
