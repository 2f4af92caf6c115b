#include "ui/port_setup_dlg.h"

#include <vector>

#include "ui/resource.h"
#include "ui/templates.h"

namespace r742 {

namespace {

std::string PortName(int index) { return "COM" + std::to_string(index + 1); }

// Selects the first entry that begins with `text`, or none.
void SelectByPrefix(const CDlgItem& list, const std::string& text) { list.SetCurSel(list.FindString(-1, text)); }

}  // namespace

// The device line is left out where the machine says no more of a port than its name.
CPortSetupDlg::CPortSetupDlg() : CDialog(PortSetupDialogTemplate(CurrentPortProvider().DescribesPorts())) {
  OnNotify(IDC_PORT, Notify::SelChange, [this] { ShowDevice(); });
}
CPortSetupDlg::~CPortSetupDlg() = default;

void CPortSetupDlg::DoDataExchange(bool save) {
  const std::pair<int, std::string*> bindings[] = {
      {IDC_BAUD, &m_strBaud}, {IDC_PARITY, &m_strParity}, {IDC_PORT, &m_strPort}, {IDC_STOP_BITS, &m_strStopBits}};
  for (const auto& [id, member] : bindings) {
    const CDlgItem list = GetDlgItem(id);
    if (save)
      *member = list.GetCurSel() == kLbErr ? std::string() : list.GetText(list.GetCurSel());
    else
      SelectByPrefix(list, *member);
  }
}

bool CPortSetupDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_bPortPresent.fill(true);
  bool anyFound = false;
  m_nCmdLineCount = 0;
  std::vector<std::string> missing;
  // A port held by any program, this one included, counts as absent; every
  // probe handle is closed at once, so a second probe finds the same ports.
  for (int i = 0; i < kPortCount; ++i) {
    if (CurrentPortProvider().IsOffered(PortName(i))) {
      anyFound = true;
    } else {
      m_bPortPresent[i] = false;
      missing.push_back(PortName(i));
    }
  }
  m_strRefusals = CurrentPortProvider().RefusalHint(missing);
  const CDlgItem ports = GetDlgItem(IDC_PORT);
  ports.ResetContent();
  for (int i = 0; i < kPortCount; ++i)
    if (m_bPortPresent[i]) ports.AddString(PortName(i));
  if (anyFound) ports.SetCurSel(0);
  if (!m_strPort.empty() && ports.FindString(-1, m_strPort) != kLbErr) SelectByPrefix(ports, m_strPort);
  ShowDevice();
  return true;
}

void CPortSetupDlg::ShowDevice() {
  if (Template().Find(IDC_PORT_DEVICE) == nullptr) return;
  const CDlgItem ports = GetDlgItem(IDC_PORT);
  const int row = ports.GetCurSel();
  std::string text;
  if (row != kLbErr) {
    const std::string name = ports.GetText(row);
    text = CurrentPortProvider().Describe(name);
    if (text == name) text.clear();  // the list shows the name already
  } else if (m_strRefusals.empty()) {
    text = "No serial port found";
  }
  if (!m_strRefusals.empty()) text += (text.empty() ? "" : "\n") + m_strRefusals;
  GetDlgItem(IDC_PORT_DEVICE).SetWindowText(text);
}

}  // namespace r742
