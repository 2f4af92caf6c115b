#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "serial/memory_line.h"

namespace r742 {
namespace {

using Bytes = std::vector<std::uint8_t>;

class MemoryLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    provider.Add("COM2", line);
    port = provider.Open("COM2");
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->SetCommTimeouts({.readInterval = 20, .readTotalMultiplier = 1, .readTotalConstant = 1}));
  }
  void Deliver(Bytes bytes, std::int64_t atMs) { line.DeliverToProgram(bytes, atMs); }
  Bytes Read(std::uint32_t count) {
    std::array<std::uint8_t, 512> buffer{};
    std::uint32_t received = 99;
    EXPECT_TRUE(port->Read(buffer.data(), count, received));
    return {buffer.begin(), buffer.begin() + received};
  }

  std::int64_t now = 1000;
  MemoryLine line{[this] { return now; }};
  MemoryPortProvider provider;
  std::unique_ptr<ISerialPort> port;
};

TEST_F(MemoryLineTest, ReadEndsWhereARealReadStartingNowWould) {
  EXPECT_TRUE(Read(512).empty());
  Deliver({1, 2, 3}, 900);  // already waiting: whole
  EXPECT_EQ(Read(512), (Bytes{1, 2, 3}));
  Deliver({5, 6}, 1010);  // still to come, then more than 20 ms quiet
  Deliver({7}, 1030);
  Deliver({8}, 1051);
  EXPECT_EQ(Read(512), (Bytes{5, 6, 7}));
  EXPECT_EQ(Read(512), (Bytes{8}));
  Deliver({1}, 1004);  // 3 bytes: 3 * 1 + 1 ms in all
  Deliver({2, 3}, 1005);
  EXPECT_EQ(Read(3), (Bytes{1}));
  EXPECT_EQ(line.Pending(), 2u);

  ASSERT_TRUE(port->SetCommTimeouts({}));  // only what has arrived by now
  EXPECT_TRUE(Read(512).empty());
  now = 1005;
  EXPECT_EQ(Read(512), (Bytes{2, 3}));
}

}  // namespace
}  // namespace r742
