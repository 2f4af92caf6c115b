// One Modbus RTU frame: a request being built, or a reply being checked.
// Lives for one exchange step on the caller's stack; the bytes reach and
// leave the port through the node exchange (node/port_exchange.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace r742 {

// The function codes exchanged with the node.
inline constexpr std::uint8_t kReadHolding = 3;
inline constexpr std::uint8_t kWriteMultiple = 16;
inline constexpr std::uint8_t kReadNodeSpecific = 70;  // a channel's output mode
inline constexpr std::uint8_t kExceptionBit = 0x80;

class CModbusFrame {
 public:
  static constexpr std::uint32_t kBufferSize = 1000;
  static constexpr std::uint32_t kMaxValues = 250;

  // --- request
  // The data bytes of a write request, filled before BuildRequest.
  std::uint8_t* Payload() { return payload_.data(); }
  std::uint32_t PayloadLength() const { return payloadLength_; }
  void SetPayloadLength(std::uint32_t length);  // at most kBufferSize
  // Appends the four bytes of `value` in byte order `order`; false when full.
  bool AppendPayloadFloat(float value, unsigned order);

  // Lays out a request for function 3, 16 or 70 (low 8 bits of `function`),
  // addressing `count` 32-bit values from value number `valueNumber` (1-based).
  // Any other function gives six zero bytes and status 1.
  void BuildRequest(unsigned function, unsigned node, unsigned valueNumber, unsigned count);
  void AppendCrc();
  // The CRC of a byte range into CrcValue(); status 1 and no change for length 0.
  void ComputeCrc(const std::uint8_t* bytes, std::size_t length);

  const std::uint8_t* TransmitBytes() const { return transmit_.data(); }
  std::uint32_t TransmitLength() const { return transmitLength_; }

  // --- reply
  // Where one read of the port puts the reply, kBufferSize bytes.
  std::uint8_t* ReceiveBuffer() { return receive_.data(); }
  // Takes `received` bytes of a read that asked for `asked`: an empty read,
  // or one that filled the whole request, counts as nothing received
  // (status 1), since it may have been cut off mid-reply.
  void TakeReceived(std::uint32_t received, std::uint32_t asked);
  // Whether the reply starts with the first `length` bytes of `reference`.
  bool MatchesSent(std::uint32_t length, std::span<const std::uint8_t> reference);
  // Drops an echoed request of `length` bytes from the front; a remainder of
  // 0 or of `limit` bytes or more counts as nothing received. Always returns 1.
  int StripEcho(std::uint32_t length, std::uint32_t limit);
  // Status 0 when the reply ends in the CRC of the bytes before it.
  void CheckCrc();
  // Function-70 reply: values only when its own byte count and CRC agree.
  void DecodeFrame(unsigned order);
  // The 32-bit values of a function-3 or function-70 reply.
  void ExtractValues(unsigned order);

  const std::uint8_t* ReceiveBytes() const { return receive_.data(); }
  std::uint32_t ReceivedCount() const { return receivedCount_; }
  std::uint32_t ExceptionCode() const { return exceptionCode_; }
  std::uint32_t ReplyNode() const { return replyNode_; }
  std::uint32_t DecodedLength() const { return decodedLength_; }
  std::span<const std::uint32_t> Values() const { return {values_.data(), valueCount_}; }
  std::uint32_t ValueCount() const { return valueCount_; }

  // Low CRC byte in bits 8..15, high byte in bits 0..7.
  std::uint32_t CrcValue() const { return crcValue_; }
  // The outcome of the last operation that reports one: 0 success, 1 failure.
  int Status() const { return status_; }

 private:
  std::uint8_t ReceivedByte(std::uint32_t index) const { return index < receivedCount_ ? receive_[index] : 0; }
  void TakeExceptionAndNode();
  std::uint32_t ArrangeBytes(std::uint32_t offset, unsigned order) const;

  std::array<std::uint8_t, kBufferSize> transmit_{};
  std::uint32_t transmitLength_ = 0;
  std::array<std::uint8_t, kBufferSize> payload_{};
  std::uint32_t payloadLength_ = 0;
  std::array<std::uint8_t, kBufferSize> receive_{};
  std::uint32_t receivedCount_ = 0;
  std::uint32_t decodedLength_ = 0;
  std::uint32_t exceptionCode_ = 0;
  std::uint32_t replyNode_ = 0;
  std::array<std::uint32_t, kMaxValues> values_{};
  std::uint32_t valueCount_ = 0;
  std::uint32_t crcValue_ = 0;
  int status_ = 0;
};

}  // namespace r742
