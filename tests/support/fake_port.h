// A port whose every call follows a script the test holds: failures to make,
// the read it plays back, and what it was asked; the script outlives the port.
#pragma once

#include <algorithm>
#include <vector>

#include "serial/serial_port.h"

namespace r742::test {

inline constexpr const char* kFakeError = "refused by the fake port";

struct PortScript {
  bool setupFails = false, getStateFails = false, setStateFails = false, getTimeoutsFails = false;
  std::vector<std::uint8_t> reply{};  // what every read returns, cut to its count
  std::uint32_t errorWord = 0, askedFor = 0;
  // The system's error code every transfer fails with (its write, its read, or
  // only its error clearing when onlyClearFails); 0: they succeed.
  std::uint32_t failCode = 0;
  bool onlyClearFails = false;
  int errorClears = 0, closed = 0;
  LineSettings applied{};
  CommTimeouts timeouts{7, 7, 7, 50, 500};  // read interval, multiplier, constant; write multiplier, constant
};

class FakePort final : public ISerialPort {
 public:
  explicit FakePort(PortScript& s) : s(s) {}
  ~FakePort() override { ++s.closed; }
  bool SetupComm(std::uint32_t in, std::uint32_t out) override { return !s.setupFails && in == 1000 && out == 1000; }
  bool GetCommState(LineSettings& l) override { return !s.getStateFails && (l = {}, true); }
  bool SetCommState(const LineSettings& l) override { return !s.setStateFails && (s.applied = l, true); }
  bool GetCommTimeouts(CommTimeouts& t) override { return !s.getTimeoutsFails && (t = s.timeouts, true); }
  bool SetCommTimeouts(const CommTimeouts& t) override { return (s.timeouts = t, true); }
  bool Write(const std::uint8_t*, std::uint32_t length, std::uint32_t& count) override {
    count = TransfersFail() ? 0 : length;
    return count != 0;
  }
  bool Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& received) override {
    s.askedFor = count;
    received = 0;
    if (TransfersFail()) return false;
    received = std::min<std::uint32_t>(count, static_cast<std::uint32_t>(s.reply.size()));
    std::copy_n(s.reply.begin(), received, buffer);
    return true;
  }
  bool PurgeReceive() override { return (s.reply.clear(), true); }
  bool ClearCommError(std::uint32_t& errors) override {
    return (errors = s.errorWord, ++s.errorClears, s.failCode == 0);
  }
  std::uint32_t LastError() const override { return s.failCode != 0 ? s.failCode : 1; }
  std::string LastErrorText() const override { return kFakeError; }

 private:
  bool TransfersFail() const { return s.failCode != 0 && !s.onlyClearFails; }
  PortScript& s;
};

}  // namespace r742::test
