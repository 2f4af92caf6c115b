// The POSIX port over a real pseudo-terminal: the test plays the node on the
// master side and opens the slave as COM7 through the machine's provider.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "serial/posix/posix_serial_port.h"

namespace r742 {
namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;

// Bytes a cooked terminal would act on (CR, LF, ^C, ^D, XON, XOFF, DEL).
const Bytes kReply = {0x01, 0x03, 0x0A, 0x0D, 0x03, 0x04, 0x11, 0x13, 0x7F, 0x00, 0xFF};

class PtySerialPort : public ::testing::Test {
 protected:
  void SetUp() override {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::array<char, 128> name{};
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0 &&
                ptsname_r(master, name.data(), name.size()) == 0);
    setenv("R742_COM7", name.data(), 1);
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

TEST_F(PtySerialPort, ReplyIsReadWholeOnceTheLineIsQuietAndWritesPassUnchanged) {
  Clock::time_point beforeWrite, afterWrite;
  std::thread node([&] {
    std::this_thread::sleep_for(milliseconds(10));  // the reply comes while the read waits
    beforeWrite = Clock::now();
    Send(kReply);
    afterWrite = Clock::now();
  });
  EXPECT_EQ(Read(512), kReply);
  const auto returned = Clock::now();
  node.join();
  EXPECT_GE(returned - beforeWrite, milliseconds(20));
  EXPECT_LT(returned - afterWrite, milliseconds(400));

  std::uint32_t written = 0;
  ASSERT_TRUE(port->Write(kReply.data(), std::uint32_t(kReply.size()), written));
  EXPECT_EQ(written, kReply.size());
  Bytes got(kReply.size() + 8);  // an echo or an added CR would show as extra bytes
  pollfd pfd{master, POLLIN, 0};
  ASSERT_EQ(poll(&pfd, 1, 5000), 1);
  got.resize(std::size_t(std::max<ssize_t>(read(master, got.data(), got.size()), 0)));
  EXPECT_EQ(got, kReply);
}

TEST_F(PtySerialPort, ReadEndsAtAGapAtTotalTimeAtCountOrAtOnce) {
  std::thread node([&] {
    Send({1, 3, 4});
    std::this_thread::sleep_for(milliseconds(60));  // the gap on the line
    Send({0x12, 0x34});
  });
  EXPECT_EQ(Read(512), (Bytes{1, 3, 4}));
  EXPECT_EQ(Read(512), (Bytes{0x12, 0x34}));
  node.join();
  const auto start = Clock::now();
  EXPECT_TRUE(Read(64).empty());
  EXPECT_GE(Clock::now() - start, milliseconds(64 * 1 + 1));
  Send({7, 8, 9});
  EXPECT_EQ(Read(2), (Bytes{7, 8}));
  ASSERT_TRUE(port->SetCommTimeouts({}));  // all zero: only what is there
  EXPECT_EQ(Read(512), (Bytes{9}));
  EXPECT_TRUE(Read(512).empty());
}

TEST_F(PtySerialPort, WriteGivesUpWhenTheOtherSideStopsReading) {
  ASSERT_TRUE(port->SetCommTimeouts({.writeTotalConstant = 100}));
  const Bytes flood(8 << 20, 0x55);  // far more than the pty buffers
  std::uint32_t written = 0;
  EXPECT_FALSE(port->Write(flood.data(), std::uint32_t(flood.size()), written));
  EXPECT_EQ(port->LastError(), std::uint32_t(ETIMEDOUT));
  EXPECT_GT(written, 0u);
  EXPECT_LT(written, flood.size());
}

// A pseudo-terminal keeps the speed and stop bits but forces 8 bits, no parity.
TEST_F(PtySerialPort, LineSettingsReachTheDevice) {
  // RTS switching is refused by a pty, which must not matter.
  EXPECT_TRUE(port->SetCommState({.baud = 115200, .stopBits = 1, .rtsToggle = true}));
  EXPECT_FALSE(port->SetCommState({.baud = 1234}));
  LineSettings got;
  ASSERT_TRUE(port->GetCommState(got));
  EXPECT_EQ(std::tie(got.baud, got.stopBits, got.rtsToggle), std::make_tuple(115200u, 1, true));
  EXPECT_TRUE(port->SetupComm(1000, 1000));
  EXPECT_FALSE(port->SetupComm(0, 1000));
}

TEST_F(PtySerialPort, HeldOrClosedPort) {
  EXPECT_EQ(CurrentPortProvider().Open("COM7"), nullptr);
  port.reset();
  port = CurrentPortProvider().Open("COM7");
  ASSERT_NE(port, nullptr);
  close(master);  // the other side goes away
  master = -1;
  std::array<std::uint8_t, 64> buffer{};
  std::uint32_t received = 99;
  const bool ok = port->Read(buffer.data(), 64, received);
  EXPECT_TRUE(!ok || received == 0);
  std::uint32_t written = 99;
  EXPECT_FALSE(port->Write(kReply.data(), 4, written));
  EXPECT_EQ(written, 0u);
}

}  // namespace
}  // namespace r742
