#include "sim_options.h"

#include <algorithm>
#include <charconv>
#include <type_traits>
#include <vector>

namespace r742 {

namespace {

bool ParseNumber(std::string_view text, std::int64_t low, std::int64_t high, std::int64_t& out) {
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) return false;
  out = value;
  return true;
}

// "N" or "N:KEY=VALUE,..." with the keys order, baud, stop and parity.
bool ParseNodeOptions(std::string_view text, SimNodeOptions& out) {
  const std::size_t colon = std::min(text.find(':'), text.size());
  std::int64_t n = 0;
  if (!ParseNumber(text.substr(0, colon), 1, 247, n)) return false;
  out = SimNodeOptions{};
  out.node = static_cast<int>(n);
  if (colon == text.size()) return true;
  for (std::string_view keys = text.substr(colon + 1);;) {
    const std::size_t comma = keys.find(',');
    const std::string_view pair = keys.substr(0, comma);
    const std::size_t eq = pair.find('=');
    if (eq == std::string_view::npos) return false;
    const std::string_view key = pair.substr(0, eq), value = pair.substr(eq + 1);
    SimLineSettings& at = out.listensAt;
    if (key == "order" && ParseNumber(value, 0, 3, n)) {
      out.order = static_cast<unsigned>(n);
    } else if (key == "baud" && ParseNumber(value, 1, 4'000'000, n) && IsSupportedBaud(static_cast<std::uint32_t>(n))) {
      at.baud = static_cast<std::uint32_t>(n);
    } else if (key == "stop" && ParseNumber(value, 1, 2, n)) {
      at.stopBits = static_cast<int>(n);
    } else if (key == "parity" && (value == "N" || value == "O" || value == "E")) {
      at.parity = value[0];
    } else {
      return false;
    }
    if (comma == std::string_view::npos) break;
    keys.remove_prefix(comma + 1);
  }
  return true;
}

// "FIRST-LAST[:KEY=VALUE,...]": nodes FIRST..LAST, each with the same keys.
bool ParseNodeRange(std::string_view text, std::vector<SimNodeOptions>& nodes) {
  const std::size_t colon = std::min(text.find(':'), text.size());
  const std::string_view range = text.substr(0, colon), keys = text.substr(colon);
  const std::size_t dash = range.find('-');
  std::int64_t first = 0, last = 0;
  if (dash == std::string_view::npos || !ParseNumber(range.substr(0, dash), 1, 247, first) ||
      !ParseNumber(range.substr(dash + 1), first, 247, last))
    return false;
  for (std::int64_t n = first; n <= last; ++n)
    if (!ParseNodeOptions(std::to_string(n) + std::string(keys), nodes.emplace_back())) return false;
  return true;
}

// The number of a node given twice, or 0.
int RepeatedNode(const std::vector<SimNodeOptions>& nodes) {
  for (std::size_t i = 0; i < nodes.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      if (nodes[j].node == nodes[i].node) return nodes[i].node;
  return 0;
}

constexpr std::string_view kTimingOptions[] = {"--turnaround", "--latency", "--packet", "--wire"};

// One of kTimingOptions with its value: milliseconds 0..1000, a packet of 0..4096 bytes, paced or instant.
bool ParseTiming(std::string_view name, std::string_view value, WireOptions& wire) {
  if (name == "--wire") {
    wire.instant = value == "instant";
    return value == "paced" || value == "instant";
  }
  std::int64_t n = 0;
  if (!ParseNumber(value, 0, name == "--packet" ? 4096 : 1000, n)) return false;
  if (name == "--turnaround")
    wire.turnaroundUs = n * 1000;
  else if (name == "--latency")
    wire.latencyUs = n * 1000;
  else
    wire.packetBytes = static_cast<std::uint32_t>(n);
  return true;
}

// One line to serve: a pseudo-terminal (with its link), a device or a TCP port.
bool LineOptionsFit(const SimOptions& options, std::string& error) {
  if (!options.tcp.empty() && (!options.link.empty() || !options.device.empty())) {
    error = "--tcp serves a TCP port, not with --link or --device";
    return false;
  }
  if (!options.link.empty() && !options.device.empty()) {
    error = "--link goes with a pseudo-terminal, not with --device";
    return false;
  }
  return true;
}

}  // namespace

const char* SimUsage() {
  return "usage: r742-node-sim [options]\n"
         "Simulates R742 power-meter nodes, Modbus RTU slaves, on a pseudo-terminal\n"
         "(default), a serial device or a TCP port, until SIGINT or SIGTERM.\n"
         "\n"
         "Line:\n"
         "  --pty                  serve a new pseudo-terminal; its path is the first line on stdout\n"
         "  --link PATH            also make PATH a symbolic link to it (removed on exit)\n"
         "  --device PATH          serve a serial device instead (its path is printed likewise)\n"
         "  --tcp HOST:PORT        serve TCP connections instead, one at a time, as a serial device\n"
         "                         server does (RTU frames in the stream; port 0 takes a free one);\n"
         "                         tcp://HOST:PORT is printed. The nodes hear every line setting.\n"
         "  --baud N               device or TCP port baud rate (default 38400)\n"
         "  --parity N|O|E         device or TCP port parity (default N)\n"
         "  --stop 1|2             device or TCP port stop bits (default 2)\n"
         "Timing (each byte takes its start, data, parity and stop bits at the baud rate: on a\n"
         "pseudo-terminal the program's settings, on a TCP port --baud, --parity and --stop; a\n"
         "device's own hardware paces its bytes. A request reaches the nodes once its last\n"
         "byte has left the wire):\n"
         "  --turnaround MS        from a request's last byte to its reply's first, 0..1000\n"
         "                         (default 2); --delay comes on top\n"
         "  --latency MS           a USB adapter's latency timer: the bytes it received reach the\n"
         "                         program MS after the first of them, 0..1000 (default 0: none)\n"
         "  --packet N             a USB adapter's packet: at most N bytes, handed over once full,\n"
         "                         0..4096 (default 0: no limit); --latency 16 --packet 62 is a\n"
         "                         common adapter as it ships\n"
         "  --wire paced|instant   instant: whole writes at once and no turn-around, a kinder line\n"
         "                         than any real one, for a test that needs it (default paced)\n"
         "Node:\n"
         "  --node N[:KEY=VALUE,...]\n"
         "                         a node numbered 1..247 (default: node 1 alone); each --node\n"
         "                         adds one to the line. Keys: order=0..3 (default --order),\n"
         "                         baud=RATE, stop=1|2, parity=N|O|E: the node answers only\n"
         "                         requests sent at these settings (default: at any). A\n"
         "                         pseudo-terminal shows the program's baud rate and stop bits,\n"
         "                         not its parity; a device is served at --baud, --parity, --stop.\n"
         "                         The nodes after the first hold other meters: the second\n"
         "                         400 V 1 A 3ph 3Wire, the third 120 V 5 A 1ph 3Wire, the\n"
         "                         fourth 63.5 V 1 A 3ph 4Wire, the fifth the first's 230 V 5 A\n"
         "                         1ph 2Wire again, and so on; each with channels of its own.\n"
         "                         Example: --node 1 --node 7:order=0,baud=9600,stop=1\n"
         "  --nodes FIRST-LAST[:KEY=VALUE,...]\n"
         "                         nodes FIRST..LAST, as many --node would add, each with the keys\n"
         "  --order 0..3           float byte order (default 2): 0 B3 B2 B1 B0, 1 B0 B1 B2 B3,\n"
         "                         2 B1 B0 B3 B2, 3 B2 B3 B0 B1 (B3 holds the sign)\n"
         "Faults (the same on every node):\n"
         "  --echo                 the line gives each request byte back as it leaves the wire\n"
         "                         (also when no node answers), as a two-wire adapter hears itself\n"
         "  --silent               never reply (requests still take effect)\n"
         "  --bad-crc              corrupt the last CRC byte of every reply\n"
         "  --exception CODE       refuse every request with exception CODE 1..255, changing nothing\n"
         "  --delay MS             reply delay after the turn-around (default 5)\n"
         "  --truncate N           drop the last N bytes of every reply\n"
         "  --garbage-before N     N junk bytes in front of every reply\n"
         "  --garbage-after N      N junk bytes behind every reply\n"
         "  --split-gap MS         send the second half of every reply MS later\n"
         "  --wrong-node           reply as node + 1 (with a matching CRC)\n"
         "Other:\n"
         "  --log FILE             log every frame received (RX) and sent (TX), '-' for stderr\n"
         "  --exit-after-frames N  stop after N frames\n"
         "  --control              read lines of fault options on stdin while serving, each\n"
         "                         replacing all faults (an empty line clears them); each line\n"
         "                         is answered on stdout, once no reply is due, with \"faults: LINE\"\n"
         "                         or \"error: TEXT\"\n"
         "  --help                 this text\n";
}

bool ParseSimOptions(std::span<const std::string_view> args, SimOptions& options, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view name = args[i];
    std::string_view value;
    bool inlineValue = false;
    if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string_view::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      inlineValue = true;
    }
    auto flag = [&](bool& target) {
      target = true;
      return !inlineValue;
    };
    auto text = [&](std::string_view& out) {
      if (!inlineValue) {
        if (i + 1 >= args.size()) return false;
        value = args[++i];
      }
      out = value;
      return true;
    };
    auto path = [&](std::string& target) {
      std::string_view t;
      if (!text(t) || t.empty()) return false;
      target = t;
      return true;
    };
    auto number = [&](std::int64_t low, std::int64_t high, auto& target) {
      std::string_view t;
      std::int64_t n = 0;
      if (!text(t) || !ParseNumber(t, low, high, n)) return false;
      target = static_cast<std::remove_reference_t<decltype(target)>>(n);
      return true;
    };
    auto parity = [&](char& target) {
      std::string_view t;
      if (!text(t) || (t != "N" && t != "O" && t != "E")) return false;
      target = t[0];
      return true;
    };
    const std::int64_t kMaxMs = 60'000;
    const std::int64_t kMaxBytes = kMaxGarbageBytes;

