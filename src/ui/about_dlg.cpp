#include "ui/about_dlg.h"

#include "serial/serial_port.h"
#include "ui/resource.h"
#include "ui/templates.h"

namespace r742 {

CAboutDlg::CAboutDlg() : CDialog(AboutDialogTemplate()) {}

CHelpDlg::CHelpDlg() : CDialog(HelpDialogTemplate()) {}

bool CHelpDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  GetDlgItem(IDC_HELP_TEXT).SetWindowText(HelpText());
  return true;
}

const DialogTemplate& HelpDialogTemplate() {
  static const DialogTemplate t{.id = IDD_HELP,
                                .caption = "R742 Analogue Outputs - Help",
                                .width = 320,
                                .height = 314,
                                .controls = {
                                    {IDC_HELP_TEXT, ControlKind::Static, "", {7, 7, 306, 280}, kMultiLine, {}},
                                    {kIdOk, ControlKind::PushButton, "OK", {263, 293, 50, 14}, kTabStop, {}},
                                }};
  return t;
}

std::string HelpText() {
  return std::string(
             "Available Outputs: the measured parameters a channel can carry.\n"
             ">> assigns the selected parameter to the next channel (in front of a clicked channel row), "
             "<< removes the clicked or last channel row, Clear >> removes all. Row 1 is CH1, row 2 CH2, row 3 CH3.\n"
             "Nominal 5-200% and Zero Offset %: the output at full and at zero input, in per cent of the "
             "channel's full scale (for Hz: Centre Frequency Hz and Span +/- Hz). Values outside the limits "
             "are corrected silently. Beside each channel: the output at +100 %, 0 and -100 % input.\n"
             "Read gets the node's settings, Send writes the channels to the node and reads them back, "
             "Release clears the node's pass code and closes the port. Quit stops any operation and "
             "closes the port.\n"
             "Node #: the node's Modbus address (1 to 255). Response (mS): the wait for each reply, "
             "at least 300. The float order must match the node's.\n"
             "Modbus: show every request and reply as hexadecimal bytes in the log and append them to "
             "kesTestLog.txt in the working folder. Limit String Length: shorten long lines in the log.\n"
             "\n"
             "Command line: exactly eight tokens, separated by blanks, commas or semicolons, take the "
             "link from the command line and start a Read at once:\n"
             "  port baud parity data-bits stop-bits node response-ms float-order\n"
             "  for example: r742-outputs COM1,38400,N,8,2,1,300,2\n"
             "Float order: 0 Big Endian, 1 Little Endian, 2 Big Endian (Word Swap), "
             "3 Little Endian (Word Swap).\n"
             "\n"
             "Window menu (right-click the window, or its system menu): Find Node... (Ctrl+F) scans the free "
             "ports for nodes and sets the port, line settings, Node # and float order of the one you Use. "
             "Open Configuration... (Ctrl+O) fills the channels and scaling from a file, as a Read would, "
             "sending nothing; Save Configuration... (Ctrl+S) writes what the window shows to a file "
             "(the command line r742 reads and sends the same files).\n"
             "\n") +
         PortNamesHelpText();
}

}  // namespace r742
