#include "serial/posix/rts_switch.h"

#include <algorithm>
#include <string_view>

#include "serial/posix/monotonic_clock.h"

namespace r742 {
namespace {

std::int64_t CharacterNs(const LineSettings& settings) {
  const std::int64_t bits = BitsPerChar(settings);
  return settings.baud == 0 ? 0 : (bits * kNsPerSecond + settings.baud - 1) / settings.baud;
}

}  // namespace

RtsChoice ReadRtsChoice(const char* value) {
  if (value == nullptr) return {};
  const std::string_view raw(value);
  const std::size_t first = raw.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::string_view word = raw.substr(first, raw.find_last_not_of(" \t") - first + 1);
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  if (std::ranges::equal(word, std::string_view("keep"), {}, lower)) return {.keep = true, .remark = {}};
  constexpr std::size_t kShownChars = 40;
  return {.remark = "R742_RTS=\"" + std::string(raw.substr(0, kShownChars)) + (raw.size() > kShownChars ? "..." : "") +
                    "\" not understood (only keep is): RTS is switched as usual"};
}

std::string RtsSwitch::Configure(const LineSettings& settings, bool keep) {
  characterNs_ = CharacterNs(settings);
  byHand_ = false;
  if (!settings.rtsToggle || keep) {
    lines_->RestoreRs485();
    return keep ? "RTS left as it is (R742_RTS=keep)" : "";
  }
  if (lines_->EnableRs485()) return {};
  if (!lines_->SetRts(false)) return "RTS not switched: the device has no modem control lines";
  byHand_ = true;
  return {};
}

bool RtsSwitch::Send(std::uint32_t length, const std::function<bool()>& write) {
  if (!byHand_) return write();
  const std::int64_t start = lines_->NowNs();
  (void)lines_->SetRts(true);  // a refusal here leaves the request to go out as it can
  const bool written = write();
  if (written && lines_->Drain()) WaitUntilSent(start, length);
  (void)lines_->SetRts(false);
  return written;
}

// After the drain: until the transmitter reports itself empty where the driver
// can say, else until the frame's own time on the line (and one character of
// an adapter's buffer) has passed since it was handed over.
void RtsSwitch::WaitUntilSent(std::int64_t startNs, std::uint32_t length) {
  if (std::optional<bool> empty = lines_->TransmitterEmpty()) {
    const std::int64_t limit = lines_->NowNs() + 2 * characterNs_ + kNsPerMs;
    const std::int64_t step = std::max<std::int64_t>(characterNs_ / 4, 10000);
    while (empty && !*empty && lines_->NowNs() < limit) {
      lines_->PauseNs(step);
      empty = lines_->TransmitterEmpty();
    }
    return;
  }
  const std::int64_t frameNs = (static_cast<std::int64_t>(length) + 1) * characterNs_;
  lines_->PauseNs(startNs + frameNs - lines_->NowNs());
}

}  // namespace r742
