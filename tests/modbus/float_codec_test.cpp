#include "modbus/float_codec.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <limits>

namespace r742 {
namespace {

using Four = std::array<std::uint8_t, 4>;

TEST(FloatCodec, PutFloatInTheFourOrdersAndArrangeBytesUndoesIt) {
  const Four wire[] = {{0x3F, 0x80, 0, 0}, {0, 0, 0x80, 0x3F}, {0, 0, 0x3F, 0x80}, {0x80, 0x3F, 0, 0}};
  for (unsigned order = 0; order < 4; ++order) {
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(CFloatCodec().PutFloat(1.0f, buffer.data(), 0, order), 4u);
    EXPECT_EQ(CFloatCodec().PutFloat(1.0f, buffer.data(), 4, order), 8u);
    const auto& w = wire[order];
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 8>{w[0], w[1], w[2], w[3], w[0], w[1], w[2], w[3]})) << order;
    for (std::uint32_t pattern : {0x3F800000u, 0x12345678u, 0x80000001u, 0x7FC12345u}) {
      CFloatCodec().PutFloat(std::bit_cast<float>(pattern), buffer.data(), 0, order);
      EXPECT_EQ(ArrangeBytes(buffer.data(), order), pattern) << std::hex << pattern << " order " << order;
    }
  }
}

TEST(FloatCodec, GetFloatKeepsEveryClassOfPattern) {
  using Limits = std::numeric_limits<float>;
  const struct {
    std::uint32_t pattern;
    float value;
  } cases[] = {
      // clang-format off
      {0x00000000, 0.0f}, {0x80000000, -0.0f}, {0x3F800000, 1.0f}, {0xC2C80000, -100.0f},
      {0x00000001, Limits::denorm_min()}, {0x807FFFFF, -(Limits::min() - Limits::denorm_min())},
      {0x7F800000, Limits::infinity()}, {0xFF800000, -Limits::infinity()},
      // clang-format on
  };
  for (const auto& c : cases) {
    const float got = CFloatCodec().GetFloat(c.pattern);
    EXPECT_EQ(got, c.value) << std::hex << c.pattern;
    EXPECT_EQ(std::signbit(got), std::signbit(c.value)) << std::hex << c.pattern;
  }
  for (std::uint32_t nan : {0x7FC00000u, 0x7FC12345u, 0xFFFFFFFFu}) {
    EXPECT_TRUE(std::isnan(CFloatCodec().GetFloat(nan)));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(CFloatCodec().GetFloat(nan)), nan);
  }
}

}  // namespace
}  // namespace r742
