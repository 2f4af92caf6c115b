// A test dialog with one control of each kind, and a dialog that records
// what reaches it; both backends are tested with them.
#pragma once

#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "platform/dialog.h"

namespace r742::test {

enum : int { kButton = 10, kCheck, kLabel, kGroup, kEdit, kUpperEdit, kList, kLogList, kCombo, kProgress };

inline const DialogTemplate& TestTemplate() {
  using K = ControlKind;
  // clang-format off
  static const DialogTemplate t{
      900, "Test Window", 200, 150, "MS Sans Serif", 8, kDlgCaption | kDlgSysMenu | kDlgModalFrame,
      {{kIdOk, K::PushButton, "OK", {140, 7, 50, 14}, kTabStop, {}},
       {kButton, K::PushButton, "&Apply", {140, 41, 50, 14}, kTabStop, {}},
       {kCheck, K::CheckBox, "Check", {7, 7, 60, 10}, kTabStop, {}},
       {kLabel, K::Static, "&Value", {7, 20, 40, 10}, kCentre | kSunken, {}},
       {-1, K::Static, "Unnamed", {50, 20, 30, 8}, kStyleNone, {}},
       {kEdit, K::Edit, "start", {10, 62, 50, 12}, kBorder | kTabStop, {}},
       {kUpperEdit, K::Edit, "", {70, 62, 50, 12}, kUpperCase | kBorder, {}},
       {kGroup, K::GroupBox, "Group", {5, 52, 130, 40}, kStyleNone, {}},  // after what it frames
       {kList, K::ListBox, "", {7, 95, 60, 40}, kNotify | kVScroll, {}},
       {kLogList, K::ListBox, "", {70, 95, 60, 40}, kNotify | kNoSelection | kVScroll, {}},
       {kCombo, K::ComboBox, "", {140, 60, 50, 60}, kVScroll, {"Alpha", "Beta", "Gamma"}},
       {kProgress, K::ProgressBar, "", {7, 138, 186, 8}, kStyleNone, {}}}};
  // clang-format on
  return t;
}

class RecordingDialog : public CDialog {
 public:
  using Note = std::pair<int, Notify>;
  explicit RecordingDialog(const DialogTemplate& tmpl = TestTemplate()) : CDialog(tmpl) {
    for (const auto& c : tmpl.controls)
      if (c.id != -1 && c.id != kIdOk && c.id != kIdCancel)
        for (Notify code : {Notify::Clicked, Notify::Changed, Notify::SelChange, Notify::CloseUp})
          OnNotify(c.id, code, [this, id = c.id, code] {
            notes.emplace_back(id, code);
            if (onNote) onNote(id, code);
          });
  }
  std::vector<Note> notes;  // every notification but those of OK and Cancel
  std::function<void(int, Notify)> onNote;
  std::function<void()> onInit;
  std::function<void(unsigned)> onTimer;
  std::map<unsigned, int> ticks;
  std::vector<unsigned> sysCommands;
  bool cancelEnds = true;
  int cancels = 0, destroys = 0;

 protected:
  bool OnInitDialog() override { return onInit ? (onInit(), true) : true; }
  void OnCancel() override {
    ++cancels;
    if (cancelEnds) EndDialog(kIdCancel);
  }
  void OnTimer(unsigned id) override {
    ++ticks[id];
    if (onTimer) onTimer(id);
  }
  void OnSysCommand(unsigned commandId, long) override { sysCommands.push_back(commandId); }
  void OnDestroy() override { ++destroys; }
};

}  // namespace r742::test
