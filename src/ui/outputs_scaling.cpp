// The scaling values of the channels, their labels and the output read-outs.
#include "model/param_catalogue.h"
#include "model/scaling.h"
#include "model/value_reader.h"
#include "ui/outputs_dlg.h"
#include "ui/resource.h"

namespace r742 {

namespace {
constexpr std::size_t kValueBoxChars = 9;  // only the first nine characters of a box count
}

void COutputsDlg::OnChangeNominal(int ch) {
  const float value = ReadValueText(GetDlgItem(NominalBoxId(ch)).GetWindowText(kValueBoxChars));
  m_fNominal[ch] = ClampNominal(value);
  UpdateReadouts();
}

void COutputsDlg::OnChangeOffset(int ch) {
  const float value = ReadValueText(GetDlgItem(OffsetBoxId(ch)).GetWindowText(kValueBoxChars));
  m_fZeroOffset[ch] = ClampZeroOffset(value);
  UpdateReadouts();
}

void COutputsDlg::UpdateValueLabels(int code, int channel) {
  if (channel < 1 || channel > 3) return;
  const bool frequency = code == kFrequencyCode;
  SetText(NominalLabelId(channel - 1), frequency ? "Centre Frequency Hz" : "Nominal 5-200%");
  SetText(OffsetLabelId(channel - 1), frequency ? "Span +/- Hz" : "Zero Offset %");
}

void COutputsDlg::UpdateReadouts() {
  for (int ch = 0; ch < 3; ++ch) UpdateValueLabels(m_nParamCode[ch], ch + 1);

  for (int ch = 0; ch < 3; ++ch) {
    std::string point[3] = {"     ", "     ", "     "};
    std::string unit[3] = {"  ", "  ", "  "};
    const char* unitText = m_nOutputMode[ch] == 0 ? "V" : "mA";
    const float n = m_fNominal[ch], z = m_fZeroOffset[ch], f = m_fFullScale[ch];
    const bool nominalBad = IsNominalBad(n);
    const bool offsetBad = IsOffsetBad(z);

    if (m_nParamCode[ch] == kFrequencyCode) {
      // A frequency channel spans its whole output from Cf - Sp to Cf + Sp.
      const float half = f / 2.0f;
      point[0] = FormatReadout(f);
      point[1] = FormatReadout(half);
      point[2] = FormatReadout(0.0f);
      for (auto& u : unit) u = unitText;
    } else if (m_nPolarity[ch] != 0) {
      if (!nominalBad) {
        point[0] = FormatReadout(ChannelOutput(1.0f, f, n, z));
        unit[0] = unitText;
      }
      if (!offsetBad && m_nPolarity[ch] == 2) {
        point[2] = FormatReadout(ChannelOutput(-1.0f, f, n, z));
        unit[2] = unitText;
      }
      if (!nominalBad && !offsetBad) {
        point[1] = FormatReadout(ChannelOutput(0.0f, f, n, z));
        unit[1] = unitText;
      }
    }
    for (int p = 0; p < 3; ++p) {
      SetText(PointId(ch, p), point[p]);
      SetText(UnitId(ch, p), unit[p]);
    }
  }
}

float COutputsDlg::FrequencyToNode(int code, int channel, int which) const {
  if (code != kFrequencyCode || channel < 1 || channel > 3) return 0.0f;
  return r742::FrequencyToNode(m_fNominal[channel - 1], m_fZeroOffset[channel - 1], which);
}

}  // namespace r742
