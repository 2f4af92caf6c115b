#include "modbus/modbus_frame.h"

#include <algorithm>

#include "modbus/crc16.h"
#include "modbus/float_codec.h"

namespace r742 {

void CModbusFrame::SetPayloadLength(std::uint32_t length) { payloadLength_ = std::min(length, kBufferSize); }

bool CModbusFrame::AppendPayloadFloat(float value, unsigned order) {
  if (payloadLength_ + 4 > kBufferSize) return false;
  payloadLength_ = static_cast<std::uint32_t>(CFloatCodec().PutFloat(value, payload_.data(), payloadLength_, order));
  return true;
}

void CModbusFrame::BuildRequest(unsigned function, unsigned node, unsigned valueNumber, unsigned count) {
  transmit_.fill(0);
  transmitLength_ = 6;
  const auto code = static_cast<std::uint8_t>(function);
  if (code != kReadHolding && code != kWriteMultiple && code != kReadNodeSpecific) {
    status_ = 1;
    return;
  }
  // Each 32-bit value occupies two 16-bit registers.
  const std::uint32_t address = 2u * (static_cast<std::uint32_t>(valueNumber) - 1u);
  transmit_[0] = static_cast<std::uint8_t>(node);
  transmit_[1] = code;
  transmit_[2] = static_cast<std::uint8_t>(address >> 8);
  transmit_[3] = static_cast<std::uint8_t>(address);
  transmit_[4] = 0;
  transmit_[5] = static_cast<std::uint8_t>(2u * count);
  if (code == kWriteMultiple) {
    // The byte-count field has 8 bits; the frame carries exactly that many payload bytes.
    const auto length = static_cast<std::uint8_t>(payloadLength_);
    transmit_[6] = length;
    std::copy_n(payload_.begin(), length, transmit_.begin() + 7);
    transmitLength_ = 7u + length;
  }
  status_ = 0;
}

void CModbusFrame::AppendCrc() {
  if (transmitLength_ + 2 > kBufferSize) {
    status_ = 1;
    return;
  }
  const Crc16Bytes crc = Crc16(transmit_.data(), transmitLength_);
  crcValue_ = crc.low * 256u + crc.high;
  transmit_[transmitLength_++] = crc.low;
  transmit_[transmitLength_++] = crc.high;
  status_ = 0;
}

void CModbusFrame::ComputeCrc(const std::uint8_t* bytes, std::size_t length) {
  if (length == 0) {
    status_ = 1;
    return;
  }
  const Crc16Bytes crc = Crc16(bytes, length);
  crcValue_ = crc.low * 256u + crc.high;
  status_ = 0;
}

void CModbusFrame::TakeReceived(std::uint32_t received, std::uint32_t asked) {
  received = std::min({received, asked, kBufferSize});
  const bool usable = received != 0 && received < asked;
  receivedCount_ = usable ? received : 0;
  status_ = usable ? 0 : 1;
  TakeExceptionAndNode();
}

bool CModbusFrame::MatchesSent(std::uint32_t length, std::span<const std::uint8_t> reference) {
  status_ = 0;
  if (length > receivedCount_ || length > reference.size()) return false;
  return std::equal(reference.begin(), reference.begin() + length, receive_.begin());
}

int CModbusFrame::StripEcho(std::uint32_t length, std::uint32_t limit) {
  if (receivedCount_ >= length) {
    receivedCount_ -= length;
    std::copy_n(receive_.begin() + length, receivedCount_, receive_.begin());
  }
  if (receivedCount_ == 0 || receivedCount_ >= limit) {
    receivedCount_ = 0;
    status_ = 1;
  } else {
    status_ = 0;
  }
  TakeExceptionAndNode();
  return 1;
}

void CModbusFrame::CheckCrc() {
  if (receivedCount_ < 3) {
    status_ = 1;
    return;
  }
  const std::uint32_t n = receivedCount_ - 2;
  ComputeCrc(receive_.data(), n);
  status_ = crcValue_ == receive_[n] * 256u + receive_[n + 1] ? 0 : 1;
}

void CModbusFrame::DecodeFrame(unsigned order) {
  decodedLength_ = 0;
  valueCount_ = 0;
  if (receivedCount_ < 8) return;
  // Node, 70, four bytes, byte count, data, CRC: checked against its own byte count.
  const std::uint32_t n = receive_[6] + 7u;
  if (n + 2 > receivedCount_) return;
  ComputeCrc(receive_.data(), n);
  if (crcValue_ != receive_[n] * 256u + receive_[n + 1]) return;
  decodedLength_ = n + 2;
  ExtractValues(order);
}

void CModbusFrame::ExtractValues(unsigned order) {
  valueCount_ = 0;
  std::uint32_t countAt = 0;
  switch (ReceivedByte(1)) {
    case kReadHolding: countAt = 2; break;
    case kReadNodeSpecific: countAt = 6; break;
    default: return;
  }
  if (countAt >= receivedCount_) return;
  const std::uint32_t byteCount = receive_[countAt];
  const std::uint32_t dataAt = countAt + 1;
  if (dataAt + byteCount + 2 > receivedCount_) return;
  const std::uint32_t count = std::min(byteCount / 4, kMaxValues);
  for (std::uint32_t i = 0; i < count; ++i) values_[i] = ArrangeBytes(dataAt + 4 * i, order);
  valueCount_ = count;
}

void CModbusFrame::TakeExceptionAndNode() {
  exceptionCode_ = (ReceivedByte(1) & 0x80) != 0 ? ReceivedByte(2) : 0;
  replyNode_ = ReceivedByte(0);
}

std::uint32_t CModbusFrame::ArrangeBytes(std::uint32_t offset, unsigned order) const {
  return r742::ArrangeBytes(receive_.data() + offset, order);
}

}  // namespace r742
