// COutputsApp: starts the program, hands the command line to the main window
// as tokens and runs that window modally; its modal loop is the only loop.
#pragma once

#include <string>

namespace r742 {

class COutputsDlg;

class COutputsApp {
 public:
  // Always false once the main window has closed: there is no loop of the application's own.
  bool InitInstance(const std::string& commandLine);
};

// Splits the command line into the window's token members.
void LoadCommandLine(COutputsDlg& dlg, const std::string& commandLine);

}  // namespace r742
