// How long the reply coming in is, as soon as its first bytes tell: so that a
// read can end when the reply is complete instead of waiting for the line to
// go quiet.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace r742 {

struct CEchoTest;

// The length of a reply that starts at `reply[0]` once its header tells it,
// else the number of bytes that tell it; 0 for a function without a layout
// the tool knows.
std::uint32_t ReplyLength(std::span<const std::uint8_t> reply);
// The whole length of a reply that starts at `reply[0]`, once its header has told it.
std::optional<std::uint32_t> ToldReplyLength(std::span<const std::uint8_t> reply);

// The number of bytes to have before anything more can be said: the whole
// reply's length once its header is in, else the bytes that tell it. 0 when
// nothing does (a function the tool does not know): then only the quiet line
// ends the reply. While the line's echo is still unknown, bytes that repeat
// the request so far are taken as its echo until they stop doing so.
std::uint32_t BytesToExpect(std::span<const std::uint8_t> received, std::span<const std::uint8_t> request,
                            const CEchoTest& echo);

}  // namespace r742
