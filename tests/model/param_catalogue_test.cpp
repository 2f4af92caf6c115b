#include "model/param_catalogue.h"

#include <gtest/gtest.h>

#include <set>

namespace r742 {
namespace {

TEST(ParamCatalogue, EveryCodeRoundTripsThroughAUniqueName) {
  std::set<std::string> seen;
  for (int code = 0; code < kParamCount; ++code) {
    const std::string name = GetParamName(code);
    EXPECT_TRUE(!name.empty() && name.size() <= 15 && seen.insert(name).second) << code;
    EXPECT_EQ(GetParamCode(name), code) << name;
  }
  EXPECT_EQ(GetParamName(kFrequencyCode), "Hz");
  EXPECT_EQ(GetParamName(48), "Max kVAd");
}

TEST(ParamCatalogue, PolarityByRange) {
  struct Range { int first, last, polarity; };
  const Range ranges[] = {{-1, 0, 0}, {1, 11, 1}, {12, 19, 2}, {20, 23, 1},
                          {24, 35, 2}, {36, 48, 1}, {49, 49, 0}};
  for (const Range& r : ranges)
    for (int code = r.first; code <= r.last; ++code) EXPECT_EQ(GetParamPolarity(code), r.polarity) << code;
}

TEST(ParamCatalogue, UnknownCodesAndNames) {
  EXPECT_EQ(GetParamName(-1), "");
  EXPECT_EQ(GetParamName(kParamCount), "");
  for (const char* name : {"", "off", " OFF", "Hz ", "kWd(Imp)", "V1"}) EXPECT_EQ(GetParamCode(name), 0) << name;
}

}  // namespace
}  // namespace r742
