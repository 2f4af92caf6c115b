// The node's reply to the last request: collected once, judged by the node
// exchange, shown as traffic, and applied to the window according to the
// operation's state.
#include "modbus/modbus_frame.h"
#include "model/number_text.h"
#include "model/param_catalogue.h"
#include "model/scaling.h"
#include "model/system_settings.h"
#include "node/port_exchange.h"
#include "sequencer/operation_states.h"
#include "ui/outputs_dlg.h"
#include "ui/resource.h"

namespace r742 {

namespace {

int ChannelOfState(int state) {
  return state >= kStateChannel1 && state <= kStateChannel3 ? state - kStateChannel1 : -1;
}

}  // namespace

std::uint32_t COutputsDlg::ProcessReply() {
  m_strExchangeFault.clear();
  if (!m_hPort) return 0;
  CModbusFrame frame;
  const ReadOutcome read = ReceiveReply(*m_hPort, frame);
  m_bPortGone = m_bPortGone || read.deviceGone;
  ReplyVerdict verdict = CheckReply(frame, m_echo, static_cast<std::uint8_t>(m_nNode), m_nRequestFunction);
  const auto rejected = [&](ReplyFault fault) {
    verdict.fault = fault;
    m_strExchangeFault = DescribeReplyFault(verdict, read, static_cast<std::uint32_t>(m_nResponseMs), m_strPortLabel,
                                            static_cast<std::uint8_t>(m_nNode));
    return 0u;
  };
  if (verdict.fault != ReplyFault::kNone) return rejected(verdict.fault);

  if (m_bShowModbus) {
    FormatTraffic(frame.ReceiveBytes(), verdict.length, 1);
    PublishTraffic(TrafficRoute::Reply);
  }

  switch (verdict.function) {
    case kReadHolding:
      if (m_nState == kStateSystem) {
        const std::optional<SystemSettings> settings = DecodeSystemSettings(frame, m_nFloatOrder);
        if (!settings) return rejected(ReplyFault::kTooShort);
        ApplySystemSettings(*settings);
      } else {
        const std::optional<OutputSettings> outputs = DecodeOutputSettings(frame, m_nFloatOrder);
        if (!outputs) return rejected(ReplyFault::kTooShort);
        ApplyOutputSettings(*outputs);
      }
      break;
    case kReadNodeSpecific: {
      const std::optional<ChannelMode> mode = DecodeChannelMode(frame, m_nFloatOrder);
      if (!mode) return rejected(ReplyFault::kTooShort);
      ApplyChannelMode(*mode);
      break;
    }
    default: break;  // write replies are checked and shown only
  }
  return verdict.length;
}

void COutputsDlg::ApplySystemSettings(const SystemSettings& s) {
  SetText(IDC_SYS_VOLTS, FormatSystemMagnitude(s.volts));
  SetText(IDC_SYS_AMPS, FormatSystemMagnitude(s.amps));
  SetText(IDC_SYS_TYPE, WiringTypeName(s.wiringType));
  const std::optional<float> watts = SystemPower(s.volts, s.amps, s.wiringType);
  SetText(IDC_SYS_WATTS, watts ? FormatSystemMagnitude(*watts) : std::string());
  SetText(IDC_SYS_VOLTS_UNIT, "V");
  SetText(IDC_SYS_AMPS_UNIT, "A");
  SetText(IDC_SYS_WATTS_UNIT, "W");
}

void COutputsDlg::ApplyChannelMode(const ChannelMode& mode) {
  const int ch = ChannelOfState(m_nState);
  if (ch < 0) return;
  // 0 is a voltage output; any other value, NaN included, a current output.
  m_nOutputMode[ch] = TruncateToInt(mode.mode).value_or(1);
  m_fFullScale[ch] = mode.fullScale;
}

void COutputsDlg::ApplyOutputSettings(const OutputSettings& settings) {
  for (int ch = 0; ch < 3; ++ch) {
    m_fNominal[ch] = settings[ch].nominal;
    m_fZeroOffset[ch] = settings[ch].zeroOffset;
  }
  const CDlgItem list = GetDlgItem(IDC_CHANNEL_LIST);
  list.ResetContent();
  for (int ch = 0; ch < 3; ++ch) {
    const std::string name = GetParamName(TruncateToInt(settings[ch].code).value_or(-1));
    list.AddString(name);
    m_nParamCode[ch] = GetParamCode(name);
    if (m_nParamCode[ch] == kFrequencyCode) {
      const CentreSpan cs = CentreSpanFromNode(m_fNominal[ch], m_fZeroOffset[ch]);
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
