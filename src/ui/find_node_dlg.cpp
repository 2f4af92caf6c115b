#include "ui/find_node_dlg.h"

#include "model/number_text.h"
#include "model/system_settings.h"
#include "model/value_reader.h"
#include "serial/serial_port.h"
#include "site/site_line.h"
#include "ui/resource.h"
#include "ui/templates.h"

namespace r742 {
namespace {

constexpr std::size_t kNumberChars = 9;
constexpr unsigned kLastNode = 247;

std::string PortName(int index) { return "COM" + std::to_string(index + 1); }

}  // namespace

std::string FoundNodeRow(const FoundNode& f) {
  std::string row = f.port + "  " + SettingText(f.setting) + "  node " + std::to_string(f.node);
  if (f.refused) return row + "  (refused the probe: byte order unknown)";
  if (f.orders.size() != 1) return row + "  byte order unknown";
  return row + "  order " + std::to_string(f.orders[0]) + "  " + std::string(WiringTypeName(f.wiringType)) + " " +
         FormatSystemMagnitude(f.volts) + " V";
}

CFindNodeDlg::CFindNodeDlg(SiteClock& clock) : CDialog(FindNodeDialogTemplate()), m_clock(clock) {
  OnNotify(IDC_FIND_START, Notify::Clicked, [this] { OnStart(); });
  OnNotify(IDC_FIND_STOP, Notify::Clicked, [this] { OnStop(); });
  OnNotify(IDC_FIND_LIST, Notify::DblClick, [this] { OnOK(); });
}

CFindNodeDlg::~CFindNodeDlg() = default;  // the session stops and closes its ports

bool CFindNodeDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // The free ports, all ticked; a port held by anyone cannot be scanned.
  for (int i = 0; i < kPortCount; ++i) {
    const bool free = m_portFree[i] = CurrentPortProvider().IsOffered(PortName(i));
    GetDlgItem(IDC_FIND_PORT1 + i).SetCheck(free ? 1 : 0);
    GetDlgItem(IDC_FIND_PORT1 + i).EnableWindow(free);
  }
  for (int i = 0; i < 6; ++i) GetDlgItem(IDC_FIND_BAUD1 + i).SetCheck(1);
  for (int i = 0; i < 3; ++i) GetDlgItem(IDC_FIND_PARITY1 + i).SetCheck(1);
  GetDlgItem(IDC_FIND_STOP).EnableWindow(false);
  GetDlgItem(kIdOk).EnableWindow(false);
  GetDlgItem(IDC_FIND_STATUS).SetWindowText("Choose what to scan, then Start");
  return true;
}

void CFindNodeDlg::EnableSettings(bool on) {
  for (int i = 0; i < kPortCount; ++i) GetDlgItem(IDC_FIND_PORT1 + i).EnableWindow(on && m_portFree[i]);
  for (int i = 0; i < 6; ++i) GetDlgItem(IDC_FIND_BAUD1 + i).EnableWindow(on);
  for (int i = 0; i < 3; ++i) GetDlgItem(IDC_FIND_PARITY1 + i).EnableWindow(on);
  for (int id : {IDC_FIND_FIRST_NODE, IDC_FIND_LAST_NODE, IDC_FIND_TIMEOUT, IDC_FIND_START})
    GetDlgItem(id).EnableWindow(on);
  GetDlgItem(IDC_FIND_STOP).EnableWindow(!on);
}

