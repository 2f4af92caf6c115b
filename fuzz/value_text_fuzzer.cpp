// Value-box texts: ReadValueText and ReadWholeNumberText (model/value_reader)
// against the C library's strtod/strtol, and the texts typed into the six
// scaling boxes of a headless main window with channels assigned (the
// frequency parameter among them), so that the change handlers limit the
// values (model/scaling) and redraw the read-outs and frequency conversions run.
//
// Input: [0] rows to assign (bits 0-1) and output modes (bits 2-4), [1..3] a
// parameter code per row (bit 7: the frequency parameter), [4] full scale
// choice, then texts separated by '\n', typed into the boxes in turn.
// Asserts: the readers agree with the C library within their own rules (nine
// characters count; a value beyond float range is +/-infinity; whole numbers
// saturate), and the window model holds (CheckWindowModel: nominal 5..200,
// zero offset finite and at most 90, read-outs at most 63 characters).
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "model/param_catalogue.h"
#include "model/scaling.h"
#include "model/value_reader.h"
#include "ui/resource.h"

namespace r742::fuzz {
namespace {

// strtod would also read "inf", "nan" and hexadecimal; the reader reads decimal only.
bool PlainDecimal(std::string_view s) {
  for (char c : s)
    if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-' || c == ' ' || c == '\t' ||
          c == '\n' || c == '\v' || c == '\f' || c == '\r'))
      return false;
  return true;
}

float NarrowLikeTheReader(double d) {
  constexpr double kOverflowAt = 0x1p128 - 0x1p103;
  constexpr float kInf = std::numeric_limits<float>::infinity();
  if (d >= kOverflowAt) return kInf;
  if (d <= -kOverflowAt) return -kInf;
  if (d > std::numeric_limits<float>::max()) return std::numeric_limits<float>::max();
  if (d < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::max();
  return static_cast<float>(d);
}

void CheckReaders(std::string_view text) {
  const float value = ReadValueText(text);
  Require(!std::isnan(value));
  const std::string head(text.substr(0, 9));
  if (PlainDecimal(head) && head.find('\0') == std::string::npos) {
    const double expected = std::strtod(head.c_str(), nullptr);
    const float narrowed = NarrowLikeTheReader(expected);
    // Below the smallest double the reader gives zero and strtod may give a denormal: both narrow to a zero.
    Require(std::memcmp(&value, &narrowed, sizeof value) == 0);
  }
  for (std::size_t maxChars : {std::size_t{9}, std::size_t{19}, text.size()}) {
    std::string prefix(text.substr(0, maxChars));
    prefix = prefix.substr(0, prefix.find('\0'));
    errno = 0;
    const long long parsed = std::strtoll(prefix.c_str(), nullptr, 10);
    const long long clamped = std::clamp<long long>(parsed, INT_MIN, INT_MAX);
    Require(ReadWholeNumberText(text, maxChars) == clamped);
  }
}

constexpr float kFullScales[] = {20.0f, 10.0f, 0.0f, -5.0f, 1e30f, 3.4e38f, 1e-30f, 24.0f};

}  // namespace
}  // namespace r742::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace r742;
  using namespace r742::fuzz;
  constexpr std::size_t kHeader = 5;
  if (size < kHeader) return 0;
  const std::string_view texts(reinterpret_cast<const char*>(data + kHeader), size - kHeader);

  MainWindow w("");
  const int rows = data[0] & 3;
  for (int row = 0; row < rows; ++row) {
    const std::uint8_t b = data[1 + row];
    const int code = b & 0x80 ? kFrequencyCode : b % kParamCount;
    w.window->SelectRow(IDC_AVAILABLE_LIST, code);
    w.window->Click(IDC_ADD);
  }
  for (int ch = 0; ch < 3; ++ch) {
    w.dlg.m_nOutputMode[ch] = (data[0] >> (2 + ch)) & 1;
    w.dlg.m_fFullScale[ch] = kFullScales[(data[4] >> ch) % std::size(kFullScales)];
  }
  w.dlg.UpdateReadouts();
  CheckWindowModel(w);

  const int boxes[6] = {NominalBoxId(0), OffsetBoxId(0),  NominalBoxId(1),
                        OffsetBoxId(1),  NominalBoxId(2), OffsetBoxId(2)};
  std::size_t pos = 0;
  for (int i = 0; i < 24 && pos <= texts.size(); ++i) {
    const std::size_t end = std::min(texts.find('\n', pos), texts.size());
    const std::string_view text = texts.substr(pos, end - pos);
    pos = end + 1;
    CheckReaders(text);
    w.window->Type(boxes[i % 6], text);
    CheckWindowModel(w);
    for (int ch = 1; ch <= 3; ++ch) {
      // The node values a Send would write for a frequency channel; a span of 0 is refused before.
      const float a = w.dlg.FrequencyToNode(kFrequencyCode, ch, 0), b = w.dlg.FrequencyToNode(kFrequencyCode, ch, 1);
      if (std::isfinite(a) && std::isfinite(b) && a != b) {
        const CentreSpan back = FrequencyFromNode(a, b);
        (void)back;
      }
    }
  }
  return 0;
}
