// Configuration files: refused whole with the place named, written so that they read back bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

#include "site/site_config.h"

namespace r742 {
namespace {

const std::string kFull = R"({
  "format": "r742-outputs configuration",
  "version": 1,
  "line": {"port": "CÖM1", "baud": 38400, "parity": "N", "stop": 2},
  "node": 1,
  "order": 2,
  "channels": {
    "CH1": {"parameter": "V L1-2", "nominal": 100.0, "zero_offset": 0.0},
    "CH2": {"parameter": "Hz", "centre": 50.0, "span": 5.0},
    "CH3": {"parameter": "OFF", "nominal": 100.0, "zero_offset": 0.0}
  }
}
)";

std::string Edited(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

TEST(SiteConfigTest, RefusesWholeFileNamingThePlace) {
  const struct {
    std::string from, to, error;
  } kRows[] = {
      {"\"N\"", "N",
       "line 4, column 53: syntax error while parsing value - invalid literal; last read: '\"parity\": N'"},
      {"\"span\"", "\"spam\"", "channels.CH2.spam: unknown key"},
      {"\"stop\": 2}", "\"stop\": 2, \"stop\": 1}", "line.stop: duplicate key"},
      {"\"V L1-2\"", "\"V L1\"", "channels.CH1.parameter: \"V L1\" is not a parameter name"},
      {"\"nominal\": 100.0", "\"nominal\": 250", "channels.CH1.nominal: 250 is outside 5..200"},
      {"\"zero_offset\": 0.0}", "\"zero_offset\": 90.5}", "channels.CH1.zero_offset: 90.5 is above 90"},
      {"\"zero_offset\": 0.0}", "\"zero_offset\": -1e39}", "channels.CH1.zero_offset: -1e+39 is not a 32-bit float"},
      {"\"centre\": 50.0", "\"centre\": 4.99", "channels.CH2.centre: 4.99 is outside 5..200"},
      {"\"span\": 5.0", "\"span\": -0.0", "channels.CH2.span: must not be 0"},
      {"\"centre\"", "\"nominal\"", "channels.CH2.nominal: not used for \"Hz\" (give centre and span)"},
      {"\"version\": 1", "\"version\": 2", "version: 2 is not supported (version 1 is)"},
      {"\"node\": 1", "\"node\": \"1\"", "node: must be a whole number"},
      {"\"order\": 2", "\"order\": 4", "order: 4 is outside 0..3"},
      {"\"nominal\": 100.0", "\"nominal\": \"100\"", "channels.CH1.nominal: must be a number"},
      {"38400", "38401", "line.baud: 38401 is not a standard rate"},
      {",\n    \"CH3\": {\"parameter\": \"OFF\", \"nominal\": 100.0, \"zero_offset\": 0.0}", "",
       "channels.CH3: missing"},
  };
  for (const auto& row : kRows) {
    std::string error;
    EXPECT_FALSE(ParseSiteConfig(Edited(kFull, row.from, row.to), error)) << row.to;
    EXPECT_EQ(error, row.error);
  }
}

TEST(SiteConfigTest, WrittenTextReadsBackBitForBit) {
  std::string error;
  const auto full = ParseSiteConfig(kFull, error);
  ASSERT_TRUE(full) << error;
  EXPECT_EQ(FormatSiteConfig(*full), kFull);

  SiteConfig config;  // no line settings, node or order
  config.channels = {{{"kW Sum", 12.3f, -0.0f}, {"Hz", 49.9f, -2.5f}, {"OFF", std::nextafter(100.0f, 0.0f), 1e-45f}}};
  const std::string text = FormatSiteConfig(config);
  EXPECT_NE(text.find("\"nominal\": 12.3, \"zero_offset\": -0.0"), std::string::npos) << text;
  const auto back = ParseSiteConfig(text, error);
  ASSERT_TRUE(back) << error;
  EXPECT_TRUE(SameSiteConfig(*back, config)) << text;

  const auto minimal =
      ParseSiteConfig(Edited(Edited(text, ", \"nominal\": 99.99999", ""), ", \"zero_offset\": 1e-45", ""), error);
  ASSERT_TRUE(minimal) << error;
  EXPECT_EQ(minimal->channels[2].nominal, 100.0f);
  EXPECT_EQ(minimal->channels[2].zeroOffset, 0.0f);
}

TEST(SiteConfigTest, FilesAreReplacedWholeAndErrorsNameThePath) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("r742_site_config_" + std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  const std::string file = (dir / "site.json").string();
  std::ofstream(file) << "old";
  std::string error;
  SiteConfig config;
  config.node = 7;
  ASSERT_TRUE(SaveSiteConfig(file, config, error)) << error;
  const auto loaded = LoadSiteConfig(file, error);
  ASSERT_TRUE(loaded) << error;
  EXPECT_TRUE(SameSiteConfig(*loaded, config));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);  // no temporary file left

  config.channels[0].nominal = NAN;
  EXPECT_FALSE(SaveSiteConfig(file, config, error));
  EXPECT_EQ(error.rfind(file + ": not a valid configuration: channels.CH1.nominal:", 0), 0u) << error;
  std::ofstream(file, std::ios::app) << std::string(kMaxConfigFileBytes, ' ');
  EXPECT_FALSE(LoadSiteConfig(file, error));
  EXPECT_EQ(error, file + ": larger than 1048576 bytes");
  EXPECT_FALSE(LoadSiteConfig(file + ".missing", error));
  EXPECT_GT(error.size(), file.size() + 12) << error;  // the system's reason follows the path
  fs::remove_all(dir);
}

}  // namespace
}  // namespace r742
