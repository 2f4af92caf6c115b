#include "site/site_record.h"

#include <cstdio>

#include "log/file_append.h"
#include "site/file_failure.h"
#include "site/reading_json.h"
#include "site/site_config_json.h"

namespace r742 {

std::string UtcTimeText(std::chrono::system_clock::time_point time) {
  using namespace std::chrono;
  const auto milliseconds = floor<std::chrono::milliseconds>(time);
  const auto day = floor<days>(milliseconds);
  const year_month_day date{day};
  const hh_mm_ss clock{milliseconds - day};
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()));
  return text;
}

nlohmann::json RecordEntry(const RecordFacts& facts) {
  nlohmann::json entry;
  entry["time"] = UtcTimeText(facts.time);
  entry["command"] = facts.command;
  entry["port"] = facts.port;
  entry["device"] = facts.device;
  entry["baud"] = facts.baud;
  entry["parity"] = std::string(1, facts.parity);
  entry["stop"] = facts.stopBits;
  entry["node"] = facts.node;
  entry["order"] = facts.order;
  entry["read"] = facts.read ? ReadingJson(*facts.read) : nlohmann::json();
  entry["written"] = facts.written ? SiteConfigJson(*facts.written) : nlohmann::json();
  entry["check"] = facts.sameAsWritten ? nlohmann::json(*facts.sameAsWritten ? "same" : "differs") : nlohmann::json();
  entry["result"] = facts.result;
  entry["exit"] = facts.exitCode;
  return entry;
}

bool AppendRecordLine(const std::string& path, const nlohmann::json& entry, std::string& error) {
  return FailureNamesPath(path, error, [&](std::string& reason) {
    const std::string line =
        entry.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + std::string(TextLineEnd());
    if (path.find('\0') == std::string::npos) return AppendWholeToFile(path.c_str(), line, reason);
    reason = "not a file name";
    return false;
  });
}

}  // namespace r742
