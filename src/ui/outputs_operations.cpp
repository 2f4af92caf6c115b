// Read, Send and Release, and the link they run over.
#include <algorithm>
#include <optional>
#include <string>

#include "model/value_reader.h"
#include "sequencer/operation_states.h"
#include "ui/outputs_dlg.h"
#include "ui/port_setup_dlg.h"
#include "ui/resource.h"

namespace r742 {

namespace {

constexpr std::size_t kResponseChars = 19;

// Node 0 would reach every node at once, and 256 and above would wrap onto
// another node's address: only 1..255 (after truncation) addresses one node.
bool AddressesOneNode(float node) { return node >= 1.0f && node < 256.0f; }

// The float order the command line's eighth token selects: the whole token read
// as a whole number ("00000000001" is 1, a saturated huge value is out of
// range), when that is 0..3.
std::optional<int> OrderFromToken(const std::string& token) {
  const int order = ReadWholeNumberText(token, token.size());
  return order >= 0 && order <= 3 ? std::optional(order) : std::nullopt;
}

}  // namespace

void COutputsDlg::OnRead() { StartOperation(kStateReadStart); }

// Nothing that is not a finite number may reach the node: when the output
// settings could not be written, not even the pass code goes out.
void COutputsDlg::OnSend() {
  if (m_nStepTimer != 0) return;
  // The codes come from the catalogue and are always whole numbers: only the scaling can be unsendable.
  if (!OutputWriteValues({})) {
    SetText(IDC_STATUS_RIGHT, kInvalidScalingText);
    AddLogLine(kInvalidScalingText, 1);
    StartReadyTimer(kReadyAfterRefusalMs);
    return;
  }
  StartOperation(kStateSendStart);
}

void COutputsDlg::OnRelease() { StartOperation(kStateRelease); }

void COutputsDlg::StartOperation(int startState) {
  if (m_nStepTimer != 0) return;
  if (m_nPortSetUp == -1) SetUpLink();
  if (!m_hPort) return;
  m_bAwaitingReply = 0;
  m_nState = startState;
  m_echo.Arm();
  m_nStepTimer = SetTimer(TIMER_STEP, kStepGapMs);
}

// A command line that starts nothing, or a float order read from a token that
// is not one, is said once as the window opens; what happens stays the same.
void COutputsDlg::ReportCommandLine() {
  if ((m_nTokenCount >= 2 && m_nTokenCount <= 7) || m_nTokenCount >= 9) {
    AddLogLine(std::to_string(m_nTokenCount) +
                   " tokens on the command line: the unattended start needs exactly 8, so none is started",
               1);
    return;
  }
  if (!IsOverrideMode()) return;
  const std::string& token = m_strToken[7];
  const std::optional<int> order = OrderFromToken(token);
  const bool digits =
      !token.empty() && std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (order && digits) return;
  constexpr std::size_t kShownChars = 20;
  const std::string shown = token.substr(0, kShownChars) + (token.size() > kShownChars ? "..." : "");
  AddLogLine("Float order token \"" + shown + "\" is not a whole number 0 to 3: " +
                 (order ? "order " + std::to_string(*order) + " is used"
                        : "order " + std::to_string(m_nFloatOrder) + " stays"),
             1);
}

void COutputsDlg::SetUpLink() {
  CPortSetupDlg setup;
  setup.m_nCmdLineCount = m_nTokenCount;
  if (m_lineInUse.port || m_lineInUse.baud || m_lineInUse.parity || m_lineInUse.stopBits) {
    LinkSettingsText preset;
    if (m_lineInUse.port) preset.port = *m_lineInUse.port;
    if (m_lineInUse.baud) preset.baud = std::to_string(*m_lineInUse.baud);
    if (m_lineInUse.parity) preset.parity = std::string(1, *m_lineInUse.parity);
    if (m_lineInUse.stopBits) preset.stopBits = std::to_string(*m_lineInUse.stopBits);
    setup.m_preset = preset;
  }
  if (IsOverrideMode()) {
    setup.m_szCmdPort = m_strToken[0];
    setup.m_szCmdBaud = m_strToken[1];
    setup.m_szCmdParity = m_strToken[2];
    setup.m_szCmdDataBits = m_strToken[3];
    setup.m_szCmdStopBits = m_strToken[4];
    SetText(IDC_NODE, m_strToken[5]);
    SetText(IDC_RESPONSE_MS, m_strToken[6]);
    if (const std::optional<int> order = OrderFromToken(m_strToken[7]))
      m_nFloatOrder = static_cast<std::uint8_t>(*order);
    SetText(IDC_STATUS_RIGHT, "Port Settings OK");
  }

  const std::string nodeText = GetDlgItem(IDC_NODE).GetWindowText(kNodeChars);
  const float node = ReadValueText(nodeText);
  if (!AddressesOneNode(node)) {
    SetText(IDC_STATUS_RIGHT, "Invalid Node Number");
    AddLogLine("Invalid Node Number", 1);
    return;
  }
  m_nNode = static_cast<int>(node);
  SetText(IDC_TITLE_TEXT, "Node No. " + nodeText);
  SetText(IDC_STATUS_RIGHT, "Opening Port Handle");

  m_hPort = setup.OpenPort();
  m_strPortLabel = setup.m_szPortLabel;
  if (setup.m_bOpenFailed == 1) SetText(IDC_STATUS_RIGHT, setup.m_szStep);
  if (!m_hPort) {
    SetText(IDC_STATUS_LEFT, "No Port Open");
    if (!setup.m_szReason.empty()) AddLogLine(setup.m_szReason, 1);
    if (!setup.m_szRefusalHint.empty()) AddLogLine(setup.m_szRefusalHint, 1);
    return;
  }
  SetText(IDC_STATUS_LEFT, setup.m_szCommDef);
  m_lineInUse = {setup.m_szPort, static_cast<std::uint32_t>(ReadWholeNumberText(setup.m_szBaud, kMaxSettingChars)),
                 setup.m_szParity.empty() ? 'N' : setup.m_szParity[0],
                 ReadWholeNumberText(setup.m_szStopBits, kMaxSettingChars)};
  if (setup.m_szDevice != setup.m_szPort) AddLogLine(setup.m_szPort + " is " + setup.m_szDevice, 1);
  if (const std::string notice = m_hPort->TakeNotice(); !notice.empty()) AddLogLine(notice, 1);
  m_nPortSetUp = 1;
  m_nResponseMs = ReadWholeNumberText(GetDlgItem(IDC_RESPONSE_MS).GetWindowText(kResponseChars), kResponseChars);
  if (m_nResponseMs < kMinResponseMs) {
    m_nResponseMs = kMinResponseMs;
    SetText(IDC_RESPONSE_MS, "300");
  }
  Enable(IDC_NODE, false);
  Enable(IDC_RESPONSE_MS, false);
}

void COutputsDlg::ClosePort() {
  m_hPort.reset();
  m_bPortGone = false;
  SetText(IDC_STATUS_LEFT, "No Port Open");
  m_nPortSetUp = -1;
  Enable(IDC_NODE, !IsOverrideMode());
  Enable(IDC_RESPONSE_MS, !IsOverrideMode());
}

}  // namespace r742
