// The node behind an in-memory line: reply chunks reach the program at the
// line's clock time plus their delays.
#include "memory_link.h"

#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace r742 {
namespace {

TEST(SimMemoryLink, ChunksArriveAtTheirTimesOnTheLineClock) {
  std::int64_t now = 1000;
  MemoryLine line([&] { return now; });
  SimNode node(1, 0);
  node.Faults() = {.echo = true, .delayMs = 5, .splitGapMs = 60};
  MemoryLink link(line, node);
  auto port = line.OpenProgramEnd();
  ASSERT_TRUE(port && port->SetCommTimeouts({}));  // all zero: a read takes only what has arrived

  const simtest::Bytes request = simtest::Hex("01 03 00 18 00 12 45 C0");
  std::uint32_t written = 0;
  ASSERT_TRUE(port->Write(request.data(), 8, written));
  auto readAt = [&](std::int64_t t) {
    now = t;
    simtest::Bytes buffer(512);
    std::uint32_t received = 0;
    EXPECT_TRUE(port->Read(buffer.data(), 512, received));
    buffer.resize(received);
    return buffer;
  };
  EXPECT_EQ(readAt(1000), request);
  EXPECT_EQ(readAt(1004).size(), 0u);
  EXPECT_EQ(readAt(1005).size(), 20u);  // first half of the 41-byte reply
  EXPECT_EQ(readAt(1064).size(), 0u);
  EXPECT_EQ(readAt(1065).size(), 21u);
}

}  // namespace
}  // namespace r742
