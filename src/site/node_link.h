// Requests and replies on an open port at the speed of the line: a reply ends
// as soon as its length says it is complete, at the 20 ms quiet gap, or at the
// time-out; the next request follows 3.5 character times after the line went
// quiet, or the window's 300 ms after a write, which the node may be storing.
// The window's own pace (wait the response time, then one read; 300 ms to the
// next request) is kept for a node that needs it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "node/echo_test.h"
#include "node/port_exchange.h"
#include "node/reply_check.h"

namespace r742 {

class CModbusFrame;
class ISerialPort;
class SiteClock;

struct LinePace {
  std::uint32_t timeoutMs = 300;  // the longest wait for a reply's first byte
  std::uint32_t baud = 38400;
  unsigned bitsPerChar = 11;  // start, 8 data, parity or not, stop bits
  bool windowPace = false;
};

struct ExchangeResult {
  bool ok = false;
  WriteOutcome write;
  ReadOutcome read;
  ReplyVerdict verdict;
  std::string fault;  // why it failed, for the engineer
};

class NodeLink {
 public:
  NodeLink(ISerialPort& port, SiteClock& clock, LinePace pace, std::string label);

  // A new operation: its first reply decides again whether the line echoes.
  void BeginOperation();
  // Writes `request` (node and function at its front) when the line allows,
  // and takes the reply into `reply`, checked against the request.
  ExchangeResult Exchange(std::span<const std::uint8_t> request, CModbusFrame& reply);

  void SetPace(const LinePace& pace) { pace_ = pace; }
  const LinePace& Pace() const { return pace_; }
  ISerialPort& Port() { return port_; }

 private:
  ReadOutcome ReadFast(std::span<const std::uint8_t> request, CModbusFrame& reply, std::int64_t wireEndUs);
  std::int64_t WireTimeUs(std::size_t bytes) const;
  // Whether `received` is the request coming back whole on a line that may echo it.
  bool IsWholeEcho(std::span<const std::uint8_t> received, std::span<const std::uint8_t> request) const;
  ReadOutcome ReadAsWindow(CModbusFrame& reply);

  ISerialPort& port_;
  SiteClock& clock_;
  LinePace pace_;
  std::string label_;
  CEchoTest echo_;
  std::int64_t nextRequestUs_ = 0;  // the earliest time the next request may go out
  bool operationStarted_ = false;
};

}  // namespace r742
