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

}  // namespace

const char* SimUsage() {
  return "usage: r742-node-sim [options]\n"
         "Simulates one R742 power-meter node, a Modbus RTU slave, on a pseudo-terminal\n"
         "(default) or a serial device, until SIGINT or SIGTERM.\n"
         "\n"
         "Line:\n"
         "  --pty                  serve a new pseudo-terminal; its path is the first line on stdout\n"
         "  --link PATH            also make PATH a symbolic link to it (removed on exit)\n"
         "  --device PATH          serve a serial device instead (its path is printed likewise)\n"
         "  --baud N               device baud rate (default 38400)\n"
         "  --parity N|O|E         device parity (default N)\n"
         "  --stop 1|2             device stop bits (default 2)\n"
         "Node:\n"
         "  --node N               node number 1..247 (default 1)\n"
         "  --order 0..3           float byte order (default 2): 0 B3 B2 B1 B0, 1 B0 B1 B2 B3,\n"
         "                         2 B1 B0 B3 B2, 3 B2 B3 B0 B1 (B3 holds the sign)\n"
         "Faults:\n"
         "  --echo                 put every request back on the line in front of the reply\n"
         "  --silent               never reply (requests still take effect)\n"
         "  --bad-crc              corrupt the last CRC byte of every reply\n"
         "  --exception CODE       refuse every request with exception CODE 1..255, changing nothing\n"
         "  --delay MS             reply delay after the request (default 5)\n"
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
      ok = !inlineValue;
    }
    else if (name == "--link") ok = path(options.link);
    else if (name == "--device") ok = path(options.device);
    else if (name == "--baud") ok = number(1, 4'000'000, options.line.baud) && IsSupportedBaud(options.line.baud);
    else if (name == "--parity") ok = parity(options.line.parity);
    else if (name == "--stop") ok = number(1, 2, options.line.stopBits);
    else if (name == "--node") ok = number(1, 247, options.node);
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
  if (!options.link.empty() && !options.device.empty()) {
    error = "--link goes with a pseudo-terminal, not with --device";
    return false;
  }
  return true;
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
