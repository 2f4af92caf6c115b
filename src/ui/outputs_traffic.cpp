// The traffic lines of the event log and the appended log file.
#include "log/log_file.h"
#include "modbus/traffic_text.h"
#include "ui/outputs_dlg.h"
#include "ui/resource.h"

namespace r742 {

int COutputsDlg::FormatTraffic(const std::uint8_t* bytes, std::size_t length, int direction) {
  m_szTraffic = FormatTrafficLine(bytes, length, direction);
  return 1;
}

void COutputsDlg::PublishTraffic(TrafficRoute route) {
  if (m_bShowModbus == 0 || m_szTraffic.empty()) return;
  const bool filed = AppendLogFile(m_strLogFileName.c_str(), m_szTraffic) == 0;
  if (m_bLimitLength) LimitTrafficLine(m_szTraffic);
  if (route == TrafficRoute::Request)
    GetDlgItem(IDC_LOG_LIST).AddString(m_szTraffic);
  else
    AddLogLine(m_szTraffic, 0);
  m_szTraffic.clear();
  // Why the file missed a line is said once, and again only after a line reached it.
  if (filed) {
    m_bLogFileFaultSaid = false;
  } else if (!m_bLogFileFaultSaid) {
    m_bLogFileFaultSaid = true;
    AddLogLine(m_strLogFileName + " not written: " + m_strLogFileFault, 1);
  }
}

int COutputsDlg::AppendLogFile(const char* fileName, std::string_view text) {
  return AppendLineToFile(fileName, text, &m_strLogFileFault);
}

}  // namespace r742
