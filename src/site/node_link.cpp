#include "site/node_link.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "modbus/modbus_frame.h"
#include "node/node_map.h"
#include "sequencer/operation_states.h"
#include "serial/serial_port.h"
#include "site/reply_length.h"
#include "site/site_clock.h"

namespace r742 {
namespace {

constexpr std::uint32_t kQuietGapMs = 20;  // the gap that ends a reply, as in the window
constexpr std::int64_t kUsPerMs = 1000;
constexpr std::uint32_t kLongestReply = kReplyReadLimit - 1;

std::int64_t SilentIntervalUs(const LinePace& pace) {
  const double us = 3.5 * pace.bitsPerChar * 1e6 / std::max<std::uint32_t>(pace.baud, 1);
  return static_cast<std::int64_t>(std::ceil(us));
}

}  // namespace

unsigned BitsPerChar(char parity, int stopBits) { return 1 + 8 + (parity == 'N' ? 0 : 1) + (stopBits == 2 ? 2 : 1); }

NodeLink::NodeLink(ISerialPort& port, SiteClock& clock, LinePace pace, std::string label)
    : port_(port), clock_(clock), pace_(pace), label_(std::move(label)) {}

void NodeLink::BeginOperation() {
  echo_.Clear();
  echo_.Arm();
  operationStarted_ = true;
}

ExchangeResult NodeLink::Exchange(std::span<const std::uint8_t> request, CModbusFrame& reply) {
  ExchangeResult result;
  if (pace_.windowPace && operationStarted_)  // the window's first request follows the button by a step gap
    nextRequestUs_ = std::max(nextRequestUs_, clock_.NowUs() + kStepGapMs * kUsPerMs);
  clock_.SleepUntilUs(nextRequestUs_);

  const bool opensOperation = std::exchange(operationStarted_, false);
  result.write = SendRequest(port_, request);
  echo_.NoteRequest(request.first(result.write.written), opensOperation);
  if (result.write.written != request.size()) {
    result.fault = label_ + ": " + (result.write.error.empty() ? "the request was not sent whole" : result.write.error);
    nextRequestUs_ = clock_.NowUs();
    return result;
  }
  const std::int64_t sentUs = clock_.NowUs();
  if (pace_.windowPace) {
    clock_.SleepUntilUs(sentUs + std::int64_t{pace_.timeoutMs} * kUsPerMs);
    result.read = ReadAsWindow(reply);
  } else {
    result.read = ReadFast(request, reply);
  }
  result.verdict = CheckReply(reply, echo_, request[0], request[1]);
  result.ok = result.verdict.fault == ReplyFault::kNone && !result.read.deviceError;
  if (!result.ok) {
    if (result.verdict.fault == ReplyFault::kNone) result.verdict.fault = ReplyFault::kNothingReceived;
    result.fault = DescribeReplyFault(result.verdict, result.read, pace_.timeoutMs, label_);
  }

  const std::int64_t quietUs = clock_.NowUs();
  // After a write the node may be storing what it was given.
  if (pace_.windowPace || request[1] == kWriteMultiple)
    nextRequestUs_ = quietUs + kStepGapMs * kUsPerMs;
  else
    nextRequestUs_ = quietUs + SilentIntervalUs(pace_);
  return result;
}

// Reads in steps: each asks for the bytes that tell the reply's length, then
// for the rest of it; the first waits up to the time-out, each later one ends
// when the line stays quiet for the gap.
ReadOutcome NodeLink::ReadFast(std::span<const std::uint8_t> request, CModbusFrame& reply) {
  ReadOutcome out;
  out.asked = kReplyReadLimit;
  std::uint8_t* buffer = reply.ReceiveBuffer();
  std::uint32_t have = 0;
  CommTimeouts timeouts{};
  port_.GetCommTimeouts(timeouts);
  // The time-out counts from the end of the request on the wire; the write may return before.
  const auto wireMs = static_cast<std::uint32_t>(
      std::ceil(double(request.size()) * pace_.bitsPerChar * 1000.0 / std::max<std::uint32_t>(pace_.baud, 1)));
  const std::uint32_t firstByteMs = pace_.timeoutMs + wireMs;
  while (have < kLongestReply) {
    const std::uint32_t expect = BytesToExpect({buffer, have}, request, echo_);
    if (expect != 0 && have >= expect) break;
    const std::uint32_t want = (expect == 0 ? kLongestReply : std::min(expect, kLongestReply)) - have;
    timeouts.readInterval = kQuietGapMs;
    timeouts.readTotalMultiplier = 0;
    timeouts.readTotalConstant = have == 0 ? firstByteMs : kQuietGapMs;
    std::uint32_t got = 0;
    if (!port_.SetCommTimeouts(timeouts) || !port_.Read(buffer + have, want, got)) {
      out.deviceError = true;
      out.error = port_.LastErrorText();
      out.deviceGone = port_.DeviceGone();
      have += std::min(got, want);
      break;
    }
    have += std::min(got, want);
    if (got < want) break;  // the line went quiet, or nothing came in time
  }
  out.received = have;
  reply.TakeReceived(have, out.asked);
  return out;
}

ReadOutcome NodeLink::ReadAsWindow(CModbusFrame& reply) {
  CommTimeouts timeouts{};
  port_.GetCommTimeouts(timeouts);
  timeouts.readInterval = kQuietGapMs;
  timeouts.readTotalMultiplier = 1;
  timeouts.readTotalConstant = 1;
  port_.SetCommTimeouts(timeouts);
  return ReceiveReply(port_, reply);
}

}  // namespace r742
