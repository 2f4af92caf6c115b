// A reading as JSON and as a configuration, and the record's whole lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "site/reading_json.h"
#include "site/site_record.h"

namespace r742 {
namespace {

NodeReading Reading() {
  NodeReading reading;
  reading.system = {230.0f, 5.0f, 3.0f};
  reading.channels[0] = {4.0f, 4, "V L1-2", 1, 20.0f, 12.3f, -0.0f, {"+20.0", "+0.0", ""}, "mA"};
  reading.channels[1] = {36.0f, 36, "Hz", 0, 10.0f, 50.0f, 5.0f, {"+10.0", "+5.0", "+0.0"}, "V"};
  reading.channels[2] = {77.5f, 0, "", 1, 20.0f, 100.0f, 0.0f, {"", "", ""}, "mA"};
  return reading;
}

TEST(SiteRecordTest, ReadingAsJsonAndAsConfiguration) {
  EXPECT_EQ(ReadingJson(Reading()), nlohmann::json::parse(R"({
    "system": {"volts": 230.0, "amps": 5.0, "wiring_type": 3.0, "wiring": "3ph 4Wire", "power": 3450.0},
    "channels": {
      "CH1": {"parameter": "V L1-2", "code": 4.0, "output": "mA", "full_scale": 20.0, "nominal": 12.3,
              "zero_offset": -0.0, "readouts": ["+20.0", "+0.0", null]},
      "CH2": {"parameter": "Hz", "code": 36.0, "output": "V", "full_scale": 10.0, "centre": 50.0, "span": 5.0,
              "readouts": ["+10.0", "+5.0", "+0.0"]},
      "CH3": {"parameter": null, "code": 77.5, "output": "mA", "full_scale": 20.0, "nominal": 100.0,
              "zero_offset": 0.0, "readouts": [null, null, null]}}})"));
  SiteConfig expected;
  expected.channels = {{{"V L1-2", 12.3f, -0.0f}, {"Hz", 50.0f, 5.0f}, {"OFF", 100.0f, 0.0f}}};
  EXPECT_TRUE(SameSiteConfig(ConfigFromReading(Reading()), expected));
}

TEST(SiteRecordTest, EachEntryIsOneWholeLine) {
  namespace fs = std::filesystem;
  using namespace std::chrono;
  const fs::path dir = fs::temp_directory_path() / ("r742_site_record_" + std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  RecordFacts facts;
  facts.time = sys_days{2026y / 12 / 7} + 14h + 2min + 3s + 123456us;
  facts.device = "/dev/ttyUSB\xff";
  facts.read = Reading();
  facts.written = ConfigFromReading(Reading());
  facts.sameAsWritten = false;
  const nlohmann::json entry = RecordEntry(facts);
  EXPECT_EQ(entry["time"], "2026-12-07T14:02:03.123Z");
  EXPECT_EQ(entry["check"], "differs");
  const std::string file = (dir / "record.jsonl").string();
  std::string error;
  ASSERT_TRUE(AppendRecordLine(file, entry, error)) << error;
  ASSERT_TRUE(AppendRecordLine(file, RecordEntry({}), error)) << error;
  std::ifstream in(file);
  std::string line;
  std::vector<nlohmann::json> lines;
  while (std::getline(in, line)) lines.push_back(nlohmann::json::parse(line));
  in.close();  // Windows removes no open file
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0]["device"], "/dev/ttyUSB\xef\xbf\xbd");
  EXPECT_EQ(lines[0]["written"]["channels"]["CH3"]["parameter"], "OFF");
  EXPECT_EQ(lines[1]["read"], nullptr);

  EXPECT_FALSE(AppendRecordLine(dir.string(), entry, error));
  EXPECT_EQ(error, dir.string() + ": not a regular file");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace r742
