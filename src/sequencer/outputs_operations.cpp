// Read, Send and Release, and the link they run over.
#include "serial/serial_port.h"
#include "ui/outputs_dlg.h"
#include "ui/resource.h"

namespace r742 {

// The exchanges with the node are not wired up yet: the buttons do nothing.
void COutputsDlg::OnRead() {}
void COutputsDlg::OnSend() {}
void COutputsDlg::OnRelease() {}

void COutputsDlg::ClosePort() {
  m_hPort.reset();
  SetText(IDC_STATUS_LEFT, "No Port Open");
  m_nPortSetUp = -1;
  Enable(IDC_NODE, !IsOverrideMode());
  Enable(IDC_RESPONSE_MS, !IsOverrideMode());
}

}  // namespace r742
