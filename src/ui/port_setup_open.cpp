// Opening and configuring the port with the working settings.
#include "platform/window.h"
#include "ui/port_setup_dlg.h"

namespace r742 {

namespace {

constexpr std::uint32_t kQueueBytes = 1000;
// A read returns once the line has been quiet for 20 ms after data started,
// or after 1 ms per byte asked for plus 1 ms.
constexpr CommTimeouts kReplyTimeouts{.readInterval = 20, .readTotalMultiplier = 1, .readTotalConstant = 1};

std::string ParityWord(const std::string& letter) {
  if (letter == "N") return "NONE";
  if (letter == "O") return "ODD";
  if (letter == "E") return "EVEN";
  return {};
}

}  // namespace

void CPortSetupDlg::TakeWorkingSettings() {
  if (m_nCmdLineCount == 8) {
    m_szPort = m_szCmdPort;
    m_szBaud = m_szCmdBaud;
    m_szParity = m_szCmdParity;
    m_szDataBits = m_szCmdDataBits;
    m_szStopBits = m_szCmdStopBits;
  } else {
    m_szPort = "COM1";
    m_szBaud = "38400";
    m_szParity = "N";
    m_szDataBits = "8";
    m_szStopBits = "2";
  }
  m_nInQueue = kQueueBytes;
  m_nOutQueue = kQueueBytes;
}

bool CPortSetupDlg::SettingsFitTheirFields() const {
  for (const std::string* s : {&m_szBaud, &m_szParity, &m_szDataBits, &m_szStopBits})
    if (s->size() > kMaxSettingChars) return false;
  return m_szCommDef.size() <= kMaxCommDefChars;
}

std::unique_ptr<ISerialPort> CPortSetupDlg::Fail() {
  m_hComm.reset();  // a handle opened by an earlier step is closed, not left behind
  return nullptr;
}

std::unique_ptr<ISerialPort> CPortSetupDlg::OpenPort() {
  TakeWorkingSettings();
  m_strBaud = m_szBaud;
  if (const std::string word = ParityWord(m_szParity); !word.empty()) m_strParity = word;
  m_strStopBits = m_szStopBits;

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

  m_szCommDef =
      m_szPort + ": baud=" + m_szBaud + " parity=" + m_szParity + " data=" + m_szDataBits + " stop=" + m_szStopBits;

  m_bOpenFailed = 1;
  m_szStep = "CreateFile";
  if (m_szPort.empty() || m_szPort.size() > kMaxSettingChars) return Fail();
  m_hComm = CurrentPortProvider().Open(m_szPort);
  if (!m_hComm) {
    m_szRefusalHint = CurrentPortProvider().RefusalHint({m_szPort});
    return Fail();
  }

  m_szStep = "Assign buffer space";
  if (!m_hComm->SetupComm(m_nInQueue, m_nOutQueue)) return Fail();

  m_szStep = "Port Functionality";
  if (!m_hComm->GetCommState(m_dcb)) return Fail();
  m_dcb.rtsToggle = true;
  m_dcb.abortOnError = true;
  if (!SettingsFitTheirFields() || !BuildCommDCB(m_szCommDef, m_dcb)) return Fail();

  m_szStep = "Setting Comm State";
  if (!m_hComm->SetCommState(m_dcb)) return Fail();

  if (!m_hComm->GetCommTimeouts(m_timeouts)) return Fail();
  m_timeouts.readInterval = kReplyTimeouts.readInterval;
  m_timeouts.readTotalMultiplier = kReplyTimeouts.readTotalMultiplier;
  m_timeouts.readTotalConstant = kReplyTimeouts.readTotalConstant;
  if (!m_hComm->SetCommTimeouts(m_timeouts)) return Fail();

  m_szDevice = CurrentPortProvider().Describe(m_szPort);
  m_bOpenFailed = 0;
  return std::move(m_hComm);
}

}  // namespace r742
