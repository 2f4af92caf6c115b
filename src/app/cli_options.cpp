#include "app/cli_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <ostream>

#include "app/cli_exit.h"
#include "serial/standard_baud_rates.h"

namespace r742 {
namespace {

constexpr const char* kPaceHelp =
    "fast (default): each reply ends as soon as its length is in, else 20 ms after its last byte; window: the window's "
    "own timeline, for a node that needs it";

std::string BaudCheck(const std::string& text) {
  std::uint32_t baud = 0;
  try {
    baud = static_cast<std::uint32_t>(std::stoul(text));
  } catch (...) {
    return "not a baud rate: " + text;
  }
  return IsStandardBaudRate(baud) ? std::string() : text + " is not a standard baud rate";
}

std::string ParityCheck(const std::string& text) {
  return text.size() == 1 && std::string("NOEnoe").find(text[0]) != std::string::npos
             ? std::string()
             : "the parity is N, O or E, not " + text;
}

struct Common {
  std::string nodes;
  std::string parity;
  std::string pace = "fast";
  unsigned node = 0;
  unsigned order = 0;
  std::uint32_t timeout = 0;
};

void AddLineOptions(CLI::App& command, CliOptions& o, Common& c) {
  command.add_option("--port", o.line.port, "COM1..COM9, a device path or link, or tcp://HOST:PORT (default COM1)");
  command.add_option("--baud", o.line.baud, "baud rate (default 38400)")->check(CLI::Validator(BaudCheck, "BAUD"));
  command.add_option("--parity", c.parity, "N, O or E (default N)")->check(CLI::Validator(ParityCheck, "N|O|E"));
  command.add_option("--stop", o.line.stopBits, "stop bits, 1 or 2 (default 2)")->check(CLI::IsMember({1, 2}));
  command.add_option("--order", c.order, "float byte order 0..3 (default 2)")->check(CLI::Range(0u, 3u));
  command.add_option("--pace", c.pace, kPaceHelp)->check(CLI::IsMember({"fast", "window"}));
}

// Read, send and release: the nodes, the time-out, and what is written where.
void AddNodeOptions(CLI::App& command, CliOptions& o, Common& c) {
  auto* node = command.add_option("--node", c.node, "node number 1..255 (default 1)")->check(CLI::Range(1u, 255u));
  command.add_option("--nodes", c.nodes, "several nodes on the line, such as 1,2,5-9")->excludes(node);
  command
      .add_option(
          "--timeout", c.timeout,
          "ms to wait for a reply to start, from the end of the request on the wire (default 300, the window's)")
      ->check(CLI::Range(1u, 60000u));
  command.add_flag("--json", o.json, "one JSON document on standard output");
  command.add_option("--report", o.report, "append one JSON line per node to FILE");
}

}  // namespace

int ParseCliOptions(int argc, const char* const* argv, CliOptions& o, std::ostream& out, std::ostream& err) {
  CLI::App app{"r742: finds, reads, configures and records the analogue outputs of R742 nodes", "r742"};
  app.require_subcommand(1);
  // On Windows CLI11 would take "/x" for an option; a path may begin so.
  app.allow_windows_style_options(false);
  app.set_help_all_flag("--help-all", "help on every command");
  Common c;

  app.add_subcommand("ports", "COM1..COM9: the device each stands for, and whether it is free, busy or refused")
      ->add_flag("--json", o.json, "one JSON document on standard output");

  CLI::App* scan = app.add_subcommand("scan", "finds the nodes on one or more lines, side by side");
  scan->footer(
      "Every node number is probed at each line setting: the window's 38400 N first, then the other baud rates of "
      "Port Setup, then even and odd parity. Stop bits do not matter to a receiver, so every setting is probed "
      "with 2 stop bits; --stop 2,1 probes each with 2 then 1. Behind a serial device server (tcp://HOST:PORT), which "
      "holds the line settings, only the node numbers are probed. Ctrl+C ends the scan within one probe and prints "
      "what was found.");
  scan->add_option("ports", o.scanPorts, "ports to scan (default COM1)");
  scan->add_option("--nodes", c.nodes, "node numbers to probe (default 1-247)");
  scan->add_option("--baud", o.scanBauds, "baud rates, such as 9600,19200 (default the six of Port Setup)")
      ->delimiter(',')
      ->check(CLI::Validator(BaudCheck, "BAUD"));
  scan->add_option("--parity", o.scanParities, "parities to try, such as N or NE (default NEO)");
  scan->add_option("--stop", o.scanStops, "stop bits to send, 2 or 1 or 2,1 (default 2)")
      ->delimiter(',')
      ->check(CLI::IsMember({1, 2}));
  scan->add_option("--timeout", c.timeout, "ms a node may take to answer a probe (default 50)")
      ->check(CLI::Range(1u, 60000u));
  scan->add_flag("--first", o.firstOnly, "stop at the first node found");
  scan->add_flag("--json", o.json, "one JSON document on standard output");

  CLI::App* read = app.add_subcommand("read", "reads nodes as the window's Read does");
  AddLineOptions(*read, o, c);
  AddNodeOptions(*read, o, c);
  read->add_option("-o,--output", o.outputFile, "write the configuration read to FILE (one node)");

  CLI::App* send = app.add_subcommand("send", "writes a configuration file to nodes, checks it, and releases them");
  send->add_option("file", o.configFile, "the configuration file")->required();
  AddLineOptions(*send, o, c);
  AddNodeOptions(*send, o, c);
  send->add_flag("--keep", o.keep, "leave the nodes unlocked (no Release afterwards)");

  CLI::App* release = app.add_subcommand("release", "the window's Release: 0.0 to the pass-code register");
  AddLineOptions(*release, o, c);
  AddNodeOptions(*release, o, c);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e, out, err);
    return code == 0 ? kExitOk : kExitUsage;
  }
  CLI::App* chosen = app.get_subcommands().front();
  o.command = chosen->get_name();
  const auto given = [chosen](const char* name) {
    const CLI::Option* option = chosen->get_option_no_throw(name);
    return option != nullptr && option->count() > 0;
  };
  o.portGiven = given("--port");
  o.baudGiven = given("--baud");
  o.parityGiven = given("--parity");
  o.stopGiven = given("--stop");
  if (!c.parity.empty()) o.line.parity = static_cast<char>(std::toupper(static_cast<unsigned char>(c.parity[0])));
  if (given("--order")) o.order = c.order;
  if (given("--timeout")) o.timeoutMs = c.timeout;
  o.windowPace = c.pace == "window";
  if (given("--node")) o.nodes = {c.node};
  std::string error;
  if (given("--nodes") && !ParseNodeList(c.nodes, o.command == "scan" ? o.scanNodes : o.nodes, error)) {
    err << "r742: --nodes: " << error << "\n";
    return kExitUsage;
  }
  for (char& p : o.scanParities) p = static_cast<char>(std::toupper(static_cast<unsigned char>(p)));
  if (o.scanParities.find_first_not_of("NOE,") != std::string::npos) {
    err << "r742: --parity: the parities are N, O and E, such as NE\n";
    return kExitUsage;
  }
  if (!o.outputFile.empty() && o.nodes.size() > 1) {
    err << "r742: -o writes the configuration of one node; give one --node\n";
    return kExitUsage;
  }
  return -1;
}

}  // namespace r742
