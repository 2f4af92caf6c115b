// Assigning measured parameters to the three channels.
#include "model/param_catalogue.h"
#include "ui/outputs_dlg.h"
#include "ui/resource.h"

namespace r742 {

namespace {
constexpr std::size_t kCaptionLimit = 63;
}

void COutputsDlg::OnAdd() {
  const CDlgItem channels = GetDlgItem(IDC_CHANNEL_LIST);
  const CDlgItem available = GetDlgItem(IDC_AVAILABLE_LIST);
  if (channels.GetCount() >= 3) {
    // cppcheck-suppress badBitmaskCheck ; kMbOk is 0 and named for the reader, as in every message box call
    MessageBox("List Full", "The list is full", kMbOk | kMbIconExclamation);
  } else if (const int sel = available.GetCurSel(); sel != kLbErr) {
    const std::string name = available.GetText(sel);
    const int chSel = channels.GetCurSel();
    if (chSel == kLbErr || chSel == channels.GetCount() - 1)
      channels.AddString(name);
    else
      channels.InsertString(chSel, name);
    // Repeated presses assign consecutive parameters; the last row keeps its selection.
    if (sel + 1 < available.GetCount()) available.SetCurSel(sel + 1);
  }
  RefreshChannels();
  UpdateReadouts();
}

void COutputsDlg::OnRemove() {
  const CDlgItem channels = GetDlgItem(IDC_CHANNEL_LIST);
  if (const int sel = channels.GetCurSel(); sel != kLbErr) channels.DeleteString(sel);
  RefreshChannels();
  UpdateReadouts();
}

void COutputsDlg::OnClear() {
  GetDlgItem(IDC_CHANNEL_LIST).ResetContent();
  RefreshChannels();
  UpdateReadouts();
}

void COutputsDlg::RefreshChannels() {
  m_nParamCode.fill(0);
  m_nPolarity.fill(0);
  const CDlgItem channels = GetDlgItem(IDC_CHANNEL_LIST);
  const char* prefix[3] = {"CH1-", "CH2-", "CH3-"};
  for (int ch = 0; ch < 3; ++ch) {
    std::string caption = prefix[ch];
    // Selecting each existing row in turn leaves the last row selected.
    if (ch < channels.GetCount()) {
      channels.SetCurSel(ch);
      const std::string name = channels.GetText(ch);
      caption += name;
      m_nParamCode[ch] = GetParamCode(name);
      m_nPolarity[ch] = GetParamPolarity(m_nParamCode[ch]);
    }
    if (caption.size() > kCaptionLimit) caption.resize(kCaptionLimit);
    SetText(GroupId(ch), caption);
  }
}

}  // namespace r742
