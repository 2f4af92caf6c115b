// A configuration as the JSON object its file holds, for records and output.
#pragma once

#include <nlohmann/json.hpp>

#include "site/site_config.h"

namespace r742 {

// The object FormatSiteConfig writes (its keys sorted, as nlohmann::json keeps them).
nlohmann::json SiteConfigJson(const SiteConfig& config);

}  // namespace r742
