// The event log list of the main window.
#include "log/log_rows.h"
#include "log/log_time.h"
#include "ui/outputs_dlg.h"
#include "ui/resource.h"

namespace r742 {

void COutputsDlg::AddLogLine(std::string_view text, std::uint8_t timestamp) {
  const CLogTime now;
  const CDlgItem log = GetDlgItem(IDC_LOG_LIST);
  std::string start;
  if (timestamp == 1) {
    // The date heads the log once, above its first time-stamped line.
    if (log.GetCount() == 0) log.AddString(now.DateRow());
    start = now.Time() + " ";
  }
  for (const std::string& row : SplitLogRows(start, text)) log.AddString(row);
  log.SetCurSel(log.GetCount() - 1);
}

}  // namespace r742
