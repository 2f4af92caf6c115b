// The timer-paced chain of exchanges behind Read, Send and Release: a send
// tick writes one request, the tick one response time later reads its reply
// and either moves on or ends the operation; the ready timer ends every one.
#include <algorithm>
#include <cmath>

#include "model/param_catalogue.h"
#include "sequencer/operation_states.h"
#include "ui/outputs_dlg.h"
#include "ui/resource.h"

namespace r742 {

namespace {

constexpr const char* kNoReply = "Function Not Supported or Node Not Responding";
constexpr const char* kNotSent = "Com Port Error or Port Not Setup";
constexpr int kOutputWriteStart = 13;
constexpr int kPassCodeValueNumber = 36;

int NextState(int state) {
  switch (state) {
    case kStateSystem: return kStateChannel1;
    case kStatePassCode: return kStateWriteOutputs;
    case kStateWriteOutputs: return kStateReadStart;  // a full Read shows what the node now holds
    default: return state + 1;                        // channel 1 -> 2 -> 3 -> output settings
  }
}

}  // namespace

void COutputsDlg::OnTimer(unsigned nIDEvent) {
  if (m_nStepTimer != 0 && nIDEvent == m_nStepTimer) {
    if (!m_hPort) {
      // Nothing can be exchanged without a port: end instead of ticking on.
      KillTimer(m_nStepTimer);
      m_nStepTimer = 0;
      if (m_nReadyTimer == 0) StartReadyTimer(kReadyAfterReplyMs);
    } else if (m_bAwaitingReply == 0) {
      OnStepTick();
    } else {
      OnReplyTick();
    }
  }
  if (m_nReadyTimer != 0 && nIDEvent == m_nReadyTimer) {
    KillTimer(m_nReadyTimer);
    m_nReadyTimer = 0;
    SetText(IDC_STATUS_RIGHT, "Ready");
    EnableControls();
  }
}

void COutputsDlg::OnStepTick() {
  m_nReplyResult = 0;
  switch (m_nState) {
    case kStateReadStart:
      m_nState = kStateSystem;
      StepReadSystem();
      break;
    case kStateChannel1:
    case kStateChannel1 + 1:
    case kStateChannel3: StepReadChannelMode(static_cast<std::uint32_t>(m_nState - kStateChannel1 + 1)); break;
    case kStateOutputs: StepReadOutputs(); break;
    case kStateSendStart:
      m_nState = kStatePassCode;
      StepWritePassCode(kPassCode);
      break;
    case kStateWriteOutputs: StepWriteOutputs(); break;
    case kStateRelease: StepWritePassCode(0.0f); break;
    default: break;
  }
  // The step's log line stands above the request's traffic line.
  PublishTraffic(TrafficRoute::Request);
  m_nStepTimer = SetTimer(TIMER_STEP, static_cast<unsigned>(m_nResponseMs));
  m_bAwaitingReply = 1;
}

void COutputsDlg::OnReplyTick() {
  switch (m_nState) {
    case kStateChannel1:
    case kStateChannel1 + 1:
    case kStateChannel3:
    case kStateSystem:
    case kStatePassCode:
    case kStateWriteOutputs:
      KillTimer(m_nStepTimer);
      m_nStepTimer = 0;
      m_nReplyResult = ProcessReply();
      if (m_nReplyResult != 0) {
        m_bAwaitingReply = 0;
        m_nState = NextState(m_nState);
        m_nStepTimer = SetTimer(TIMER_STEP, kStepGapMs);
      } else {
        EndWithNoReply();
      }
      break;
    case kStateOutputs:
      m_nReplyResult = ProcessReply();
      KillTimer(m_nStepTimer);
      m_nStepTimer = 0;
      if (m_nReplyResult == 0) EndWithNoReply();
      StartReadyTimer(kReadyAfterReplyMs);
      break;
    case kStateRelease:
      m_nReplyResult = ProcessReply();
      KillTimer(m_nStepTimer);
      m_nStepTimer = 0;
      if (m_nReplyResult == 0) EndWithNoReply();
      ClosePort();
      AddLogLine("Disconnected", 1);
      StartReadyTimer(kReadyAfterReplyMs);
      for (int id : {IDC_SYS_TYPE, IDC_SYS_VOLTS, IDC_SYS_AMPS, IDC_SYS_WATTS}) SetText(id, "");
      break;
    default: break;
  }
}

void COutputsDlg::EndWithNoReply() {
  StartReadyTimer(kReadyAfterReplyMs);
  SetText(IDC_STATUS_RIGHT, kNoReply);
  AddLogLine(kNoReply, 1);
}

void COutputsDlg::StartReadyTimer(unsigned periodMs) { m_nReadyTimer = SetTimer(TIMER_READY, periodMs); }

void COutputsDlg::ReportStep(std::uint32_t written, std::string_view status, std::string_view log) {
  if (written >= 1) {
    SetText(IDC_STATUS_RIGHT, status);
    AddLogLine(log, 1);
    DisableControls();
  } else if (m_nReadyTimer == 0) {
    SetText(IDC_STATUS_RIGHT, kNotSent);
    AddLogLine(kNotSent, 1);
    StartReadyTimer(kReadyAfterRefusalMs);
  }
}

void COutputsDlg::StepReadSystem() {
  ReportStep(ReadSystemSettings(), "Getting System Settings - Please Wait", "Getting System Settings");
}

void COutputsDlg::StepReadChannelMode(std::uint32_t channel) {
  const std::string n = std::to_string(channel);
  ReportStep(ReadChannelMode(channel), "Getting Channel " + n + "'s Mode - Please Wait",
             "Getting Channel " + n + "'s Mode");
}

void COutputsDlg::StepReadOutputs() {
  const std::uint32_t written = ReadOutputSettings();
  if (written >= 1) GetDlgItem(IDC_CHANNEL_LIST).ResetContent();
  ReportStep(written, "Reading Node's Output Settings", "Reading Node's Output Settings");
  RefreshChannels();
  UpdateReadouts();
}

void COutputsDlg::StepWritePassCode(float value) {
  m_nWriteStart = kPassCodeValueNumber;
  m_afWriteValues[0] = value;
  m_nWriteCount = 1;
  ReportStep(WriteRegisters(), "Setting Node's Pass Code - Please Wait", "Setting Node's Pass Code");
}

void COutputsDlg::StepWriteOutputs() {
  const CDlgItem list = GetDlgItem(IDC_CHANNEL_LIST);
  if (list.GetCount() <= 0) {
    if (m_nReadyTimer == 0) {
      SetText(IDC_STATUS_RIGHT, "Nothing To Send");
      StartReadyTimer(kReadyAfterRefusalMs);
    }
    return;
  }
  // Each row is read as the list's selection; a row that does not exist is "OFF".
  std::array<float, 3> codes{};
  for (int row = 0; row < 3; ++row) {
    list.SetCurSel(row);
    const int selected = list.GetCurSel();
    if (selected != kLbErr) codes[row] = static_cast<float>(GetParamCode(list.GetText(selected)));
  }
  std::array<float, 9> values{};
  if (!OutputWriteValues(codes, values)) {
    // The scaling changed into something unsendable after the button was pressed.
    if (m_nReadyTimer == 0) {
      SetText(IDC_STATUS_RIGHT, kInvalidScalingText);
      AddLogLine(kInvalidScalingText, 1);
      StartReadyTimer(kReadyAfterRefusalMs);
    }
    return;
  }
  m_nWriteStart = kOutputWriteStart;
  std::copy(values.begin(), values.end(), m_afWriteValues.begin());
  m_nWriteCount = static_cast<std::uint8_t>(values.size());
  ReportStep(WriteRegisters(), "Updating Node's Output Settings - Please Wait", "Updating Node's Output Settings");
}

bool COutputsDlg::OutputWriteValues(const std::array<float, 3>& codes, std::array<float, 9>& values) const {
  for (int ch = 0; ch < 3; ++ch) {
    float* v = &values[3 * static_cast<std::size_t>(ch)];
    v[0] = codes[ch];
    if (m_nParamCode[ch] == kFrequencyCode) {
      if (m_fZeroOffset[ch] == 0.0f) return false;  // no span: the node values would divide by zero
      v[1] = FrequencyToNode(kFrequencyCode, ch + 1, 0);
      v[2] = FrequencyToNode(kFrequencyCode, ch + 1, 1);
    } else {
      v[1] = m_fNominal[ch];
      v[2] = m_fZeroOffset[ch];
    }
  }
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

}  // namespace r742
