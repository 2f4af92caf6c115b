#include <algorithm>

#include "platform/list_rules.h"
#include "support/headless_platform.h"

namespace r742 {

HeadlessWindow::HeadlessWindow(HeadlessPlatform& platform, CDialog& dialog) : platform_(platform), dialog_(dialog) {
  const DialogTemplate& tmpl = dialog.Template();
  Control caption;
  caption.kind = ControlKind::Static;
  caption.style = tmpl.style;
  caption.text = tmpl.caption;
  controls_[0] = caption;
  for (const auto& c : tmpl.controls) {
    if (c.id == -1) continue;  // unnamed statics cannot be addressed
    Control control;
    control.kind = c.kind;
    control.style = c.style;
    if (c.kind == ControlKind::ComboBox)
      control.rows = c.items;
    else
      control.text = c.text;
    controls_[c.id] = std::move(control);
  }
}

HeadlessWindow::~HeadlessWindow() = default;

HeadlessWindow::Control* HeadlessWindow::Find(int id) {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : &it->second;
}
const HeadlessWindow::Control* HeadlessWindow::Find(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : &it->second;
}
bool HeadlessWindow::IsList(const Control* c) const {
  return c && (c->kind == ControlKind::ListBox || c->kind == ControlKind::ComboBox);
}

std::string HeadlessWindow::GetText(int id) const {
  const Control* c = Find(id);
  if (!c) return {};
  if (c->kind == ControlKind::ComboBox) return GetRowText(id, c->curSel);
  return c->text;
}

void HeadlessWindow::SetText(int id, std::string_view text) {
  Control* c = Find(id);
  if (!c || c->kind == ControlKind::ListBox || c->kind == ControlKind::ComboBox) return;
  c->text = std::string(text);
  if (c->kind == ControlKind::Edit && !destroyed_) dialog_.Dispatch(id, Notify::Changed);
}

void HeadlessWindow::Enable(int id, bool enabled) {
  if (Control* c = Find(id)) c->enabled = enabled;
}
bool HeadlessWindow::IsEnabled(int id) const {
  const Control* c = Find(id);
  return c && c->enabled;
}
bool HeadlessWindow::Exists(int id) const { return Find(id) != nullptr; }
int HeadlessWindow::GetCheck(int id) const {
  const Control* c = Find(id);
  return c ? c->check : 0;
}
void HeadlessWindow::SetCheck(int id, int state) {
  if (Control* c = Find(id)) c->check = state;
}

void HeadlessWindow::ResetContent(int id) {
  Control* c = Find(id);
  if (!IsList(c)) return;
  c->rows.clear();
  c->curSel = kLbErr;
}

int HeadlessWindow::AddString(int id, std::string_view text) {
  Control* c = Find(id);
  if (!IsList(c)) return kLbErr;
  c->rows.emplace_back(text);
  return static_cast<int>(c->rows.size()) - 1;
}

int HeadlessWindow::InsertString(int id, int row, std::string_view text) {
  Control* c = Find(id);
  if (!IsList(c)) return kLbErr;
  const int count = static_cast<int>(c->rows.size());
  if (row == -1) row = count;
  if (row < 0 || row > count) return kLbErr;
  c->rows.insert(c->rows.begin() + row, std::string(text));
  c->curSel = SelectionAfterInsert(c->curSel, row);
  return row;
}

int HeadlessWindow::DeleteString(int id, int row) {
  Control* c = Find(id);
  if (!IsList(c) || row < 0 || row >= static_cast<int>(c->rows.size())) return kLbErr;
  c->rows.erase(c->rows.begin() + row);
  c->curSel = SelectionAfterDelete(c->curSel, row);
  return static_cast<int>(c->rows.size());
}

int HeadlessWindow::GetCount(int id) const {
  const Control* c = Find(id);
  return IsList(c) ? static_cast<int>(c->rows.size()) : kLbErr;
}

std::string HeadlessWindow::GetRowText(int id, int row) const {
  const Control* c = Find(id);
  if (!IsList(c) || row < 0 || row >= static_cast<int>(c->rows.size())) return {};
  return c->rows[static_cast<std::size_t>(row)];
}

int HeadlessWindow::GetCurSel(int id) const {
  const Control* c = Find(id);
  return IsList(c) ? c->curSel : kLbErr;
}

int HeadlessWindow::SetCurSel(int id, int row) {
  Control* c = Find(id);
  if (!IsList(c)) return kLbErr;
  if (row < 0 || row >= static_cast<int>(c->rows.size())) {
    c->curSel = kLbErr;
    return kLbErr;
  }
  c->curSel = row;
  return row;
}

int HeadlessWindow::FindStringPrefix(int id, int start, std::string_view prefix) const {
  const Control* c = Find(id);
  if (!IsList(c)) return kLbErr;
  return FindPrefixRow(static_cast<int>(c->rows.size()), start, prefix,
                       [&](int row) { return c->rows[static_cast<std::size_t>(row)]; });
}

unsigned HeadlessWindow::SetTimer(unsigned timerId, unsigned periodMs) {
  if (destroyed_ || timerId == 0) return 0;
  auto& timers = platform_.timers_;
  timers.erase(
      std::remove_if(timers.begin(), timers.end(), [&](const auto& t) { return t.window == this && t.id == timerId; }),
      timers.end());
  // A period of 0 ticks as soon as possible, like the platform's minimum.
  const unsigned period = std::max(periodMs, 1u);
  timers.push_back({this, timerId, period, platform_.now_ + period, ++platform_.order_});
  return timerId;
}

bool HeadlessWindow::KillTimer(unsigned timerId) {
  auto& timers = platform_.timers_;
  const auto before = timers.size();
  timers.erase(
      std::remove_if(timers.begin(), timers.end(), [&](const auto& t) { return t.window == this && t.id == timerId; }),
      timers.end());
  return timers.size() != before;
}

int HeadlessWindow::MessageBox(std::string_view text, std::string_view caption, unsigned flags) {
  platform_.messageBoxes_.push_back({std::string(text), std::string(caption), flags});
  return kIdOk;  // the program's message boxes have only OK
}

void HeadlessWindow::AppendSystemMenu(unsigned commandId, std::string_view text) {
  systemMenu_.push_back({0, {}});
  systemMenu_.push_back({commandId, std::string(text)});
}

bool HeadlessWindow::HasSystemMenu() const { return (dialog_.Template().style & kDlgSysMenu) != 0; }

void HeadlessWindow::EndDialog(int result) {
  if (ended_) return;
  ended_ = true;
  result_ = result;
}

bool HeadlessWindow::Click(int id) {
  Control* c = Find(id);
  if (!Live() || !c || !c->enabled) return false;
  if (c->kind == ControlKind::CheckBox)
    c->check = c->check ? 0 : 1;
  else if (c->kind != ControlKind::PushButton)
    return false;
  dialog_.Dispatch(id, Notify::Clicked);
  AfterUserEvent();
  return true;
}

bool HeadlessWindow::Type(int id, std::string_view text) {
  Control* c = Find(id);
  if (!Live() || !c || !c->enabled || c->kind != ControlKind::Edit) return false;
  c->text = std::string(text);
  if (c->style & kUpperCase)
    std::transform(c->text.begin(), c->text.end(), c->text.begin(),
                   [](char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch; });
  dialog_.Dispatch(id, Notify::Changed);
  AfterUserEvent();
  return true;
}

bool HeadlessWindow::SelectRow(int id, int row) {
  Control* c = Find(id);
  if (!Live() || !IsList(c) || !c->enabled) return false;
  if (c->kind == ControlKind::ListBox && (c->style & kNoSelection)) return false;
  if (row < 0 || row >= static_cast<int>(c->rows.size())) return false;
  c->curSel = row;
  if (c->kind == ControlKind::ComboBox) {
    dialog_.Dispatch(id, Notify::SelChange);
    dialog_.Dispatch(id, Notify::CloseUp);
  } else if (c->style & kNotify) {
    dialog_.Dispatch(id, Notify::SelChange);
  }
  AfterUserEvent();
  return true;
}

bool HeadlessWindow::ChooseSystemMenu(unsigned commandId) {
  if (!Live() || commandId == 0) return false;
  const bool present =
      std::any_of(systemMenu_.begin(), systemMenu_.end(), [&](const MenuEntry& e) { return e.commandId == commandId; });
  if (!present) return false;
  dialog_.DispatchSysCommand(commandId);
  AfterUserEvent();
  return true;
}

void HeadlessWindow::PressEscape() {
  if (!Live()) return;
  dialog_.DispatchCancel();
  AfterUserEvent();
}

void HeadlessWindow::PressEnter() {
  if (!Live()) return;
  dialog_.DispatchOk();
  AfterUserEvent();
}

std::vector<std::string> HeadlessWindow::Rows(int id) const {
  const Control* c = Find(id);
  return IsList(c) ? c->rows : std::vector<std::string>{};
}

void HeadlessWindow::AfterUserEvent() { platform_.ReapEnded(); }

}  // namespace r742
