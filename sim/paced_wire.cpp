#include "paced_wire.h"

#include <algorithm>
#include <utility>

namespace r742 {

void PacedWire::SetRate(std::uint32_t baud, unsigned bitsPerChar) {
  baud_ = baud;
  bitsPerChar_ = bitsPerChar;
}

std::int64_t PacedWire::LeftWireUs(std::int64_t startUs, std::size_t index) const {
  if (options_.instant || baud_ == 0) return startUs;
  // Whole microseconds from the run's start, rounded up: no drift over a long reply.
  const std::uint64_t bits = std::uint64_t{index + 1} * bitsPerChar_ * 1'000'000u;
  return startUs + static_cast<std::int64_t>((bits + baud_ - 1) / baud_);
}

void PacedWire::FromProgram(std::span<const std::uint8_t> bytes, std::int64_t atUs, bool echo) {
  if (bytes.empty()) return;
  if (options_.instant || options_.deviceSends) {
    requestEndUs_ = atUs;
    if (echo) Hand(atUs, bytes);
    return;
  }
  // A write that follows one still leaving the wire goes out after it.
  const std::int64_t start = std::max(atUs, requestEndUs_);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (echo) Arrive(bytes[i], LeftWireUs(start, i));
  requestEndUs_ = LeftWireUs(start, bytes.size() - 1);
}

void PacedWire::Reply(const ReplyPlan& plan) {
  std::int64_t previousEnd = requestEndUs_ + (options_.instant ? 0 : options_.turnaroundUs);
  for (const ReplyChunk& chunk : plan) {
    if (chunk.bytes.empty()) continue;
    const std::int64_t start = previousEnd + std::max<std::int64_t>(chunk.delayMs, 0) * 1000;
    if (options_.instant || options_.deviceSends) {
      Hand(start, chunk.bytes);
      previousEnd = LeftWireUs(start, chunk.bytes.size() - 1);  // instant: at once
      continue;
    }
    for (std::size_t i = 0; i < chunk.bytes.size(); ++i) Arrive(chunk.bytes[i], LeftWireUs(start, i));
    previousEnd = LeftWireUs(start, chunk.bytes.size() - 1);
  }
}

void PacedWire::Arrive(std::uint8_t byte, std::int64_t atUs) {
  if (!Adapter()) return Hand(atUs, {&byte, 1});
  // A packet goes once its latency has run out, before a later byte could join it.
  if (open_ && atUs > open_->atUs + options_.latencyUs) CloseOpenPacket();
  if (!open_) open_ = TimedBytes{atUs, {}};
  open_->bytes.push_back(byte);
  if (options_.packetBytes != 0 && open_->bytes.size() >= options_.packetBytes) {
    Hand(atUs, open_->bytes);
    open_.reset();
  }
}

void PacedWire::CloseOpenPacket() {
  if (!open_) return;
  Hand(open_->atUs + options_.latencyUs, open_->bytes);
  open_.reset();
}

void PacedWire::Hand(std::int64_t atUs, std::span<const std::uint8_t> bytes) {
  // Bytes handed over at the same moment are one read's worth for the program.
  if (!handed_.empty() && handed_.back().atUs == atUs) {
    handed_.back().bytes.insert(handed_.back().bytes.end(), bytes.begin(), bytes.end());
    return;
  }
  handed_.push_back({atUs, {bytes.begin(), bytes.end()}});
}

std::vector<TimedBytes> PacedWire::TakeDue(std::int64_t nowUs) {
  // Every byte that could still join the open packet would arrive after its latency ran out.
  if (open_ && open_->atUs + options_.latencyUs <= nowUs) CloseOpenPacket();
  std::vector<TimedBytes> due;
  while (!handed_.empty() && handed_.front().atUs <= nowUs) {
    due.push_back(std::move(handed_.front()));
    handed_.pop_front();
  }
  return due;
}

std::vector<TimedBytes> PacedWire::TakeAll() {
  CloseOpenPacket();
  std::vector<TimedBytes> all(std::make_move_iterator(handed_.begin()), std::make_move_iterator(handed_.end()));
  handed_.clear();
  return all;
}

std::optional<std::int64_t> PacedWire::NextDueUs() const {
  std::optional<std::int64_t> next;
  if (!handed_.empty()) next = handed_.front().atUs;
  if (open_) next = std::min(next.value_or(open_->atUs + options_.latencyUs), open_->atUs + options_.latencyUs);
  return next;
}

}  // namespace r742
