#include "model/scaling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "model/value_reader.h"

namespace r742 {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::nanf("");

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }  // -0.0 != +0.0

TEST(Scaling, Clamps) {
  const std::pair<float, float> nominal[] = {{250, 200}, {200, 200}, {5, 5}, {2, 5},
                                             {kInf, 200}, {-kInf, 5}, {kNaN, 5}};
  for (const auto& [in, out] : nominal) {
    EXPECT_EQ(ClampNominal(in), out) << in;
    EXPECT_EQ(IsNominalBad(in), in != out) << in;
  }
  EXPECT_EQ(ClampNominal(ReadValueText("abc")), 5);

  const std::pair<float, float> offset[] = {{95, 0}, {90.01f, 0}, {90, 90}, {-50, -50},
                                            {kInf, 0}, {-kInf, 0}, {kNaN, 0}};
  for (const auto& [in, out] : offset) EXPECT_EQ(ClampZeroOffset(in), out) << in;
  EXPECT_TRUE(IsOffsetBad(90.01f));
  EXPECT_FALSE(IsOffsetBad(90));
}

TEST(Scaling, ReadoutAtPlusZeroAndMinusFullScale) {
  struct Case { float F, N, Z; const char* out[3]; };
  const Case cases[] = {{20, 100, 0, {"+20.0", "+0.0", "-20.0"}},
                        {20, 100, 20, {"+20.0", "+4.0", "-12.0"}},
                        {0, 100, 0, {"+0.0", "+0.0", "-0.0"}},
                        // Single-precision steps land just beside the exact x.x5 values.
                        {1, 15, 0, {"+0.1", "+0.0", "-0.1"}},
                        {1, 35, 15, {"+0.4", "+0.2", "-0.0"}}};
  for (const Case& c : cases)
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(FormatReadout(ChannelOutput(1.0f - i, c.F, c.N, c.Z)), c.out[i]) << c.F << ' ' << c.N << ' ' << c.Z;
}

TEST(Scaling, FormatReadoutExtremes) {
  EXPECT_EQ(FormatReadout(kInf), "+inf");
  const std::string big = FormatReadout(-std::numeric_limits<float>::max());
  EXPECT_EQ(big.substr(0, 10), "-340282346");
  EXPECT_EQ(big.size(), 42u);
}

TEST(Scaling, FrequencyNodeValuesBothWays) {
  struct Case { float centre, span, a, b; };
  const Case cases[] = {{50, 10, 100, -0.0f}, {50, 5, 150, -50}, {60, 10, 50, -50}};
  for (const Case& c : cases) {
    EXPECT_TRUE(SameBits(FrequencyToNode(c.centre, c.span, 0), c.a)) << c.centre << '/' << c.span;
    EXPECT_TRUE(SameBits(FrequencyToNode(c.centre, c.span, 1), c.b)) << c.centre << '/' << c.span;
    const CentreSpan back = FrequencyFromNode(c.a, c.b);
    EXPECT_TRUE(SameBits(back.centre, c.centre) && SameBits(back.span, c.span)) << c.a << ',' << c.b;
  }
  EXPECT_TRUE(SameBits(FrequencyToNode(50, 10, 2), 0.0f));
  EXPECT_FALSE(std::isfinite(FrequencyToNode(50, 0, 0)));
}

}  // namespace
}  // namespace r742
