#include "app/outputs_app.h"

#include "app/command_line.h"
#include "ui/outputs_dlg.h"

namespace r742 {

static_assert(kMaxTokens == kTokenSlots, "the window stores every token the command line keeps");

void LoadCommandLine(COutputsDlg& dlg, const std::string& commandLine) {
  dlg.m_strCmdLine = commandLine;
  CommandLineTokens split = TokenizeCommandLine(std::move(dlg.m_strCmdLine));
  dlg.m_strCmdLine.clear();  // consumed by the tokenising
  dlg.m_strToken = std::move(split.tokens);
  dlg.m_nTokenCount = split.count;
}

bool COutputsApp::InitInstance(const std::string& commandLine) {
  COutputsDlg dlg;
  LoadCommandLine(dlg, commandLine);
  dlg.DoModal();
  return false;
}

}  // namespace r742
