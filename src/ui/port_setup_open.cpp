// The working settings of an opening attempt: from the command line, or the
// Port Setup dialog shown on the built-in defaults; the port is then opened
// by the window-free steps of serial/open_port.
#include "ui/port_setup_dlg.h"

namespace r742 {

namespace {

std::string ParityWord(const std::string& letter) {
  if (letter == "N") return "NONE";
  if (letter == "O") return "ODD";
  if (letter == "E") return "EVEN";
  return {};
}

}  // namespace

void CPortSetupDlg::TakeWorkingSettings() {
  const LinkSettingsText defaults = m_preset.value_or(LinkSettingsText{});
  const bool fromCommandLine = m_nCmdLineCount == 8;
  m_szPort = fromCommandLine ? m_szCmdPort : defaults.port;
  m_szBaud = fromCommandLine ? m_szCmdBaud : defaults.baud;
  m_szParity = fromCommandLine ? m_szCmdParity : defaults.parity;
  m_szDataBits = fromCommandLine ? m_szCmdDataBits : defaults.dataBits;
  m_szStopBits = fromCommandLine ? m_szCmdStopBits : defaults.stopBits;
  m_nInQueue = kQueueBytes;
  m_nOutQueue = kQueueBytes;
}

std::unique_ptr<ISerialPort> CPortSetupDlg::OpenPort() {
  TakeWorkingSettings();
  m_strBaud = m_szBaud;
  if (const std::string word = ParityWord(m_szParity); !word.empty()) m_strParity = word;
  m_strStopBits = m_szStopBits;
  if (m_preset) m_strPort = m_szPort;

  if (m_nCmdLineCount != 8) {
    if (DoModal() != kIdOk) {
      m_bOpenFailed = 1;
      return nullptr;
    }
    m_szPort = m_strPort;
    m_szParity = "N";
    m_szBaud = m_strBaud;
    m_szStopBits = m_strStopBits;
    if (m_strParity == "NONE") m_szParity = "N";
    if (m_strParity == "EVEN") m_szParity = "E";
    if (m_strParity == "ODD") m_szParity = "O";
  }

  m_bOpenFailed = 1;
  PortOpening opening =
      OpenConfiguredPort({m_szPort, m_szBaud, m_szParity, m_szDataBits, m_szStopBits}, m_nInQueue, m_nOutQueue);
  m_szCommDef = opening.commDef;
  m_szStep = opening.step;
  m_szPortLabel = opening.label;
  m_szDevice = opening.device;
  m_szReason = opening.reason;
  m_szRefusalHint = opening.refusalHint;
  if (opening.port) m_bOpenFailed = 0;
  return std::move(opening.port);
}

}  // namespace r742
