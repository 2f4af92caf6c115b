// Configuration files on disk: read with a bound, written beside and renamed over.
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "log/file_append.h"
#include "site/file_failure.h"
#include "site/site_config.h"

namespace r742 {
namespace {

namespace fs = std::filesystem;

// Paths are UTF-8 in the program, whatever the platform's own encoding.
fs::path FilePath(const std::string& path) { return fs::path(std::u8string(path.begin(), path.end())); }

std::string ErrnoText(int code) { return std::generic_category().message(code); }

bool ReadBounded(const std::string& path, std::string& text, std::string& error) {
  const fs::path file = FilePath(path);
  std::error_code ec;
  if (fs::is_directory(fs::status(file, ec))) {
    error = "is a folder";
    return false;
  }
  if (ec) {
    error = ec.message();
    return false;
  }
  errno = 0;
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = errno != 0 ? ErrnoText(errno) : "cannot be opened";
    return false;
  }
  text.resize(kMaxConfigFileBytes + 1);
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) {
    error = errno != 0 ? ErrnoText(errno) : "cannot be read";
    return false;
  }
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > kMaxConfigFileBytes) {
    error = "larger than " + std::to_string(kMaxConfigFileBytes) + " bytes";
    return false;
  }
  return true;
}

// The platform's line ends, as the log file has them.
std::string WithLineEnds(const std::string& text) {
  std::string converted;
  for (char c : text) c == '\n' ? converted += TextLineEnd() : converted += c;
  return converted;
}

bool WriteReplacing(const std::string& path, const std::string& text, std::string& error) {
  const fs::path target = FilePath(path);
  fs::path temporary = target;
  temporary += ".new" + std::to_string(std::random_device{}() % 1000000);
  errno = 0;
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  if (!out) {
    error = "cannot create a file beside it: " + (errno != 0 ? ErrnoText(errno) : std::string("unknown reason"));
    return false;
  }
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  std::error_code ec;
  if (out.fail()) {
    error = errno != 0 ? ErrnoText(errno) : "cannot be written";
    fs::remove(temporary, ec);
    return false;
  }
  fs::rename(temporary, target, ec);
  if (ec) {
    error = ec.message();
    fs::remove(temporary, ec);
    return false;
  }
  return true;
}

}  // namespace

std::optional<SiteConfig> LoadSiteConfig(const std::string& path, std::string& error) {
  std::string reason;
  try {
    std::string text;
    if (ReadBounded(path, text, reason)) {
      if (auto config = ParseSiteConfig(text, reason)) return config;
    }
  } catch (const std::exception& e) {
    reason = e.what();
  }
  error = path + ": " + reason;
  return std::nullopt;
}

bool SaveSiteConfig(const std::string& path, const SiteConfig& config, std::string& error) {
  return FailureNamesPath(path, error, [&](std::string& reason) {
    const std::string text = FormatSiteConfig(config);
    if (ParseSiteConfig(text, reason)) return WriteReplacing(path, WithLineEnds(text), reason);
    reason = "not a valid configuration: " + reason;
    return false;
  });
}

}  // namespace r742
