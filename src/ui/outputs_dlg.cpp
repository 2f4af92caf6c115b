#include "ui/outputs_dlg.h"

#include "model/param_catalogue.h"
#include "serial/serial_port.h"
#include "ui/about_dlg.h"
#include "ui/resource.h"
#include "ui/templates.h"

namespace r742 {

namespace {
constexpr const char* kAboutMenuText = "&About Kestrel...";  // string IDS_ABOUTBOX
}

COutputsDlg::COutputsDlg() : CDialog(MainDialogTemplate()) {
  OnNotify(IDC_ADD, Notify::Clicked, [this] { OnAdd(); });
  OnNotify(IDC_REMOVE, Notify::Clicked, [this] { OnRemove(); });
  OnNotify(IDC_CLEAR, Notify::Clicked, [this] { OnClear(); });
  OnNotify(IDC_SEND, Notify::Clicked, [this] { OnSend(); });
  OnNotify(IDC_READ, Notify::Clicked, [this] { OnRead(); });
  OnNotify(IDC_RELEASE, Notify::Clicked, [this] { OnRelease(); });
  OnNotify(IDC_CH1_NOMINAL, Notify::Changed, [this] { OnChangeCh1Nominal(); });
  OnNotify(IDC_CH2_NOMINAL, Notify::Changed, [this] { OnChangeCh2Nominal(); });
  OnNotify(IDC_CH3_NOMINAL, Notify::Changed, [this] { OnChangeCh3Nominal(); });
  OnNotify(IDC_CH1_OFFSET, Notify::Changed, [this] { OnChangeCh1Offset(); });
  OnNotify(IDC_CH2_OFFSET, Notify::Changed, [this] { OnChangeCh2Offset(); });
  OnNotify(IDC_CH3_OFFSET, Notify::Changed, [this] { OnChangeCh3Offset(); });
  OnNotify(IDC_SHOW_MODBUS, Notify::Clicked, [this] { OnShowModbus(); });
  OnNotify(IDC_LIMIT_LENGTH, Notify::Clicked, [this] { OnLimitLength(); });
  OnNotify(IDC_FLOAT_ORDER, Notify::EditChange, [this] { OnFloatOrderChange(); });
  OnNotify(IDC_FLOAT_ORDER, Notify::CloseUp, [this] { OnFloatOrderChange(); });
  OnNotify(IDC_FLOAT_ORDER, Notify::SelChange, [this] { OnFloatOrderChange(); });
  OnNotify(ID_HELP, Notify::Clicked, [this] { OnHelp(); });
}

COutputsDlg::~COutputsDlg() = default;

bool COutputsDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  if (Window()->HasSystemMenu()) {
    Window()->AppendSystemMenu(IDM_ABOUTBOX, kAboutMenuText);
    Window()->AppendSystemMenuSeparator();
    Window()->AppendSystemMenuEntry(IDM_FIND_NODE, "&Find Node...\tCtrl+F");
    Window()->AppendSystemMenuEntry(IDM_OPEN_CONFIG, "&Open Configuration...\tCtrl+O");
    Window()->AppendSystemMenuEntry(IDM_SAVE_CONFIG, "&Save Configuration...\tCtrl+S");
  }
  Window()->AddShortcut(IDM_FIND_NODE, 'F');
  Window()->AddShortcut(IDM_OPEN_CONFIG, 'O');
  Window()->AddShortcut(IDM_SAVE_CONFIG, 'S');

  m_bAwaitingReply = 1;
  m_nPortSetUp = -1;
  m_bLimitLength = 0;
  m_bShowModbus = 0;
  Enable(IDC_LIMIT_LENGTH, false);

  m_hPort.reset();
  SetText(IDC_STATUS_LEFT, "No Port Open");
  m_nState = 0;
  m_nResponseMs = 300;
  SetText(IDC_RESPONSE_MS, "300");
  SetText(IDC_NODE, "1");
  m_nNode = 1;

  m_szTraffic.clear();
  m_echo.Clear();

  EnableControls();

  m_nStepTimer = 0;
  m_nReadyTimer = 0;

  for (int ch = 0; ch < 3; ++ch) {
    m_fNominal[ch] = 100.0f;
    m_fZeroOffset[ch] = 0.0f;
    m_nPolarity[ch] = 0;
    m_fFullScale[ch] = 0.0f;
    m_nParamCode[ch] = 0;
    m_nOutputMode[ch] = 1;
  }

