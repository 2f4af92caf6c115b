// Frames from hex text and the floats inside them, for the node tests.
#pragma once

#include "modbus/float_codec.h"
#include "modbus/modbus_test_support.h"
#include "reply_plan.h"

namespace r742::simtest {

using test::Bytes;

using test::Hex;

inline Bytes WithCrc(Bytes frame, const std::vector<float>& values = {}, unsigned order = 0) {
  for (float v : values) {
    frame.resize(frame.size() + 4);
    CFloatCodec().PutFloat(v, frame.data(), frame.size() - 4, order);
  }
  AppendCrc(frame);
  return frame;
}

inline std::vector<float> FloatsIn(const Bytes& frame, std::size_t from, std::size_t count, unsigned order) {
  std::vector<float> out;
  for (std::size_t at = from; out.size() < count && at + 4 <= frame.size(); at += 4)
    out.push_back(CFloatCodec().GetFloat(ArrangeBytes(&frame[at], order)));
  return out;
}

inline Bytes Joined(const ReplyPlan& plan) {
  Bytes out;
  for (const ReplyChunk& c : plan) out.insert(out.end(), c.bytes.begin(), c.bytes.end());
  return out;
}

}  // namespace r742::simtest
