// The node's reply to the last request: collected once, checked, shown as
// traffic, and applied to the window according to the operation's state.
#include <cmath>

#include "modbus/float_codec.h"
#include "modbus/modbus_frame.h"
#include "model/number_text.h"
#include "model/param_catalogue.h"
#include "model/scaling.h"
#include "model/system_settings.h"
#include "ui/outputs_dlg.h"
#include "ui/resource.h"

namespace r742 {

namespace {

// One read of at most this many bytes; a read that fills it counts as nothing.
constexpr std::uint32_t kReplyLimit = 512;
constexpr std::uint32_t kSystemValuesUsed = 3;
constexpr std::uint32_t kChannelModeValuesUsed = 3;
constexpr std::uint32_t kOutputValuesUsed = 9;

// A frequency channel whose node values are equal (or not numbers) has no span: shown as
// centre 5.0 and span 0.0, which a Send refuses until a span is typed.
constexpr CentreSpan kNoSpan{5.0f, 0.0f};

float ValueAt(const CModbusFrame& frame, std::uint32_t k) { return CFloatCodec().GetFloat(frame.Values()[k]); }

int ChannelOfState(int state) { return state >= 2 && state <= 4 ? state - 2 : -1; }

}  // namespace

std::uint32_t COutputsDlg::ProcessReply() {
  if (!m_hPort) return 0;
  CModbusFrame frame;
  frame.ReceiveFrame(*m_hPort, kReplyLimit);

  if (m_bEchoProbe) {
    m_bEchoPresent = frame.MatchesSent(m_nSentLength, m_abSentFrame) ? 1 : 0;
    m_bEchoProbe = 0;
    m_bEchoChecked = 1;
  }
  if (m_bEchoPresent && m_bEchoChecked) frame.StripEcho(m_nSentLength, kReplyLimit);

  const std::uint32_t count = frame.ReceivedCount();
  if (count == 0) return 0;
  const std::uint8_t* reply = frame.ReceiveBytes();
  // Any function with the exception bit is a refusal, whatever its code byte says.
  if (frame.ExceptionCode() != 0 || (count >= 2 && (reply[1] & kExceptionBit) != 0)) return 0;
  frame.CheckCrc();
  if (frame.Status() != 0) return 0;
  // Only the node asked may answer, and only the function asked.
  if (reply[0] != static_cast<std::uint8_t>(m_nNode) || reply[1] != m_nRequestFunction) return 0;

  if (m_bShowModbus) {
    FormatTraffic(reply, count, 1);
    PublishTraffic(TrafficRoute::Reply);
  }

  switch (reply[1]) {
    case kReadHolding:
      frame.ExtractValues(m_nFloatOrder);
      if (m_nState == 6) {
        if (frame.ValueCount() < kSystemValuesUsed) return 0;
        ApplySystemSettings(ValueAt(frame, 0), ValueAt(frame, 1), ValueAt(frame, 2));
      } else {
        if (frame.ValueCount() < kOutputValuesUsed) return 0;
        std::array<float, 9> values{};
        for (std::uint32_t k = 0; k < values.size(); ++k) values[k] = ValueAt(frame, k);
        ApplyOutputSettings(values);
      }
      break;
    case kReadNodeSpecific:
      frame.DecodeFrame(m_nFloatOrder);
      if (frame.ValueCount() < kChannelModeValuesUsed) return 0;
      ApplyChannelMode(ValueAt(frame, 1), ValueAt(frame, 2));
      break;
    default: break;  // write replies are checked and shown only
  }
  return count;
}

void COutputsDlg::ApplySystemSettings(float volts, float amps, float type) {
  SetText(IDC_SYS_VOLTS, FormatSystemMagnitude(volts));
  SetText(IDC_SYS_AMPS, FormatSystemMagnitude(amps));
  SetText(IDC_SYS_TYPE, WiringTypeName(type));
  const std::optional<float> watts = SystemPower(volts, amps, type);
  SetText(IDC_SYS_WATTS, watts ? FormatSystemMagnitude(*watts) : std::string());
  SetText(IDC_SYS_VOLTS_UNIT, "V");
  SetText(IDC_SYS_AMPS_UNIT, "A");
  SetText(IDC_SYS_WATTS_UNIT, "W");
}

void COutputsDlg::ApplyChannelMode(float mode, float fullScale) {
  const int ch = ChannelOfState(m_nState);
  if (ch < 0) return;
  // 0 is a voltage output; any other value, NaN included, a current output.
  m_nOutputMode[ch] = TruncateToInt(mode).value_or(1);
  m_fFullScale[ch] = fullScale;
}

void COutputsDlg::ApplyOutputSettings(const std::array<float, 9>& values) {
  std::array<float, 3> codes{};
  for (int ch = 0; ch < 3; ++ch) {
    codes[ch] = values[3 * ch];
    m_fNominal[ch] = values[3 * ch + 1];
    m_fZeroOffset[ch] = values[3 * ch + 2];
  }
  const CDlgItem list = GetDlgItem(IDC_CHANNEL_LIST);
  list.ResetContent();
  for (int ch = 0; ch < 3; ++ch) {
    const std::string name = GetParamName(TruncateToInt(codes[ch]).value_or(-1));
    list.AddString(name);
    m_nParamCode[ch] = GetParamCode(name);
    if (m_nParamCode[ch] == kFrequencyCode) {
      const float a = m_fNominal[ch], b = m_fZeroOffset[ch];
      CentreSpan cs = a == b ? kNoSpan : FrequencyFromNode(a, b);
      if (!std::isfinite(cs.centre) || !std::isfinite(cs.span)) cs = kNoSpan;
      m_fNominal[ch] = cs.centre;
      m_fZeroOffset[ch] = cs.span;
    }
  }
  RefreshChannels();
  UpdateReadouts();
  ShowScaling();
  ClampScaling();
}

void COutputsDlg::ShowScaling() {
  const std::array<float, 6> values{m_fNominal[0],    m_fNominal[1],    m_fNominal[2],
                                    m_fZeroOffset[0], m_fZeroOffset[1], m_fZeroOffset[2]};
  const std::array<int, 6> boxes{IDC_CH1_NOMINAL, IDC_CH2_NOMINAL, IDC_CH3_NOMINAL,
                                 IDC_CH1_OFFSET,  IDC_CH2_OFFSET,  IDC_CH3_OFFSET};
  // Each text raises the box's change handler, which reads it back and limits it.
  for (std::size_t i = 0; i < boxes.size(); ++i) SetText(boxes[i], FormatFixed(values[i], 1));
}

void COutputsDlg::ClampScaling() {
  for (int ch = 0; ch < 3; ++ch) m_fNominal[ch] = ClampNominal(m_fNominal[ch]);
  for (int ch = 0; ch < 3; ++ch) m_fZeroOffset[ch] = ClampZeroOffset(m_fZeroOffset[ch]);
}

}  // namespace r742
