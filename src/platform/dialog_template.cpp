#include "platform/dialog_template.h"

namespace r742 {

const ControlTemplate* DialogTemplate::Find(int controlId) const {
  for (const auto& c : controls)
    if (c.id == controlId && controlId != -1) return &c;
  return nullptr;
}

namespace {
// Rounded like the platform's MulDiv for non-negative and negative inputs alike.
int MulDivRounded(int value, int mul, int div) {
  const long long p = static_cast<long long>(value) * mul;
  return static_cast<int>(p >= 0 ? (p + div / 2) / div : -((-p + div / 2) / div));
}
}  // namespace

int DluToPixelsX(int dlu) { return MulDivRounded(dlu, kBaseUnitX, 4); }
int DluToPixelsY(int dlu) { return MulDivRounded(dlu, kBaseUnitY, 8); }

std::string WithoutMnemonic(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && ++i == text.size()) break;
    shown += text[i];
  }
  return shown;
}

PixelRect DluToPixels(const DlgRect& r) {
  // Position and size are converted each on its own, as the platform maps a dialog rectangle.
  return {DluToPixelsX(r.x), DluToPixelsY(r.y), DluToPixelsX(r.w), DluToPixelsY(r.h)};
}

}  // namespace r742
