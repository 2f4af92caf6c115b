// Configuration files: ParseSiteConfig (site/site_config) on any text.
//
// Input: the text of a file.
// Asserts: a refusal is one line; a configuration taken is written by
// FormatSiteConfig as a text that ParseSiteConfig takes back to the same
// configuration, bit for bit.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "site/site_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace r742;
  using r742::fuzz::Require;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const std::optional<SiteConfig> config = ParseSiteConfig(text, error);
  if (!config) {
    Require(!error.empty() && error.find('\n') == std::string::npos && error.size() < 400);
    return 0;
  }
  const std::string written = FormatSiteConfig(*config);
  const std::optional<SiteConfig> back = ParseSiteConfig(written, error);
  Require(back && SameSiteConfig(*back, *config));
  Require(FormatSiteConfig(*back) == written);
  return 0;
}
