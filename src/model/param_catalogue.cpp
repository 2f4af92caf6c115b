#include "model/param_catalogue.h"

#include <array>

namespace r742 {
namespace {

struct ParamEntry {
  std::string_view name;
  int polarity;
};

constexpr int kNone = 0;
constexpr int kUnsigned = 1;
constexpr int kSigned = 2;

// clang-format off
constexpr std::array<ParamEntry, kParamCount> kParams{{
    {"OFF", kNone},
    {"V 1", kUnsigned},          {"V 2", kUnsigned},         {"V 3", kUnsigned},
    {"V L1-2", kUnsigned},       {"V L2-3", kUnsigned},      {"V L3-1", kUnsigned},
    {"I 1", kUnsigned},          {"I 2", kUnsigned},         {"I 3", kUnsigned},
    {"I Sum", kUnsigned},        {"Neutral I", kUnsigned},
    {"kW 1", kSigned},           {"kW 2", kSigned},          {"kW 3", kSigned},
    {"kW Sum", kSigned},
    {"kVAr 1", kSigned},         {"kVAr 2", kSigned},        {"kVAr 3", kSigned},
    {"kVAr Sum", kSigned},
    {"kVA 1", kUnsigned},        {"kVA 2", kUnsigned},       {"kVA 3", kUnsigned},
    {"kVA Sum", kUnsigned},
    {"PF L1", kSigned},          {"PF L2", kSigned},         {"PF L3", kSigned},
    {"PF Avg", kSigned},
    {"PF L1 Exp", kSigned},      {"PF L2 Exp", kSigned},     {"PF L3 Exp", kSigned},
    {"PF Avg Exp", kSigned},
    {"PF L1 Imp", kSigned},      {"PF L2 Imp", kSigned},     {"PF L3 Imp", kSigned},
    {"PF Avg Imp", kSigned},
    {"Hz", kUnsigned},
    {"kWd (Imp)", kUnsigned},    {"Max kWd (Imp)", kUnsigned},
    {"kWd (Exp)", kUnsigned},    {"Max kWd (Exp)", kUnsigned},
    {"kVArd (Imp)", kUnsigned},  {"Max kVArd (Imp)", kUnsigned},
    {"kVArd (Exp)", kUnsigned},  {"Max kVArd (Exp)", kUnsigned},
    {"Ad", kUnsigned},           {"Max Ad", kUnsigned},
    {"kVAd", kUnsigned},         {"Max kVAd", kUnsigned},
}};
// clang-format on

static_assert(kParams[kFrequencyCode].name == "Hz");

constexpr bool IsValidCode(int code) { return code >= 0 && code < kParamCount; }

}  // namespace

std::string GetParamName(int code) {
  if (!IsValidCode(code)) return {};
  return std::string(kParams[static_cast<std::size_t>(code)].name);
}

int GetParamCode(std::string_view name) {
  for (int code = 0; code < kParamCount; ++code) {
    if (kParams[static_cast<std::size_t>(code)].name == name) return code;
  }
  return 0;
}

int GetParamPolarity(int code) {
  if (!IsValidCode(code)) return kNone;
  return kParams[static_cast<std::size_t>(code)].polarity;
}

}  // namespace r742
