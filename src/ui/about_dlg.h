#pragma once

#include <string>

#include "platform/dialog.h"

namespace r742 {

// The About box: the program's icon, name and version, and an OK button.
class CAboutDlg : public CDialog {
 public:
  CAboutDlg();
};

// Our own help window: what each control does, the command line, the port names.
class CHelpDlg : public CDialog {
 public:
  CHelpDlg();

 protected:
  bool OnInitDialog() override;
};

// The text the help window shows.
std::string HelpText();

}  // namespace r742
