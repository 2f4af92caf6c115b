#include "node/reply_length.h"

#include <algorithm>
#include <optional>

#include "modbus/modbus_frame.h"
#include "node/echo_test.h"

namespace r742 {
namespace {

constexpr std::uint32_t kShortestReply = 5;  // an exception: node, function, code, CRC

}  // namespace

std::optional<std::uint32_t> ToldReplyLength(std::span<const std::uint8_t> reply) {
  if (reply.size() < 2) return std::nullopt;
  const std::uint8_t function = reply[1];
  if ((function & kExceptionBit) != 0) return kShortestReply;
  switch (function) {
    case kReadHolding: return reply.size() < 3 ? std::nullopt : std::optional(5u + reply[2]);
    case kWriteMultiple: return 8u;
    case kReadNodeSpecific: return reply.size() < 7 ? std::nullopt : std::optional(9u + reply[6]);
    default: return std::nullopt;
  }
}

std::uint32_t ReplyLength(std::span<const std::uint8_t> reply) {
  if (const std::optional<std::uint32_t> told = ToldReplyLength(reply)) return *told;
  if (reply.size() < 2) return kShortestReply;
  switch (reply[1]) {
    case kReadHolding: return 3;
    case kReadNodeSpecific: return 7;
    default: return 0;
  }
}

std::uint32_t BytesToExpect(std::span<const std::uint8_t> received, std::span<const std::uint8_t> request,
                            const CEchoTest& echo) {
  const auto sent = static_cast<std::uint32_t>(request.size());
  std::uint32_t offset = 0;
  if (echo.m_bEchoChecked && echo.m_bEchoPresent) {
    offset = sent;
  } else if (echo.m_bEchoProbe) {
    const std::size_t compared = std::min(received.size(), request.size());
    if (std::equal(received.begin(), received.begin() + static_cast<std::ptrdiff_t>(compared), request.begin())) {
      if (received.size() < sent) {
        // Still either: the echo's length, or sooner the reply's, whichever is shorter.
        const std::uint32_t asReply = ReplyLength(received);
        return asReply != 0 && asReply > received.size() ? std::min(asReply, sent)
                                                         : std::min<std::uint32_t>(sent, received.size() + 1);
      }
      offset = sent;
    }
  }
  if (received.size() < offset) return offset + kShortestReply;
  const std::uint32_t length = ReplyLength(received.subspan(offset));
  return length == 0 ? 0 : offset + length;
}

}  // namespace r742
