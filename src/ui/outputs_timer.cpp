// The timer-paced chain of exchanges behind Read, Send and Release, as the
// sequencer's steps lay it out: a send tick writes one request, the tick one
// response time later reads its reply and either moves on or ends the
// operation; the ready timer ends every one.
#include <algorithm>

#include "model/param_catalogue.h"
#include "node/node_map.h"
#include "sequencer/operation_states.h"
#include "serial/serial_port.h"
#include "ui/outputs_dlg.h"
#include "ui/resource.h"

namespace r742 {

namespace {

constexpr const char* kNoReply = "Function Not Supported or Node Not Responding";
constexpr const char* kNotSent = "Com Port Error or Port Not Setup";

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
  const OperationStep step = StepOf(m_nState);
  m_nState = step.awaitingState;
  switch (step.request) {
    case StepRequest::kSystemSettings: StepReadSystem(); break;
    case StepRequest::kChannelMode: StepReadChannelMode(step.channel); break;
    case StepRequest::kOutputSettings: StepReadOutputs(); break;
    case StepRequest::kPassCode: StepWritePassCode(kPassCode); break;
    case StepRequest::kOutputWrite: StepWriteOutputs(); break;
    case StepRequest::kRelease: StepWritePassCode(0.0f); break;
    case StepRequest::kNone: break;
  }
  // The step's log line stands above the request's traffic line.
  PublishTraffic(TrafficRoute::Request);
  m_nStepTimer = SetTimer(TIMER_STEP, static_cast<unsigned>(m_nResponseMs));
  m_bAwaitingReply = 1;
}

void COutputsDlg::OnReplyTick() {
  const OperationStep step = StepOf(m_nState);
  switch (step.afterReply) {
    case AfterReply::kNextState:
      KillTimer(m_nStepTimer);
      m_nStepTimer = 0;
      m_nReplyResult = ProcessReply();
      if (m_nReplyResult != 0) {
        m_bAwaitingReply = 0;
        m_nState = step.nextState;
        m_nStepTimer = SetTimer(TIMER_STEP, kStepGapMs);
      } else {
        EndWithNoReply();
      }
      break;
    case AfterReply::kEndRead:
    case AfterReply::kEndRelease:
      m_nReplyResult = ProcessReply();
      KillTimer(m_nStepTimer);
      m_nStepTimer = 0;
      if (m_nReplyResult == 0) EndWithNoReply();
      if (step.afterReply == AfterReply::kEndRelease) {
        ClosePort();
        AddLogLine("Disconnected", 1);
      }
      StartReadyTimer(kReadyAfterReplyMs);
      if (step.afterReply == AfterReply::kEndRelease)
        for (int id : {IDC_SYS_TYPE, IDC_SYS_VOLTS, IDC_SYS_AMPS, IDC_SYS_WATTS}) SetText(id, "");
      break;
    case AfterReply::kNothing: break;
  }
}

void COutputsDlg::EndWithNoReply() {
  StartReadyTimer(kReadyAfterReplyMs);
  SetText(IDC_STATUS_RIGHT, kNoReply);
  AddLogLine(kNoReply, 1);
  if (!m_strExchangeFault.empty()) AddLogLine(m_strExchangeFault, 1);
  if (m_bPortGone) CloseVanishedPort();
}

// A port whose device went away never works again, even once it is back: the
// next operation opens it afresh instead of failing until a Release.
void COutputsDlg::CloseVanishedPort() {
  const std::string label = m_strPortLabel;
  const bool deviceServer = m_hPort && m_hPort->IsDeviceServer();
  ClosePort();
  AddLogLine(label + (deviceServer ? " lost its connection. The next Read connects again"
                                   : " is gone - unplugged? The next Read opens it again"),
             1);
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
    if (!m_strExchangeFault.empty()) AddLogLine(m_strExchangeFault, 1);
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
  m_nWriteStart = kPassCodeValue;
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
  const std::optional<std::array<float, 9>> values = OutputWriteValues(codes);
  if (!values) {
    // The scaling changed into something unsendable after the button was pressed.
    if (m_nReadyTimer == 0) {
      SetText(IDC_STATUS_RIGHT, kInvalidScalingText);
      AddLogLine(kInvalidScalingText, 1);
      StartReadyTimer(kReadyAfterRefusalMs);
    }
    return;
  }
  m_nWriteStart = kOutputFirstValue;
  std::copy(values->begin(), values->end(), m_afWriteValues.begin());
  m_nWriteCount = static_cast<std::uint8_t>(values->size());
  ReportStep(WriteRegisters(), "Updating Node's Output Settings - Please Wait", "Updating Node's Output Settings");
}

std::optional<std::array<float, 9>> COutputsDlg::OutputWriteValues(const std::array<float, 3>& codes) const {
  return r742::OutputWriteValues(codes, m_nParamCode, m_fNominal, m_fZeroOffset);
}

}  // namespace r742
