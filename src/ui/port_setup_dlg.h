// CPortSetupDlg: the Port Setup dialog, which also carries the working line
// settings and opens the port (OpenPort). One object serves one opening attempt.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/dialog.h"
#include "serial/open_port.h"

namespace r742 {

class CPortSetupDlg : public CDialog {
 public:
  CPortSetupDlg();
  ~CPortSetupDlg() override;

  // --- dialog side
  std::array<bool, kPortCount> m_bPortPresent{};
  int m_nCmdLineCount = 0;
  std::string m_strBaud;
  std::string m_strParity;  // "NONE", "ODD" or "EVEN"
  std::string m_strPort;
  std::string m_strStopBits;
  std::string m_strRefusals;  // the provider's word on ports there but not usable

  // --- opening. The command-line texts are kept whole: one longer than
  // kMaxSettingChars is refused by OpenPort, never cut.
  std::string m_szCmdPort, m_szCmdBaud, m_szCmdParity, m_szCmdDataBits, m_szCmdStopBits;
  // What the dialog opens on instead of COM1 38400 N 8 2 (a node found and used).
  std::optional<LinkSettingsText> m_preset;
  std::string m_szPort, m_szBaud, m_szParity, m_szDataBits, m_szStopBits;
  std::uint32_t m_nInQueue = kQueueBytes;
  std::uint32_t m_nOutQueue = kQueueBytes;
  std::string m_szCommDef;
  int m_bOpenFailed = 0;
  std::string m_szStep;         // the opening step in progress; empty until the first starts
  std::string m_szPortLabel;    // the port and its device, for the event log: "COM1 (/dev/ttyUSB0)"
  std::string m_szDevice;       // after an open: what the port name stands for
  std::string m_szReason;       // after a step failed: why, as the system says it
  std::string m_szRefusalHint;  // after "CreateFile" failed: what the user can do about it

  // Opens and configures the port: from the command line when m_nCmdLineCount
  // is 8, else after the dialog. Null on failure or Cancel; then m_bOpenFailed
  // is 1 and m_szStep names the step that failed (empty after Cancel).
  std::unique_ptr<ISerialPort> OpenPort();

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(bool save) override;

 private:
  void ShowDevice();  // the selected port's device, and the refusals
  void TakeWorkingSettings();
};

}  // namespace r742
