// RTS around a request: a recording stand-in for the control lines under the
// real port on a pseudo-terminal, whose other side shows how many bytes had
// left at each step. Time is the stand-in's own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <string>

#include "serial/posix/posix_serial_port.h"

namespace r742 {
namespace {

struct Script {
  bool rs485 = false, modemLines = true;
  int lsrBusyPolls = -1;  // -1: the driver cannot say
  int master = -1;
  std::string events{};
  std::size_t arrived = 0;
  bool rtsUp = false;
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
    const char *atSetting, *atWrite, *atClose, *notice;
    std::int64_t rtsDownAt;
  } cases[] = {
      // clang-format off
      {{.rs485 = true}, nullptr, true, false, "rs485", "", "restore", "", -1},
      // By hand: the transmitter polled until empty, else the frame's own time and one character.
      {{.lsrBusyPolls = 2}, nullptr, true, false, "rs485 refused, rts- 0", "rts+ 0, drain 8, lsr, lsr, lsr, rts- 8",
       "restore", "", 2 * (kCharNs / 4)},
      {{}, nullptr, true, false, "rs485 refused, rts- 0", "rts+ 0, drain 8, rts- 8", "restore", "", 9 * kCharNs},
      // A failed write brings RTS down at once.
      {{}, nullptr, true, true, "rs485 refused, rts- 0", "rts+ 0, rts- 0", "restore", "", 0},
      {{.modemLines = false}, nullptr, true, false, "rs485 refused, rts- refused", "", "restore",
       "RTS not switched: the device has no modem control lines", -1},
      {{.rs485 = true}, " Keep\t", true, false, "restore", "", "restore", "RTS left as it is (R742_RTS=keep)", -1},
      {{.rs485 = true}, "kep", true, false, "rs485", "", "restore",
       "R742_RTS=\"kep\" not understood (only keep is): RTS is switched as usual", -1},
      {{.modemLines = false}, " ", true, false, "rs485 refused, rts- refused", "", "restore",
       "RTS not switched: the device has no modem control lines", -1},
      {{.rs485 = true}, nullptr, false, false, "restore", "", "restore", "", -1},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.atWrite);
    Script s = c.script;
    s.master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    std::array<char, 128> name{};
    ASSERT_TRUE(s.master >= 0 && grantpt(s.master) == 0 && unlockpt(s.master) == 0 &&
                ptsname_r(s.master, name.data(), name.size()) == 0);
    if (c.rtsVariable) setenv("R742_RTS", c.rtsVariable, 1);
    int error = 0;
    auto port = PosixSerialPort::Open(name.data(), error, std::make_unique<RecordingLines>(s));
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
    EXPECT_EQ(s.events, c.atClose);  // the driver's RS-485 settings as they were
    if (s.master >= 0) close(s.master);
  }
}

}  // namespace
}  // namespace r742
