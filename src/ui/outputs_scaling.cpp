// The scaling values of the channels, their labels and the output read-outs.
#include "model/param_catalogue.h"
#include "model/readouts.h"
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
    const ChannelReadoutTexts r = ChannelReadouts(m_nParamCode[ch], m_nPolarity[ch], m_nOutputMode[ch],
                                                  m_fFullScale[ch], m_fNominal[ch], m_fZeroOffset[ch]);
    for (int p = 0; p < 3; ++p) {
      const bool shown = !r.points[p].empty();
      SetText(PointId(ch, p), shown ? r.points[p] : "     ");
      SetText(UnitId(ch, p), shown ? r.unit : "  ");
    }
  }
}

float COutputsDlg::FrequencyToNode(int code, int channel, int which) const {
  if (code != kFrequencyCode || channel < 1 || channel > 3) return 0.0f;
  return r742::FrequencyToNode(m_fNominal[channel - 1], m_fZeroOffset[channel - 1], which);
}

}  // namespace r742
