// What a Read took from a node, as JSON (`r742 read --json`, the record) and
// as the configuration it amounts to.
#pragma once

#include <nlohmann/json.hpp>

#include "site/node_reading.h"
#include "site/site_config.h"

namespace r742 {

// {"system": {"volts", "amps", "wiring_type", "wiring" (name or null),
//             "power" (null for an unknown wiring type)},
//  "channels": {"CH1".."CH3": {"parameter" (name or null for an unknown code),
//             "code" (as the node holds it), "output" ("mA" or "V"), "full_scale",
//             "nominal" and "zero_offset" (for "Hz": "centre" and "span"),
//             "readouts": [at +100 %, at 0, at -100 %] (texts, null where blank)}}}
// Floats are written as their shortest text; one that is not finite as null.
nlohmann::json ReadingJson(const NodeReading& reading);

// The channels as read (a code the catalogue does not know becomes "OFF"),
// scaling as held; no line settings, node or order.
SiteConfig ConfigFromReading(const NodeReading& reading);

}  // namespace r742
