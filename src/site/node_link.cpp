#include "site/node_link.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "modbus/modbus_frame.h"
#include "node/node_map.h"
#include "node/reply_length.h"
#include "sequencer/operation_states.h"
#include "serial/serial_port.h"
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
  const std::int64_t writeStartUs = clock_.NowUs();
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
    // A write may return as soon as the driver holds the request, long before its last bit left.
    result.read = ReadFast(request, reply, std::max(sentUs, writeStartUs + WireTimeUs(request.size())));
  }
  result.verdict = CheckReply(reply, echo_, request[0], request[1]);
  result.ok = result.verdict.fault == ReplyFault::kNone && !result.read.deviceError;
  if (!result.ok) {
    result.fault = DescribeReplyFault(result.verdict, result.read, pace_.timeoutMs, label_, request[0]);
    if (result.verdict.fault == ReplyFault::kNone) result.verdict.fault = ReplyFault::kNothingReceived;
  }

  const std::int64_t quietUs = clock_.NowUs();
  // After a write the node may be storing what it was given.
  if (pace_.windowPace || request[1] == kWriteMultiple)
    nextRequestUs_ = quietUs + kStepGapMs * kUsPerMs;
  else
    nextRequestUs_ = quietUs + SilentIntervalUs(pace_);
  return result;
}

std::int64_t NodeLink::WireTimeUs(std::size_t bytes) const {
  const double us = double(bytes) * pace_.bitsPerChar * 1e6 / std::max<std::uint32_t>(pace_.baud, 1);
  return static_cast<std::int64_t>(std::ceil(us));
}

bool NodeLink::IsWholeEcho(std::span<const std::uint8_t> received, std::span<const std::uint8_t> request) const {
  const bool mayEcho = echo_.m_bEchoProbe != 0 || (echo_.m_bEchoChecked != 0 && echo_.m_bEchoPresent != 0);
  return mayEcho && std::ranges::equal(received, request);
}

// A reply is complete once its length is in; else it ends when no new byte
// came for the quiet gap; a reply that has not started ends at the time-out,
// which counts from the end of the request on the wire, or on a line that
// echoes from when the whole echo came back. The time-out bounds the start of
// a reply, never its length.
ReadOutcome NodeLink::ReadFast(std::span<const std::uint8_t> request, CModbusFrame& reply, std::int64_t wireEndUs) {
  ReadOutcome out;
  out.asked = kReplyReadLimit;
  std::uint8_t* buffer = reply.ReceiveBuffer();
  std::uint32_t have = 0;
  CommTimeouts timeouts{};
  port_.GetCommTimeouts(timeouts);
  const std::int64_t timeoutUs = std::int64_t{pace_.timeoutMs} * kUsPerMs;
  std::int64_t lastByteUs = wireEndUs;
  while (have < kLongestReply) {
    const std::uint32_t expect = BytesToExpect({buffer, have}, request, echo_);
    if (expect != 0 && have >= expect) break;
    std::int64_t deadlineUs = lastByteUs + kQuietGapMs * kUsPerMs;
    if (have == 0)
      deadlineUs = wireEndUs + timeoutUs;
    else if (IsWholeEcho({buffer, have}, request))
      deadlineUs = std::max(wireEndUs, lastByteUs) + timeoutUs;
    const std::int64_t leftUs = deadlineUs - clock_.NowUs();
    if (leftUs <= 0) break;
    // Only the reply's own bytes: what may follow it stays on the line until the next request purges it.
    const std::uint32_t want = (expect == 0 ? kLongestReply : std::min(expect, kLongestReply)) - have;
    const auto waitMs = static_cast<std::uint32_t>((leftUs + kUsPerMs - 1) / kUsPerMs);
    std::uint32_t got = 0;
    const bool read = port_.SetCommTimeouts(ReadAnyWithin(timeouts, waitMs)) && port_.Read(buffer + have, want, got);
    have += std::min(got, want);
    if (got > 0) lastByteUs = clock_.NowUs();
    if (!read) {
      out.deviceError = true;
      out.error = port_.LastErrorText();
      out.deviceGone = port_.DeviceGone();
      break;
    }
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
