// Byte strings from hex text, and a port that plays back one prepared read.
#pragma once

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string_view>
#include <vector>

#include "modbus/crc16.h"
#include "serial/serial_port.h"

namespace r742::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Hex(std::string_view text) {
  Bytes out;
  std::istringstream in{std::string(text)};
  unsigned byte = 0;
  while (in >> std::hex >> byte) out.push_back(static_cast<std::uint8_t>(byte));
  return out;
}

inline Bytes WithCrc(Bytes frame) {
  const Crc16Bytes crc = Crc16(frame.data(), frame.size());
  frame.push_back(crc.low);
  frame.push_back(crc.high);
  return frame;
}

inline Bytes Join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class ScriptedPort final : public ISerialPort {
 public:
  Bytes reply;                   // what the next read returns, cut to its count
  std::uint32_t writeLimit = ~0u;  // bytes a write accepts
  std::uint32_t lastError = 0;
  std::uint32_t errorWord = 0;
  Bytes written;
  std::uint32_t askedFor = 0;
  int errorClears = 0;

  bool SetupComm(std::uint32_t, std::uint32_t) override { return true; }
  bool GetCommState(LineSettings&) override { return true; }
  bool SetCommState(const LineSettings&) override { return true; }
  bool GetCommTimeouts(CommTimeouts&) override { return true; }
  bool SetCommTimeouts(const CommTimeouts&) override { return true; }
  bool Write(const std::uint8_t* data, std::uint32_t length, std::uint32_t& count) override {
    count = std::min(length, writeLimit);
    written.assign(data, data + count);
    return count != 0;
  }
  bool Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& received) override {
    askedFor = count;
    received = std::min<std::uint32_t>(count, static_cast<std::uint32_t>(reply.size()));
    std::copy_n(reply.begin(), received, buffer);
    return true;
  }
  bool ClearCommError(std::uint32_t& errors) override {
    errors = errorWord;
    ++errorClears;
    return true;
  }
  std::uint32_t LastError() const override { return lastError; }
};

}  // namespace r742::test
