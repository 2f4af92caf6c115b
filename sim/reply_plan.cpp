#include "reply_plan.h"

#include <algorithm>

namespace r742 {

namespace {

void AppendJunk(std::vector<std::uint8_t>& out, std::uint32_t count) {
  count = std::min(count, kMaxGarbageBytes);
  for (std::uint32_t i = 0; i < count; ++i) out.push_back(i % 2 ? 0x00 : 0xFF);
}

}  // namespace

ReplyPlan ShapeReply(std::vector<std::uint8_t> reply, const SimFaults& faults) {
  ReplyPlan plan;
  if (faults.silent || reply.size() < 3) return plan;

  if (faults.wrongNode) {
    reply[0] = static_cast<std::uint8_t>(reply[0] + 1);
    reply.resize(reply.size() - 2);
    AppendCrc(reply);
  }
  if (faults.badCrc) reply.back() ^= 0xFF;
  reply.resize(reply.size() - std::min<std::size_t>(faults.truncate, reply.size()));

  std::vector<std::uint8_t> line;
  AppendJunk(line, faults.garbageBefore);
  line.insert(line.end(), reply.begin(), reply.end());
  AppendJunk(line, faults.garbageAfter);
  if (line.empty()) return plan;

  const std::int64_t delay = std::max<std::int64_t>(faults.delayMs, 0);
  if (faults.splitGapMs > 0 && line.size() >= 2) {
    const auto middle = line.begin() + static_cast<std::ptrdiff_t>(line.size() / 2);
    plan.push_back({delay, {line.begin(), middle}});
    plan.push_back({faults.splitGapMs, {middle, line.end()}});
  } else {
    plan.push_back({delay, std::move(line)});
  }
  return plan;
}

}  // namespace r742
