// r742 read, send and release: one port, one node after the other, each
// node's result reported and recorded; the exit code is the worst of them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "app/cli_commands.h"
#include "app/cli_exit.h"
#include "app/cli_options.h"
#include "app/cli_text.h"
#include "model/param_catalogue.h"
#include "node/node_requests.h"
#include "serial/serial_port.h"
#include "site/node_link.h"
#include "site/node_operations.h"
#include "site/reading_json.h"
#include "site/site_config.h"
#include "site/site_record.h"

namespace r742 {
namespace {

constexpr std::uint32_t kWindowResponseMs = 300;
constexpr unsigned kDefaultOrder = 2;
constexpr unsigned kDefaultNode = 1;

struct NodeJob {
  const CliOptions& options;
  CliContext& context;
  SiteLine line;
  std::vector<unsigned> nodes;
  unsigned order = kDefaultOrder;
  std::string label;  // the port and its device
};

// The record's facts that every node of a run shares.
RecordFacts FactsOf(const NodeJob& job, unsigned node) {
  RecordFacts facts;
  facts.command = job.options.command;
  facts.port = job.line.port;
  facts.device = job.label;
  facts.baud = job.line.baud;
  facts.parity = job.line.parity;
  facts.stopBits = job.line.stopBits;
  facts.node = node;
  facts.order = job.order;
  return facts;
}

// Appends the record line when one is asked for; a record that cannot be
// written is an error of its own.
int Record(const NodeJob& job, const RecordFacts& facts) {
  if (job.options.report.empty()) return kExitOk;
  std::string error;
  if (AppendRecordLine(job.options.report, RecordEntry(facts), error)) return kExitOk;
  job.context.err << "r742: the record was not written to " << job.options.report << ": " << error << "\n";
  return kExitNotWritten;
}

// A node's result: its record line, and its part of the JSON output.
int Finish(const NodeJob& job, RecordFacts& facts, int code, nlohmann::json& results) {
  facts.exitCode = code;
  facts.time = std::chrono::system_clock::now();
  const int recorded = Record(job, facts);
  if (job.options.json) results.push_back(RecordEntry(facts));
  return std::max(code, recorded);
}

// Opens the line; null after saying why on standard error.
std::unique_ptr<ISerialPort> OpenLine(NodeJob& job) {
  PortOpening opening = OpenSiteLine(job.line);
  if (!opening.port) {
    job.context.err << "r742: " << opening.step << " failed: " << opening.reason << "\n";
    if (!opening.refusalHint.empty()) job.context.err << opening.refusalHint << "\n";
    return nullptr;
  }
  job.label = opening.label;
  return std::move(opening.port);
}

// Opens the line and runs `each` for every node in turn; between two nodes a
// Ctrl+C ends the run, and a device server that dropped the connection is
// connected to again.
template <typename Each>
int ForEachNode(NodeJob& job, Each each) {
  LinePace pace;
  pace.timeoutMs = job.options.timeoutMs.value_or(kWindowResponseMs);
  pace.baud = job.line.baud;
  pace.bitsPerChar = BitsPerChar({.baud = job.line.baud, .parity = job.line.parity, .stopBits = job.line.stopBits});
  pace.windowPace = job.options.windowPace;
  std::unique_ptr<ISerialPort> port;
  std::unique_ptr<NodeLink> link;
  int worst = kExitOk;
  for (unsigned node : job.nodes) {
    if (job.context.interrupted) return kExitInterrupted;
    if (!port || (port->IsDeviceServer() && port->DeviceGone())) {
      link.reset();
      port = OpenLine(job);
      if (!port) return std::max(worst, static_cast<int>(kExitPort));
      link = std::make_unique<NodeLink>(*port, job.context.clock, pace, job.label);
    }
    worst = std::max(worst, each(*link, node));
  }
  return worst;
}

NodeJob JobFor(const CliOptions& options, CliContext& context, const SiteConfig* config) {
  NodeJob job{options, context, options.line, options.nodes, options.order.value_or(kDefaultOrder), {}};
  if (config != nullptr) {
    if (!options.portGiven && config->line.port) job.line.port = *config->line.port;
    if (!options.baudGiven && config->line.baud) job.line.baud = *config->line.baud;
    if (!options.parityGiven && config->line.parity) job.line.parity = *config->line.parity;
    if (!options.stopGiven && config->line.stopBits) job.line.stopBits = *config->line.stopBits;
    if (job.nodes.empty() && config->node) job.nodes = {*config->node};
    if (!options.order && config->order) job.order = *config->order;
  }
  if (job.nodes.empty()) job.nodes = {kDefaultNode};
  return job;
}

std::optional<std::array<float, 9>> ValuesOf(const SiteConfig& config) {
  std::array<float, 3> codes{}, nominal{}, zeroOffset{};
  std::array<int, 3> paramCodes{};
  for (std::size_t ch = 0; ch < 3; ++ch) {
    paramCodes[ch] = GetParamCode(config.channels[ch].parameter);
    codes[ch] = static_cast<float>(paramCodes[ch]);
    nominal[ch] = config.channels[ch].nominal;
    zeroOffset[ch] = config.channels[ch].zeroOffset;
  }
  return OutputWriteValues(codes, paramCodes, nominal, zeroOffset);
}

void PrintJson(CliContext& context, const nlohmann::json& document) {
  context.out << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

nlohmann::json LineJson(const NodeJob& job) {
  return {{"port", job.line.port},     {"device", job.label},
          {"baud", job.line.baud},     {"parity", std::string(1, job.line.parity)},
          {"stop", job.line.stopBits}, {"order", job.order}};
}

}  // namespace

int RunRead(const CliOptions& options, CliContext& context) {
  NodeJob job = JobFor(options, context, nullptr);
  nlohmann::json results = nlohmann::json::array();
  const int worst = ForEachNode(job, [&](NodeLink& link, unsigned node) {
    const ReadResult read = ReadNode(link, node, job.order);
    RecordFacts facts = FactsOf(job, node);
    int code = kExitOk;
    if (!read.reading) {
      code = kExitReply;
      facts.result = read.step + ": " + read.fault;
      context.err << "r742: node " << node << ": " << facts.result << "\n";
    } else {
      facts.read = *read.reading;
      facts.result = "ok";
      if (!options.json) context.out << ReadingText(job.label, SettingsText(job.line), node, job.order, *read.reading);
      if (!options.outputFile.empty()) {
        SiteConfig config = ConfigFromReading(*read.reading);
        config.line = {job.line.port, job.line.baud, job.line.parity, job.line.stopBits};
        config.node = node;
        config.order = job.order;
        std::string error;
        if (!SaveSiteConfig(options.outputFile, config, error)) {
          context.err << "r742: " << options.outputFile << " not written: " << error << "\n";
          code = kExitNotWritten;
        } else {
          context.err << "configuration of node " << node << " written to " << options.outputFile << "\n";
        }
      }
    }
    return Finish(job, facts, code, results);
  });
  if (options.json) PrintJson(context, {{"line", LineJson(job)}, {"nodes", results}});
  return worst;
}

int RunSend(const CliOptions& options, CliContext& context) {
  std::string error;
  const std::optional<SiteConfig> config = LoadSiteConfig(options.configFile, error);
  if (!config) {
    context.err << "r742: " << error << "\nnothing was written to any node\n";
    return kExitBadFile;
  }
  const std::optional<std::array<float, 9>> values = ValuesOf(*config);
  if (!values) {
    context.err << "r742: " << options.configFile
                << ": a frequency channel has no span, or a value is not a number: nothing was written\n";
    return kExitBadFile;
  }
  NodeJob job = JobFor(options, context, &*config);
  nlohmann::json results = nlohmann::json::array();
  unsigned differedAt = 0;  // a node that stored other values: the rest are spared the same
  const int worst = ForEachNode(job, [&](NodeLink& link, unsigned node) {
    RecordFacts facts = FactsOf(job, node);
    if (differedAt != 0) {
      facts.result = "not written: the read-back of node " + std::to_string(differedAt) + " differed";
      context.err << "r742: node " << node << ": " << facts.result << "\n";
      return Finish(job, facts, kExitDiffers, results);
    }
    facts.written = *config;
    const ReadResult before = ReadNode(link, node, job.order);
    int code = kExitOk;
    SendResult sent;
    if (!before.reading) {
      code = kExitReply;
      facts.result = "before the write: " + before.step + ": " + before.fault + "; nothing written";
    } else {
      facts.read = *before.reading;
      sent = SendOutputs(link, node, job.order, *values, *before.reading, options.keep);
      if (sent.check != SendCheck::kNotMade) facts.sameAsWritten = sent.check == SendCheck::kSame;
      if (sent.check == SendCheck::kDiffers) {
        code = kExitDiffers;
        differedAt = node;
        facts.result = "read-back differs: " + sent.difference;
      } else if (!sent.fault.empty()) {
        code = kExitReply;
        facts.result = sent.step + ": " + sent.fault;
      } else {
        facts.result = "ok";
      }
      if (!options.json) context.out << ChangesText(node, *before.reading, sent);
    }
    if (code != kExitOk) context.err << "r742: node " << node << ": " << facts.result << "\n";
    return Finish(job, facts, code, results);
  });
  if (options.json) PrintJson(context, {{"line", LineJson(job)}, {"nodes", results}});
  return worst;
}

int RunRelease(const CliOptions& options, CliContext& context) {
  NodeJob job = JobFor(options, context, nullptr);
  nlohmann::json results = nlohmann::json::array();
  const int worst = ForEachNode(job, [&](NodeLink& link, unsigned node) {
    RecordFacts facts = FactsOf(job, node);
    const std::string fault = ReleaseNode(link, node, job.order);
    const int code = fault.empty() ? kExitOk : kExitReply;
    facts.result = fault.empty() ? "ok" : "release: " + fault;
    if (code != kExitOk)
      context.err << "r742: node " << node << ": " << facts.result << "\n";
    else if (!options.json)
      context.out << "node " << node << " released\n";
    return Finish(job, facts, code, results);
  });
  if (options.json) PrintJson(context, {{"line", LineJson(job)}, {"nodes", results}});
  return worst;
}

}  // namespace r742
