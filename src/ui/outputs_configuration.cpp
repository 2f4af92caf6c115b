// The window's channels, scaling, line settings, node and byte order as a
// configuration file holds them, and a configuration shown as a Read shows
// what it read from a node.
#include "model/param_catalogue.h"
#include "model/scaling.h"
#include "model/value_reader.h"
#include "site/site_clock.h"
#include "site/site_config.h"
#include "ui/find_node_dlg.h"
#include "ui/outputs_dlg.h"
#include "ui/resource.h"

namespace r742 {

SiteConfig COutputsDlg::ConfigurationShown() const {
  SiteConfig config;
  for (std::size_t ch = 0; ch < 3; ++ch)
    config.channels[ch] = {GetParamName(m_nParamCode[ch]), m_fNominal[ch], m_fZeroOffset[ch]};
  config.line = m_lineInUse;
  const float node = ReadValueText(GetDlgItem(IDC_NODE).GetWindowText(kNodeChars));
  if (node >= 1.0f && node <= 255.0f && node == static_cast<float>(static_cast<int>(node)))
    config.node = static_cast<unsigned>(node);
  config.order = m_nFloatOrder;
  return config;
}

void COutputsDlg::ShowConfiguration(const SiteConfig& config) {
  OutputSettings settings;
  for (std::size_t ch = 0; ch < 3; ++ch) {
    const ChannelConfig& c = config.channels[ch];
    const int code = GetParamCode(c.parameter);
    settings[ch].code = static_cast<float>(code);
    settings[ch].nominal = c.nominal;
    settings[ch].zeroOffset = c.zeroOffset;
    if (code == kFrequencyCode) {
      // As a node holds a frequency channel, so that it reads back as a Read shows it.
      settings[ch].nominal = r742::FrequencyToNode(c.nominal, c.zeroOffset, 0);
      settings[ch].zeroOffset = r742::FrequencyToNode(c.nominal, c.zeroOffset, 1);
    }
  }
  ApplyOutputSettings(settings);
  if (config.node) SetText(IDC_NODE, std::to_string(*config.node));
  if (config.order) {
    m_nFloatOrder = static_cast<std::uint8_t>(*config.order);
    GetDlgItem(IDC_FLOAT_ORDER).SetCurSel(m_nFloatOrder);
  }
  if (config.line.port || config.line.baud || config.line.parity || config.line.stopBits) m_lineInUse = config.line;
}

namespace {

constexpr const char* kConfigCaption = "R742 Analogue Outputs";

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

void COutputsDlg::ShowConfigurationFault(const std::string& text) {
  // cppcheck-suppress badBitmaskCheck ; kMbOk is 0 and named for the reader, as in every message box call
  MessageBox(text, kConfigCaption, kMbOk | kMbIconExclamation);
}

void COutputsDlg::OnFindNode() {
  CFindNodeDlg find(m_pScanClock != nullptr ? *m_pScanClock : SteadySiteClock());
  if (find.DoModal() != kIdOk || !find.m_chosen) return;
  const FoundNode& f = *find.m_chosen;
  // The next Read opens the port anew with the node's settings.
  if (IsPortOpen()) ClosePort();
  m_lineInUse = {f.port, f.setting.baud, f.setting.parity, f.setting.stopBits};
  SetText(IDC_NODE, std::to_string(f.node));
  if (f.orders.size() == 1) {
    m_nFloatOrder = static_cast<std::uint8_t>(f.orders[0]);
    GetDlgItem(IDC_FLOAT_ORDER).SetCurSel(m_nFloatOrder);
  }
  AddLogLine("Node " + std::to_string(f.node) + " on " + f.port + " " + std::to_string(f.setting.baud) + " " +
                 f.setting.parity + " 8 " + std::to_string(f.setting.stopBits) + " chosen",
             1);
}

void COutputsDlg::OnOpenConfiguration() {
  const std::optional<std::string> path = Window()->AskFilePath(FileDialogKind::Open, m_strConfigFolder, "");
  if (!path) return;
  m_strConfigFolder = FolderOf(*path);
  std::string error;
  const std::optional<SiteConfig> config = LoadSiteConfig(*path, error);
  if (!config) {
    ShowConfigurationFault("The configuration was not opened:\n" + error);
    return;
  }
  if (IsPortOpen() && config->line.port) ClosePort();
  ShowConfiguration(*config);
  AddLogLine("Configuration opened from " + *path, 1);
}

void COutputsDlg::OnSaveConfiguration() {
  const std::optional<std::string> path =
      Window()->AskFilePath(FileDialogKind::Save, m_strConfigFolder, "configuration.json");
  if (!path) return;
  m_strConfigFolder = FolderOf(*path);
  std::string error;
  if (!SaveSiteConfig(*path, ConfigurationShown(), error)) {
    ShowConfigurationFault("The configuration was not saved:\n" + error);
    return;
  }
  AddLogLine("Configuration saved to " + *path, 1);
}

}  // namespace r742
