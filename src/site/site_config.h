// A node's output configuration as a configuration file holds it: the three
// channels by parameter name with their scaling, and optionally the line
// settings, the node number and the float byte order to use.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace r742 {

inline constexpr int kConfigFormatVersion = 1;
inline constexpr std::string_view kConfigFormatName = "r742-outputs configuration";

struct ChannelConfig {
  std::string parameter = "OFF";  // a name of the parameter catalogue
  float nominal = 100.0f;         // percent; for "Hz" the centre frequency in Hz
  float zeroOffset = 0.0f;        // percent; for "Hz" the span +/- in Hz
};

struct LineConfig {
  std::optional<std::string> port;  // "COM1", a device path or a link to one
  std::optional<std::uint32_t> baud;
  std::optional<char> parity;   // 'N', 'O' or 'E'
  std::optional<int> stopBits;  // 1 or 2
};

struct SiteConfig {
  std::array<ChannelConfig, 3> channels;  // CH1..CH3
  LineConfig line;
  std::optional<unsigned> node;   // 1..255
  std::optional<unsigned> order;  // 0..3
};

// Reads the text of a configuration file strictly: a syntax error names its
// line and column; an unknown key, an unknown parameter name, a value outside
// the window's limits, a missing field or another format version names the
// field. Nothing is corrected. Empty on failure, with `error` set.
std::optional<SiteConfig> ParseSiteConfig(std::string_view text, std::string& error);

// The text of a configuration file that ParseSiteConfig takes back unchanged.
std::string FormatSiteConfig(const SiteConfig& config);

// Equal field by field, the floats bit for bit (so -0.0 differs from 0.0).
bool SameSiteConfig(const SiteConfig& a, const SiteConfig& b);

// The file itself: at most kMaxConfigFileBytes are read; a file is written
// whole or not at all (a new file beside it renamed over it). The errors begin
// with the path ("site.json: No such file or directory", "site.json: line 3,
// column 7: syntax error ..."). Save refuses a configuration that Parse would.
inline constexpr std::size_t kMaxConfigFileBytes = 1 << 20;
std::optional<SiteConfig> LoadSiteConfig(const std::string& path, std::string& error);
bool SaveSiteConfig(const std::string& path, const SiteConfig& config, std::string& error);

}  // namespace r742