  // Each of these raises the box's change handler, which limits the value and redraws the read-outs.
  SetText(IDC_TITLE_TEXT, "Node No. 1");
  for (int ch = 0; ch < 3; ++ch) SetText(NominalBoxId(ch), "100");
  for (int ch = 0; ch < 3; ++ch) SetText(OffsetBoxId(ch), "0");

  for (int id : {IDC_SYS_TYPE, IDC_SYS_VOLTS, IDC_SYS_AMPS, IDC_SYS_WATTS}) SetText(id, "");
  SetText(IDC_SYS_VOLTS_UNIT, "V");
  SetText(IDC_SYS_AMPS_UNIT, "A");
  SetText(IDC_SYS_WATTS_UNIT, "W");

  GetDlgItem(IDC_LOG_LIST).ResetContent();
  const CDlgItem available = GetDlgItem(IDC_AVAILABLE_LIST);
  available.ResetContent();
  for (int code = 0; code < kParamCount; ++code) available.AddString(GetParamName(code));

  available.SetCurSel(0);
  GetDlgItem(IDC_CHANNEL_LIST).SetCurSel(0);

  SetText(IDC_STATUS_RIGHT, "Ready");
  m_nFloatOrder = 2;

  ReportCommandLine();
  if (IsOverrideMode()) OnRead();

  // After the override Read, so that a byte order given on the command line is shown.
  GetDlgItem(IDC_FLOAT_ORDER).SetCurSel(m_nFloatOrder);
  return true;
}

void COutputsDlg::CloseWindowCleanly(int result) {
  KillTimer(m_nStepTimer);
  KillTimer(m_nReadyTimer);
  m_nStepTimer = 0;
  m_nReadyTimer = 0;
  ClosePort();
  EndDialog(result);
}

void COutputsDlg::OnCancel() { CloseWindowCleanly(kIdCancel); }

// Enter in any control ends the window too, with the same clean-up as Quit.
void COutputsDlg::OnOK() { CloseWindowCleanly(kIdOk); }

void COutputsDlg::OnSysCommand(unsigned commandId, long /*param*/) {
  switch (commandId & SC_MASK) {
    case IDM_ABOUTBOX: {
      CAboutDlg about;
      about.DoModal();
      break;
    }
    // Like the other controls, not while an operation runs.
    case IDM_FIND_NODE:
      if (m_nStepTimer == 0) OnFindNode();
      break;
    case IDM_OPEN_CONFIG:
      if (m_nStepTimer == 0) OnOpenConfiguration();
      break;
    case IDM_SAVE_CONFIG:
      if (m_nStepTimer == 0) OnSaveConfiguration();
      break;
    default: break;
  }
}

void COutputsDlg::OnHelp() {
  CHelpDlg help;
  help.DoModal();
}

void COutputsDlg::DisableControls() {
  for (int id :
       {IDC_NODE, IDC_RESPONSE_MS, IDC_ADD, IDC_REMOVE, IDC_CLEAR, IDC_SEND, IDC_READ, IDC_RELEASE, IDC_CH1_NOMINAL,
        IDC_CH2_NOMINAL, IDC_CH3_NOMINAL, IDC_CH1_OFFSET, IDC_CH2_OFFSET, IDC_CH3_OFFSET, IDC_FLOAT_ORDER})
    Enable(id, false);
}

void COutputsDlg::EnableControls() {
  const bool linkBoxes = !IsPortOpen() && !IsOverrideMode();
  Enable(IDC_NODE, linkBoxes);
  Enable(IDC_RESPONSE_MS, linkBoxes);
  for (int id : {IDC_ADD, IDC_REMOVE, IDC_CLEAR, IDC_SEND, IDC_READ, IDC_RELEASE, IDC_CH1_NOMINAL, IDC_CH2_NOMINAL,
                 IDC_CH3_NOMINAL, IDC_CH1_OFFSET, IDC_CH2_OFFSET, IDC_CH3_OFFSET, IDC_FLOAT_ORDER})
    Enable(id, true);
}

void COutputsDlg::OnShowModbus() {
  const bool on = GetDlgItem(IDC_SHOW_MODBUS).GetCheck() != 0;
  Enable(IDC_LIMIT_LENGTH, on);
  m_bShowModbus = on ? 1 : 0;
}

void COutputsDlg::OnLimitLength() { m_bLimitLength = GetDlgItem(IDC_LIMIT_LENGTH).GetCheck() ? 1 : 0; }

void COutputsDlg::OnFloatOrderChange() {
  const int sel = GetDlgItem(IDC_FLOAT_ORDER).GetCurSel();
  if (sel >= 0 && sel <= 3) m_nFloatOrder = static_cast<std::uint8_t>(sel);
}

}  // namespace r742
