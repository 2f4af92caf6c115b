// CFindNodeDlg: scans the chosen ports for nodes beside the window's loop (the
// scan runs on threads of its own; a timer shows how far it got) and lets the
// engineer choose one found node to use.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "platform/dialog.h"
#include "site/scan.h"
#include "site/scan_session.h"

namespace r742 {

class SiteClock;

inline constexpr unsigned TIMER_SCAN = 3;
inline constexpr unsigned kScanShowMs = 100;

class CFindNodeDlg : public CDialog {
 public:
  explicit CFindNodeDlg(SiteClock& clock);
  ~CFindNodeDlg() override;

  // After "Use": the node chosen.
  std::optional<FoundNode> m_chosen;

  void OnStart();
  void OnStop() { m_session.Stop(); }

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void OnTimer(unsigned timerId) override;

 private:
  void ShowScan();
  void EnableSettings(bool on);

  SiteClock& m_clock;
  ScanSession m_session;
  std::vector<FoundNode> m_found;  // as listed
  std::array<bool, 9> m_portFree{};
};

// "COM1  38400 N 8 2  node 1  order 2  3ph 4Wire 230.0 V": a found node's row.
std::string FoundNodeRow(const FoundNode& found);

}  // namespace r742