void CFindNodeDlg::OnStart() {
  const CDlgItem status = GetDlgItem(IDC_FIND_STATUS);
  std::vector<std::uint32_t> bauds;
  for (int i = 0; i < 6; ++i)
    if (GetDlgItem(IDC_FIND_BAUD1 + i).GetCheck()) bauds.push_back(kScanBaudRates[i]);
  std::string parities;
  for (int i = 0; i < 3; ++i)
    if (GetDlgItem(IDC_FIND_PARITY1 + i).GetCheck()) parities += kScanParities[i];
  const auto number = [this](int id) {
    return ReadWholeNumberText(GetDlgItem(id).GetWindowText(kNumberChars), kNumberChars);
  };
  const int first = number(IDC_FIND_FIRST_NODE), last = number(IDC_FIND_LAST_NODE), timeout = number(IDC_FIND_TIMEOUT);
  if (bauds.empty() || parities.empty()) return status.SetWindowText("Tick at least one baud rate and one parity");
  if (first < 1 || last > static_cast<int>(kLastNode) || first > last)
    return status.SetWindowText("Nodes: from 1 to 247, the first not above the last");
  if (timeout < 1 || timeout > 60000) return status.SetWindowText("Time-out: 1 to 60000 ms");

  ScanPlan plan;
  plan.settings = ScanSettings(bauds, parities, {});
  for (int n = first; n <= last; ++n) plan.nodes.push_back(static_cast<unsigned>(n));
  plan.timeoutMs = static_cast<std::uint32_t>(timeout);
  std::vector<ScanLine> lines;
  std::string refused;
  for (int i = 0; i < kPortCount; ++i) {
    if (!GetDlgItem(IDC_FIND_PORT1 + i).GetCheck()) continue;
    SiteLine line;
    line.port = PortName(i);
    PortOpening opening = OpenSiteLine(line);
    if (opening.port)
      lines.push_back({line.port, std::move(opening.port)});
    else
      refused += (refused.empty() ? "" : "; ") + opening.reason;
  }
  if (lines.empty()) return status.SetWindowText(refused.empty() ? "Tick at least one port" : refused);

  m_found.clear();
  GetDlgItem(IDC_FIND_LIST).ResetContent();
  GetDlgItem(kIdOk).EnableWindow(false);
  EnableSettings(false);
  m_session.Start(std::move(lines), plan, m_clock);
  SetTimer(TIMER_SCAN, kScanShowMs);
  ShowScan();
}

void CFindNodeDlg::OnTimer(unsigned timerId) {
  if (timerId == TIMER_SCAN) ShowScan();
}

void CFindNodeDlg::ShowScan() {
  const ScanSnapshot s = m_session.Snapshot();
  GetDlgItem(IDC_FIND_PROGRESS).SetPos(s.percent);
  const CDlgItem list = GetDlgItem(IDC_FIND_LIST);
  for (std::size_t i = m_found.size(); i < s.found.size(); ++i) {
    m_found.push_back(s.found[i]);
    list.AddString(FoundNodeRow(s.found[i]));
  }
  if (list.GetCurSel() == kLbErr && !m_found.empty()) list.SetCurSel(0);
  GetDlgItem(kIdOk).EnableWindow(!m_found.empty());
  std::string text;
  if (s.running) {
    text = std::to_string(s.percent) + " %  " + s.port + "  " + SettingText(s.setting) + "  node " +
           std::to_string(s.node) + "  found " + std::to_string(s.found.size());
  } else {
    KillTimer(TIMER_SCAN);
    m_session.Join();
    EnableSettings(true);
    text = (s.percent == 100 ? "Done: " : "Stopped: ") + std::to_string(s.found.size()) + " found";
    if (!s.failures.empty()) text += "; " + s.failures.front();
  }
  GetDlgItem(IDC_FIND_STATUS).SetWindowText(text);
}

void CFindNodeDlg::OnOK() {
  const int row = GetDlgItem(IDC_FIND_LIST).GetCurSel();
  if (row < 0 || static_cast<std::size_t>(row) >= m_found.size()) return;
  m_chosen = m_found[static_cast<std::size_t>(row)];
  m_session.Stop();
  m_session.Join();  // its ports closed before the window opens its own
  EndDialog(kIdOk);
}

void CFindNodeDlg::OnCancel() {
  m_session.Stop();
  m_session.Join();
  EndDialog(kIdCancel);
}

}  // namespace r742
