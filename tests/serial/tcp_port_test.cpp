// The TCP port against a listener on the loopback address that plays the
// device server: the serial read rules over a stream, and the connection's end.
// The same on Winsock and on BSD sockets.
#include <gtest/gtest.h>

#ifdef _WIN32
// clang-format off
#include "os/win32/windows_api.h"
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

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

#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;
constexpr std::uint32_t kRefused = WSAECONNREFUSED;
void CloseSocket(Socket s) { closesocket(s); }
void SetVariable(const char* name, const char* value) { _putenv_s(name, value); }  // "" unsets
bool StartSockets() {
  WSADATA data{};
  return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}
#else
using Socket = int;
constexpr Socket kNoSocket = -1;
constexpr std::uint32_t kRefused = ECONNREFUSED;
void CloseSocket(Socket s) { close(s); }
void SetVariable(const char* name, const char* value) { setenv(name, value, 1); }  // "" counts as unset
bool StartSockets() { return true; }
#endif

// A listening socket on 127.0.0.1 with a port the system chose.
Socket Listen(std::string& address, int backlog = 4) {
  if (!StartSockets()) return kNoSocket;
  const Socket fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof at;
  if (fd == kNoSocket || bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || listen(fd, backlog) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&at), &length) != 0)
    return kNoSocket;
  address = "tcp://127.0.0.1:" + std::to_string(ntohs(at.sin_port));
  return fd;
}

class TcpPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    listener = Listen(address);
    ASSERT_NE(listener, kNoSocket);
    SetVariable("R742_COM8", address.c_str());  // through the port names, as the window opens it
    port = CurrentPortProvider().Open("COM8");
    ASSERT_NE(port, nullptr) << CurrentPortProvider().OpenFailure("COM8");
    server = accept(listener, nullptr, nullptr);
    ASSERT_NE(server, kNoSocket);
  }
  void TearDown() override {
    port.reset();
    for (Socket fd : {server, listener})
      if (fd != kNoSocket) CloseSocket(fd);
    SetVariable("R742_COM8", "");
  }
  void Send(const Bytes& bytes) {
    ASSERT_EQ(send(server, reinterpret_cast<const char*>(bytes.data()), int(bytes.size()), 0), int(bytes.size()));
  }
  Bytes Read(std::uint32_t count, bool succeeds = true) {
    Bytes buffer(count);
    std::uint32_t received = 999;
    EXPECT_EQ(port->Read(buffer.data(), count, received), succeeds);
    buffer.resize(std::min(received, count));
    return buffer;
  }

  std::string address;
  Socket listener = kNoSocket;
  Socket server = kNoSocket;
  std::unique_ptr<ISerialPort> port;
};

TEST_F(TcpPortTest, AReplyInTwoSegmentsIsOneReadALateOneIsNot) {
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
}

TEST_F(TcpPortTest, AConnectionClosedByTheServerIsAFailedReadOfAGoneDevice) {
  ASSERT_TRUE(port->SetCommTimeouts({.readInterval = 20, .readTotalConstant = 5000}));
  Send({1, 3});
  CloseSocket(server);
  server = kNoSocket;
  EXPECT_EQ(Read(8, false), (Bytes{1, 3}));
  EXPECT_TRUE(port->DeviceGone());
  EXPECT_NE(port->LastErrorText().find("closed the connection"), std::string::npos) << port->LastErrorText();
  std::uint32_t written = 0;
  const std::uint8_t byte = 1;
  EXPECT_FALSE(port->Write(&byte, 1, written));
}

TEST(TcpPortOpen, APortWithNothingListeningIsRefusedWithTheSystemsReason) {
  std::string address;
  const Socket listener = Listen(address);
  ASSERT_NE(listener, kNoSocket);
  CloseSocket(listener);  // the port is free now: a connect is refused
  SetVariable("R742_COM8", address.c_str());
  EXPECT_TRUE(CurrentPortProvider().IsOffered("COM8")) << "listed without connecting";
  EXPECT_EQ(CurrentPortProvider().Open("COM8"), nullptr);
  EXPECT_EQ(CurrentPortProvider().OpenFailure("COM8"), SystemErrorText(kRefused));
  SetVariable("R742_COM8", "");
}

TEST(TcpPortOpen, AServerThatNeverAnswersTheConnectEndsInTheTimeOut) {
  std::string address;
  const Socket listener = Listen(address, 0);
  ASSERT_NE(listener, kNoSocket);
  std::string why;
  // Its one place in the queue taken, the server drops further connects unanswered.
  const std::unique_ptr<TcpPort> first = TcpPort::Open(*ParseTcpAddress(address), why, 1000);
  ASSERT_NE(first, nullptr) << why;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(TcpPort::Open(*ParseTcpAddress(address), why, 200), nullptr);
  EXPECT_EQ(why, SystemErrorText(TcpSocket::TimedOutCode()));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));  // not the system's minutes
  CloseSocket(listener);
}

}  // namespace
}  // namespace r742
