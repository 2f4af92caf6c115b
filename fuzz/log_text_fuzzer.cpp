// The traffic text and the event-log rows: FormatTrafficLine and
// LimitTrafficLine (modbus/traffic_text) for frames of every length up to and
// beyond the 999-character line, and SplitLogRows (log/log_rows) for the
// window's row width and for other widths and starts.
//
// Input: [0] direction, [1] row width, [2] start length, then the frame bytes
// (the bytes are also the log text).
// Asserts: the traffic line is the prefix and each byte's hex digits and blank,
// cut at 999 characters; the limited line is 109 characters of head, "......"
// and the last two bytes shown; log rows are at most the width (all but the
// last exactly the width), only the first carries the start, and the rows put
// together give the start and the text back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "log/log_rows.h"
#include "modbus/traffic_text.h"

namespace r742::fuzz {
namespace {

void CheckTrafficLine(const std::uint8_t* bytes, std::size_t length, int direction) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const std::string line = FormatTrafficLine(bytes, length, direction);
  std::string whole = direction == 0 ? "Modbus >> " : "Modbus << ";
  for (std::size_t i = 0; i < length && whole.size() <= kTrafficLineMax; ++i)
    whole += {kHex[bytes[i] >> 4], kHex[bytes[i] & 0x0F], ' '};
  Require(line == whole.substr(0, kTrafficLineMax));

  std::string limited = line;
  LimitTrafficLine(limited);
  if (line.size() <= kLimitedTrafficLine) {
    Require(limited == line);
    return;
  }
  Require(limited.size() == kLimitedTrafficLine);
  Require(limited.compare(0, 98, line, 0, 98) == 0 && limited.compare(98, 6, "......") == 0);
  // The last two bytes shown, whether or not the line was cut inside the blank after them.
  const std::size_t shownEnd = line.back() == ' ' ? line.size() - 1 : line.size();
  Require(limited.compare(104, 5, line, shownEnd - 5, 5) == 0);
}

void CheckLogRows(std::string_view start, std::string_view text, std::size_t width) {
  const std::vector<std::string> rows = SplitLogRows(start, text, width);
  std::string joined;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    Require(!rows[i].empty() && rows[i].size() <= width);
    if (i + 1 < rows.size()) Require(rows[i].size() == width);
    joined += rows[i];
  }
  Require(joined.size() == start.size() + text.size());
  Require(joined.compare(0, start.size(), start) == 0 && joined.compare(start.size(), text.size(), text) == 0);
  Require(rows.empty() == (start.empty() && text.empty()));
}

}  // namespace
}  // namespace r742::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace r742::fuzz;
  constexpr std::size_t kHeader = 3;
  if (size < kHeader) return 0;
  const std::uint8_t* bytes = data + kHeader;
  const std::size_t length = size - kHeader;
  CheckTrafficLine(bytes, length, data[0] & 1 ? 1 : 0);
  // A frame of the same bytes repeated past the line's end.
  std::vector<std::uint8_t> repeated;
  for (std::size_t i = 0; length != 0 && repeated.size() < 340 + data[2]; ++i) repeated.push_back(bytes[i % length]);
  CheckTrafficLine(repeated.data(), repeated.size(), data[0] & 2 ? 1 : 0);

  const std::string_view text(reinterpret_cast<const char*>(bytes), length);
  CheckLogRows("12:00:00 ", text, 120);  // as the window adds a time-stamped line
  CheckLogRows("", text, 120);
  const std::size_t width = data[1] + 1u;
  const std::size_t startLength = std::min<std::size_t>(data[2] % width, length);
  CheckLogRows(text.substr(0, startLength), text.substr(startLength), width);
  CheckLogRows(text.substr(0, startLength), r742::FormatTrafficLine(bytes, length, 1), width);
  return 0;
}
