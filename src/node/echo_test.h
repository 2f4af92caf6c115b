// Some two-wire adapters return each request in front of the node's reply.
// The test is armed when an operation starts, keeps the operation's first
// request, decides on the operation's first reply whether that reply begins
// with it, and from then on removes the echo from every reply of the operation.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace r742 {

class CModbusFrame;

struct CEchoTest {
  std::uint8_t m_bEchoProbe = 0;    // armed; cleared by the first reply check
  std::uint8_t m_bEchoChecked = 0;  // the test of this operation has been made
  std::uint8_t m_bEchoPresent = 0;  // and found the request in front of the reply
  std::uint32_t m_nSentLength = 0;  // bytes written for the last request
  std::array<std::uint8_t, 256> m_abSentFrame{};

  void Clear() { *this = CEchoTest{}; }
  void Arm() { m_bEchoProbe = 1; }
  // Every request written: `written` are the bytes the port took. The request
  // that opens an operation is kept while the test is armed.
  void NoteRequest(std::span<const std::uint8_t> written, bool opensOperation);
  // On the first reply decides whether the line echoes; then drops the echo
  // from `reply` when it does (a remainder of nothing or of `limit` bytes or
  // more counts as nothing received).
  void RemoveEcho(CModbusFrame& reply, std::uint32_t limit);
};

}  // namespace r742
