#include "platform/window.h"
#include "ui/resource.h"
#include "ui/templates.h"

namespace r742 {

namespace {

DialogTemplate BuildPortSetup(bool deviceLine) {
  using K = ControlKind;
  constexpr unsigned kPickList = kVScroll | kTabStop;
  DialogTemplate t{.id = IDD_PORT_SETUP,
                   .caption = "Port Setup",
                   .width = 172,
                   .height = 95,
                   .controls = {
                       {kIdCancel, K::PushButton, "Cancel", {90, 39, 65, 14}, kTabStop, {}},
                       {kIdOk, K::PushButton, "OK", {90, 18, 64, 14}, kTabStop, {}},
                       {IDC_BAUD,
                        K::ComboBox,
                        "",
                        {9, 46, 64, 54},
                        kPickList,
                        {"115200", "57600", "38400", "19200", "9600", "4800"}},
                       {-1, K::Static, "Baud Rate", {9, 34, 63, 8}, kCentre, {}},
                       {IDC_PARITY, K::ComboBox, "", {9, 71, 64, 56}, kPickList | kUpperCase, {"NONE", "ODD", "EVEN"}},
                       {-1, K::Static, "Parity", {9, 60, 63, 8}, kCentre, {}},
                       {IDC_PORT, K::ComboBox, "", {9, 20, 64, 43}, kPickList | kUpperCase, {"COM1", "COM2"}},
                       {-1, K::Static, "Port", {9, 10, 64, 8}, kCentre, {}},
                       {IDC_STOP_BITS, K::ComboBox, "", {90, 70, 65, 40}, kPickList | kUpperCase, {"1", "2"}},
                       {-1, K::Static, "Stop Bits", {89, 59, 64, 8}, kCentre, {}},
                   }};
  if (deviceLine) {
    t.height = 128;
    t.controls.push_back({IDC_PORT_DEVICE, K::Static, "", {9, 89, 154, 34}, kMultiLine, {}});
  }
  return t;
}

}  // namespace

const DialogTemplate& PortSetupDialogTemplate(bool deviceLine) {
  static const DialogTemplate withLine = BuildPortSetup(true), plain = BuildPortSetup(false);
  return deviceLine ? withLine : plain;
}

}  // namespace r742
