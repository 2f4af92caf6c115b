#include <string>

#include "platform/window.h"
#include "site/scan.h"
#include "ui/resource.h"
#include "ui/templates.h"

namespace r742 {

const DialogTemplate& FindNodeDialogTemplate() {
  static const DialogTemplate t = [] {
    using K = ControlKind;
    DialogTemplate d{.id = IDD_FIND_NODE, .caption = "Find Node", .width = 360, .height = 246, .controls = {}};
    const auto add = [&d](int id, K kind, std::string text, DlgRect r, unsigned style) {
      d.controls.push_back({id, kind, std::move(text), r, style, {}});
    };
    add(-1, K::GroupBox, "Ports", {7, 4, 346, 26}, kStyleNone);
    for (int i = 0; i < 9; ++i)
      add(IDC_FIND_PORT1 + i, K::CheckBox, "COM" + std::to_string(i + 1), {14 + 37 * i, 15, 36, 10}, kTabStop);
    add(-1, K::GroupBox, "Baud rates", {7, 34, 236, 26}, kStyleNone);
    for (int i = 0; i < 6; ++i)
      add(IDC_FIND_BAUD1 + i, K::CheckBox, std::to_string(kScanBaudRates[i]), {14 + 37 * i, 45, 36, 10}, kTabStop);
    add(-1, K::GroupBox, "Parity", {247, 34, 106, 26}, kStyleNone);
    const char* parities[] = {"None", "Even", "Odd"};
    for (int i = 0; i < 3; ++i)
      add(IDC_FIND_PARITY1 + i, K::CheckBox, parities[i], {254 + 33 * i, 45, 32, 10}, kTabStop);
    add(-1, K::Static, "Nodes", {9, 68, 24, 8}, kStyleNone);
    add(IDC_FIND_FIRST_NODE, K::Edit, "1", {36, 66, 24, 12}, kBorder | kTabStop);
    add(-1, K::Static, "to", {64, 68, 10, 8}, kStyleNone);
    add(IDC_FIND_LAST_NODE, K::Edit, "247", {76, 66, 24, 12}, kBorder | kTabStop);
    add(-1, K::Static, "Time-out ms", {112, 68, 42, 8}, kStyleNone);
    add(IDC_FIND_TIMEOUT, K::Edit, "50", {156, 66, 30, 12}, kBorder | kTabStop);
    add(IDC_FIND_START, K::PushButton, "&Start", {241, 65, 54, 14}, kTabStop);
    add(IDC_FIND_STOP, K::PushButton, "S&top", {299, 65, 54, 14}, kTabStop);
    add(IDC_FIND_PROGRESS, K::ProgressBar, "", {7, 86, 346, 10}, kStyleNone);
    add(IDC_FIND_STATUS, K::Static, "", {7, 100, 346, 8}, kStyleNone);
    add(IDC_FIND_LIST, K::ListBox, "", {7, 112, 346, 106}, kNotify | kVScroll | kBorder | kTabStop);
    add(kIdOk, K::PushButton, "&Use", {241, 225, 54, 14}, kTabStop);
    add(kIdCancel, K::PushButton, "Close", {299, 225, 54, 14}, kTabStop);
    return d;
  }();
  return t;
}

}  // namespace r742