    bool ok = false;
    SimFaults& f = options.faults;
    // clang-format off
    if (name == "--help" || name == "-h") ok = flag(options.help);
    else if (name == "--pty") {
      options.device.clear();
      options.tcp.clear();
      ok = !inlineValue;
    }
    else if (name == "--link") ok = path(options.link);
    else if (name == "--device") ok = path(options.device);
    else if (name == "--tcp") ok = path(options.tcp);
    else if (name == "--baud") ok = number(1, 4'000'000, options.line.baud) && IsSupportedBaud(options.line.baud);
    else if (name == "--parity") ok = parity(options.line.parity);
    else if (name == "--stop") ok = number(1, 2, options.line.stopBits);
    else if (std::find(std::begin(kTimingOptions), std::end(kTimingOptions), name) != std::end(kTimingOptions)) {
      std::string_view t;
      ok = text(t) && ParseTiming(name, t, options.wire);
    }
    else if (name == "--node") {
      std::string_view t;
      ok = text(t) && ParseNodeOptions(t, options.nodes.emplace_back());
    }
    else if (name == "--nodes") {
      std::string_view t;
      ok = text(t) && ParseNodeRange(t, options.nodes);
    }
    else if (name == "--order") ok = number(0, 3, options.order);
    else if (name == "--echo") ok = flag(f.echo);
    else if (name == "--silent") ok = flag(f.silent);
    else if (name == "--bad-crc") ok = flag(f.badCrc);
    else if (name == "--exception") ok = number(1, 255, f.exceptionCode);
    else if (name == "--delay") ok = number(0, kMaxMs, f.delayMs);
    else if (name == "--truncate") ok = number(0, kMaxBytes, f.truncate);
    else if (name == "--garbage-before") ok = number(0, kMaxBytes, f.garbageBefore);
    else if (name == "--garbage-after") ok = number(0, kMaxBytes, f.garbageAfter);
    else if (name == "--split-gap") ok = number(0, kMaxMs, f.splitGapMs);
    else if (name == "--wrong-node") ok = flag(f.wrongNode);
    else if (name == "--log") ok = path(options.logPath);
    else if (name == "--exit-after-frames") ok = number(1, 1'000'000'000, options.exitAfterFrames);
    else if (name == "--control") ok = flag(options.control);
    else {
      error = "unknown option '" + std::string(args[i]) + "'";
      return false;
    }
    // clang-format on
    if (!ok) {
      error = "bad or missing value for " + std::string(name);
      return false;
    }
  }
  if (options.nodes.empty()) options.nodes.emplace_back();
  if (const int twice = RepeatedNode(options.nodes); twice != 0) {
    error = "node " + std::to_string(twice) + " is on the line twice";
    return false;
  }
  return LineOptionsFit(options, error);
}

