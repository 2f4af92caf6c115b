// The commands of r742, each from parsed options to an exit code; results on
// `out`, progress and messages on `err`.
#pragma once

#include <atomic>
#include <iosfwd>

namespace r742 {

struct CliOptions;
class SiteClock;

struct CliContext {
  std::ostream& out;
  std::ostream& err;
  std::atomic<bool>& interrupted;
  SiteClock& clock;
  bool progressIsTerminal = false;
};

int RunPorts(const CliOptions& options, CliContext& context);
int RunScan(const CliOptions& options, CliContext& context);
int RunRead(const CliOptions& options, CliContext& context);
int RunSend(const CliOptions& options, CliContext& context);
int RunRelease(const CliOptions& options, CliContext& context);

// The whole program: parses argv and runs its command.
int RunR742(int argc, const char* const* argv, CliContext& context);

}  // namespace r742
