// r742 ports and the dispatch of the commands.
#include <nlohmann/json.hpp>
#include <ostream>

#include "app/cli_commands.h"
#include "app/cli_exit.h"
#include "app/cli_options.h"
#include "serial/serial_port.h"

namespace r742 {
namespace {

struct PortState {
  std::string name, device, state, reason, hint;
};

PortState StateOf(IPortProvider& provider, const std::string& name) {
  PortState s{name, provider.Describe(name), "free", {}, {}};
  if (provider.Open(name)) return s;  // closed again at once
  s.reason = provider.OpenFailure(name);
  s.hint = provider.RefusalHint({name});
  std::string lower = s.reason;
  for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  if (!s.hint.empty())
    s.state = "refused";
  else if (lower.find("held") != std::string::npos || lower.find("denied") != std::string::npos)
    s.state = "busy";
  else
    s.state = "absent";
  return s;
}

}  // namespace

int RunPorts(const CliOptions& options, CliContext& context) {
  IPortProvider& provider = CurrentPortProvider();
  nlohmann::json list = nlohmann::json::array();
  for (int i = 1; i <= kPortCount; ++i) {
    const PortState s = StateOf(provider, "COM" + std::to_string(i));
    if (options.json) {
      list.push_back({{"port", s.name},
                      {"device", s.device == s.name ? "" : s.device},
                      {"state", s.state},
                      {"reason", s.reason},
                      {"hint", s.hint}});
      continue;
    }
    context.out << s.name << "  " << s.state;
    if (s.device != s.name) context.out << "  " << s.device;
    if (s.state != "free" && s.state != "absent") context.out << "  (" << s.reason << ")";
    context.out << "\n";
    if (!s.hint.empty()) context.out << "      " << s.hint << "\n";
  }
  if (options.json)
    context.out << nlohmann::json{{"ports", list}}.dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
                << "\n";
  return kExitOk;
}

int RunR742(int argc, const char* const* argv, CliContext& context) {
  CliOptions options;
  if (const int code = ParseCliOptions(argc, argv, options, context.out, context.err); code >= 0) return code;
  if (options.command == "ports") return RunPorts(options, context);
  if (options.command == "scan") return RunScan(options, context);
  if (options.command == "read") return RunRead(options, context);
  if (options.command == "send") return RunSend(options, context);
  return RunRelease(options, context);
}

}  // namespace r742