bool ParseFaultLine(std::string_view line, SimFaults& faults, std::string& error) {
  constexpr std::string_view kFaultOptions[] = {"--echo",      "--silent",    "--bad-crc",        "--exception",
                                                "--delay",     "--truncate",  "--garbage-before", "--garbage-after",
                                                "--split-gap", "--wrong-node"};
  std::vector<std::string_view> tokens;
  for (std::size_t at = line.find_first_not_of(" \t\r"); at != std::string_view::npos;) {
    const std::size_t end = std::min(line.find_first_of(" \t\r", at), line.size());
    tokens.push_back(line.substr(at, end - at));
    at = line.find_first_not_of(" \t\r", end);
  }
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const std::string_view name = tokens[i].substr(0, tokens[i].find('='));
    if (std::find(std::begin(kFaultOptions), std::end(kFaultOptions), name) != std::end(kFaultOptions)) {
      const bool takesValue = name != "--echo" && name != "--silent" && name != "--bad-crc" && name != "--wrong-node";
      if (takesValue && name.size() == tokens[i].size()) ++i;  // its value is the next token
      continue;
    }
    error = "not a fault option: '" + std::string(tokens[i]) + "'";
    return false;
  }
  SimOptions options;
  if (!ParseSimOptions(tokens, options, error)) return false;
  faults = options.faults;
  return true;
}

}  // namespace r742
