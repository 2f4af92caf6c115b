// The TCP port against a listener on the loopback address that plays the
// device server: the serial read rules over a stream, and the connection's end.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "os/system_error.h"
#include "serial/serial_port.h"
#include "serial/tcp_port.h"

namespace r742 {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A listening socket on 127.0.0.1 with a port the system chose.
int Listen(std::string& address, int backlog = 4) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof at;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || listen(fd, backlog) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&at), &length) != 0)
    return -1;
  address = "tcp://127.0.0.1:" + std::to_string(ntohs(at.sin_port));
  return fd;
}

class TcpPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    listener = Listen(address);
    ASSERT_GE(listener, 0);
    setenv("R742_COM8", address.c_str(), 1);  // through the port names, as the window opens it
    port = CurrentPortProvider().Open("COM8");
    ASSERT_NE(port, nullptr) << CurrentPortProvider().OpenFailure("COM8");
    server = accept(listener, nullptr, nullptr);
    ASSERT_GE(server, 0);
  }
  void TearDown() override {
    port.reset();
    for (int fd : {server, listener})
      if (fd >= 0) close(fd);
    unsetenv("R742_COM8");
  }
  void Send(const Bytes& bytes) { ASSERT_EQ(write(server, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
  Bytes Read(std::uint32_t count, bool succeeds = true) {
    Bytes buffer(count);
    std::uint32_t received = 999;
    EXPECT_EQ(port->Read(buffer.data(), count, received), succeeds);
    buffer.resize(std::min(received, count));
    return buffer;
  }

  std::string address;
  int listener = -1;
  int server = -1;
  std::unique_ptr<ISerialPort> port;
};

TEST_F(TcpPortTest, AReplyInTwoSegmentsIsOneReadALateOneIsNotAndWritesArriveWhole) {
  ASSERT_TRUE(port->SetCommState({.baud = 38400, .parity = 'E', .dataBits = 8, .stopBits = 1}));
  EXPECT_NE(port->TakeNotice().find("device server"), std::string::npos);
  ASSERT_TRUE(port->SetCommState({.baud = 9600}));
  EXPECT_EQ(port->TakeNotice(), "") << "said once";

  ASSERT_TRUE(port->SetCommTimeouts({.readInterval = 500, .readTotalConstant = 5000}));
  Send({1, 3, 4});
  std::thread node([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the gap between two segments
    Send({0x12, 0x34});
  });
  EXPECT_EQ(Read(7), (Bytes{1, 3, 4, 0x12, 0x34}));
  node.join();

  ASSERT_TRUE(port->SetCommTimeouts({.readInterval = 20, .readTotalConstant = 30}));
  EXPECT_TRUE(Read(8).empty());
  Send({9, 9});  // after the read gave up: dropped by the purge before the next request
  ASSERT_TRUE(port->PurgeReceive());
  ASSERT_TRUE(port->SetCommTimeouts({}));
  EXPECT_TRUE(Read(8).empty());

  const Bytes request{1, 70, 0, 1, 0x8F, 0x3A};
  std::uint32_t written = 0;
  ASSERT_TRUE(port->Write(request.data(), std::uint32_t(request.size()), written));
  EXPECT_EQ(written, request.size());
  Bytes got(request.size() + 4);
  EXPECT_EQ(read(server, got.data(), got.size()), ssize_t(request.size()));
  got.resize(request.size());
  EXPECT_EQ(got, request);
}

TEST_F(TcpPortTest, AConnectionClosedByTheServerIsAFailedReadOfAGoneDevice) {
  ASSERT_TRUE(port->SetCommTimeouts({.readInterval = 20, .readTotalConstant = 5000}));
  Send({1, 3});
  close(server);
  server = -1;
  EXPECT_EQ(Read(8, false), (Bytes{1, 3}));
  EXPECT_TRUE(port->DeviceGone());
  EXPECT_NE(port->LastErrorText().find("closed the connection"), std::string::npos) << port->LastErrorText();
  std::uint32_t written = 0;
  const std::uint8_t byte = 1;
  EXPECT_FALSE(port->Write(&byte, 1, written));
}

TEST(TcpPortOpen, APortWithNothingListeningIsRefusedWithTheSystemsReason) {
  std::string address;
  const int listener = Listen(address);
  ASSERT_GE(listener, 0);
  close(listener);  // the port is free now: a connect is refused
  std::string why;
  EXPECT_EQ(OpenDevicePath(address, why), nullptr);
  EXPECT_EQ(why, SystemErrorText(ECONNREFUSED));
  setenv("R742_COM8", address.c_str(), 1);
  EXPECT_EQ(CurrentPortProvider().Open("COM8"), nullptr);
  EXPECT_EQ(CurrentPortProvider().OpenFailure("COM8"), SystemErrorText(ECONNREFUSED));
  unsetenv("R742_COM8");
  EXPECT_EQ(OpenDevicePath("tcp://127.0.0.1:0", why), nullptr);
  EXPECT_NE(why.find("1..65535"), std::string::npos) << why;
}

TEST(TcpPortOpen, AServerThatNeverAnswersTheConnectEndsInTheTimeOut) {
  std::string address;
  const int listener = Listen(address, 0);
  ASSERT_GE(listener, 0);
  std::string why;
  // Its one place in the queue taken, the server drops further connects unanswered.
  const std::unique_ptr<TcpPort> first = TcpPort::Open(*ParseTcpAddress(address), why, 1000);
  ASSERT_NE(first, nullptr) << why;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(TcpPort::Open(*ParseTcpAddress(address), why, 200), nullptr);
  EXPECT_EQ(why, SystemErrorText(ETIMEDOUT));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));  // not the system's minutes
  close(listener);
}

}  // namespace
}  // namespace r742
