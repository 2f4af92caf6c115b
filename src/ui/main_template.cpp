#include "platform/window.h"
#include "ui/resource.h"
#include "ui/templates.h"

namespace r742 {

namespace {

using K = ControlKind;
constexpr unsigned kButton = kTabStop;
constexpr unsigned kValueEdit = kAutoHScroll | kBorder | kTabStop;
constexpr unsigned kSunkenCentre = kCentre | kSunken;

DialogTemplate BuildMain() {
  DialogTemplate t{.id = IDD_MAIN,
                   .caption = "R742 - Analogue Outputs",
                   .width = 432,
                   .height = 351,
                   .style = kDlgCaption | kDlgSysMenu | kDlgModalFrame | kDlgAppWindow,
                   .controls = {}};
  auto add = [&](int id, K kind, const char* text, DlgRect r, unsigned style = kStyleNone) {
    t.controls.push_back({id, kind, text, r, style, {}});
  };

  add(kIdCancel, K::PushButton, "Quit", {346, 17, 50, 14}, kButton);
  add(ID_HELP, K::PushButton, "&Help", {346, 33, 50, 14}, kButton);
  add(-1, K::Static, "Available Outputs", {23, 4, 56, 8});
  add(IDC_AVAILABLE_LIST, K::ListBox, "", {8, 17, 86, 194}, kNotify | kVScroll | kBorder | kTabStop);
  add(IDC_CHANNEL_LIST, K::ListBox, "", {159, 17, 174, 27}, kNotify | kBorder | kTabStop);

  const int nominalY[3] = {70, 121, 174};
  const int offsetY[3] = {85, 136, 189};
  for (int ch = 0; ch < 3; ++ch)
    add(NominalLabelId(ch), K::Static, "Nominal 5-200%", {166, nominalY[ch], 77, 11}, kVCentre);
  for (int ch = 0; ch < 3; ++ch)
    add(OffsetLabelId(ch), K::Static, "Zero Offset %", {166, offsetY[ch], 77, 11}, kVCentre);

  // Read-outs and their units stand on three rows per channel; CH1's column is one unit further right.
  const int rowY[3][3] = {{69, 79, 90}, {120, 130, 141}, {173, 183, 194}};
  for (int ch = 0; ch < 3; ++ch)
    for (int p = 0; p < 3; ++p) add(UnitId(ch, p), K::Static, "mA", {ch == 0 ? 319 : 318, rowY[ch][p], 11, 8});

  for (int ch = 0; ch < 3; ++ch) {
    add(NominalBoxId(ch), K::Edit, "", {249, nominalY[ch], 40, 12}, kValueEdit);
    add(OffsetBoxId(ch), K::Edit, "", {249, offsetY[ch], 40, 12}, kValueEdit);
  }

  const int groupY[3] = {59, 112, 165};
  const char* groupText[3] = {"CH1", "CH2", "CH3"};
  for (int ch = 0; ch < 3; ++ch) add(GroupId(ch), K::GroupBox, groupText[ch], {159, groupY[ch], 176, 45});

  for (int ch = 0; ch < 3; ++ch)
    for (int p = 0; p < 3; ++p) add(PointId(ch, p), K::Static, "", {ch == 0 ? 295 : 294, rowY[ch][p], 22, 8});

  add(IDC_STATUS_RIGHT, K::Static, "Static", {209, 339, 212, 10});
  add(IDC_ADD, K::PushButton, ">>", {101, 17, 50, 14}, kButton);
  add(IDC_REMOVE, K::PushButton, "<<", {101, 33, 50, 14}, kButton);
  add(IDC_CLEAR, K::PushButton, "Clear >>", {101, 49, 50, 14}, kButton);
  add(IDC_TITLE_TEXT, K::Static, "Static", {202, 6, 87, 8}, kCentre);
  add(IDC_SEND, K::PushButton, "Send", {102, 162, 50, 14}, kButton);
  add(IDC_READ, K::PushButton, "Read", {102, 179, 50, 14}, kButton);
  add(IDC_STATUS_LEFT, K::Static, "Static", {8, 339, 189, 10});
  add(IDC_RESPONSE_MS, K::Edit, "", {347, 193, 26, 12}, kValueEdit);
  add(-1, K::Static, "Response  (mS)", {347, 183, 54, 8});
  add(-1, K::Static, "Node #", {347, 147, 27, 8});
  add(IDC_RELEASE, K::PushButton, "Release", {102, 197, 50, 14}, kButton);
  add(IDC_LOG_LIST, K::ListBox, "", {8, 228, 414, 107}, kNotify | kVScroll | kNoSelection | kBorder | kTabStop);
  add(-1, K::Static, "System", {346, 69, 71, 10}, kSunkenCentre);
  add(IDC_SYS_VOLTS, K::Static, "", {346, 97, 48, 10}, kSunkenCentre);
  add(IDC_SYS_AMPS, K::Static, "", {346, 112, 48, 10}, kSunkenCentre);
  add(IDC_SYS_WATTS, K::Static, "", {346, 127, 48, 10}, kSunkenCentre);
  add(IDC_SYS_TYPE, K::Static, "", {346, 84, 71, 10}, kSunkenCentre);
  add(IDC_SYS_VOLTS_UNIT, K::Static, "V", {397, 97, 19, 10}, kSunkenCentre);
  add(IDC_SYS_AMPS_UNIT, K::Static, "A", {397, 112, 19, 10}, kSunkenCentre);
  add(IDC_SYS_WATTS_UNIT, K::Static, "W", {397, 127, 19, 10}, kSunkenCentre);
  add(-1, K::GroupBox, "", {338, 59, 84, 151});
  add(IDC_SHOW_MODBUS, K::CheckBox, "Modbus", {9, 215, 41, 10}, kTabStop);
  add(IDC_LIMIT_LENGTH, K::CheckBox, "Limit String Length", {54, 215, 74, 10}, kTabStop);
  add(IDC_FLOAT_ORDER, K::ComboBox, "", {159, 213, 124, 68}, kVScroll | kTabStop);
  t.controls.back().items.assign(std::begin(kFloatOrderNames), std::end(kFloatOrderNames));
  add(IDC_NODE, K::Edit, "", {347, 158, 26, 12}, kValueEdit);
  return t;
}

DialogTemplate BuildAbout() {
  return {.id = IDD_ABOUTBOX,
          .caption = "About R742 Analogue Outputs",
          .width = 250,
          .height = 55,
          .controls = {
              {IDC_ABOUT_ICON, K::Static, "", {11, 17, 20, 20}, kIconImage, {}},
              {IDC_ABOUT_TEXT, K::Static, "R742 Analogue Outputs Version 3.001", {40, 10, 160, 8}, kStyleNone, {}},
              {kIdOk, K::PushButton, "OK", {208, 7, 32, 14}, kTabStop, {}},
          }};
}

}  // namespace

const DialogTemplate& MainDialogTemplate() {
  static const DialogTemplate t = BuildMain();
  return t;
}

const DialogTemplate& AboutDialogTemplate() {
  static const DialogTemplate t = BuildAbout();
  return t;
}

}  // namespace r742
