#include <algorithm>

#include "platform/list_rules.h"
#include "support/headless_platform.h"

namespace r742 {

HeadlessWindow::HeadlessWindow(HeadlessPlatform& platform, CDialog& dialog) : platform_(platform), dialog_(dialog) {
  const DialogTemplate& tmpl = dialog.Template();
  controls_[0] = {ControlKind::Static, tmpl.style, tmpl.caption, true, 0, {}};
  for (const auto& c : tmpl.controls) {  // unnamed statics cannot be addressed
    const bool combo = c.kind == ControlKind::ComboBox;
    if (c.id != -1)
      controls_[c.id] = {c.kind, c.style, combo ? "" : c.text, true, 0, combo ? c.items : std::vector<std::string>{}};
  }
}

const HeadlessWindow::Control* HeadlessWindow::Find(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : &it->second;
}
const HeadlessWindow::Control* HeadlessWindow::FindList(int id) const {
  const Control* c = Find(id);
  return c && (c->kind == ControlKind::ListBox || c->kind == ControlKind::ComboBox) ? c : nullptr;
}

std::string HeadlessWindow::GetText(int id) const {
  const Control* c = Find(id);
  return !c ? "" : c->kind == ControlKind::ComboBox ? GetRowText(id, c->curSel) : c->text;
}

void HeadlessWindow::SetText(int id, std::string_view text) {
  Control* c = Find(id);
  if (!c || FindList(id)) return;
  c->text = std::string(text);
  if (c->kind == ControlKind::Edit && !destroyed_) dialog_.Dispatch(id, Notify::Changed);
}

void HeadlessWindow::ResetContent(int id) {
  if (Control* c = FindList(id)) c->rows.clear(), c->curSel = kLbErr;
}

int HeadlessWindow::InsertString(int id, int row, std::string_view text) {
  Control* c = FindList(id);
  if (!c) return kLbErr;
  const int count = static_cast<int>(c->rows.size());
  if (row == -1) row = count;
  if (row < 0 || row > count) return kLbErr;
  c->rows.insert(c->rows.begin() + row, std::string(text));
  c->curSel = SelectionAfterInsert(c->curSel, row);
  return row;
}

int HeadlessWindow::DeleteString(int id, int row) {
  Control* c = FindList(id);
  if (!c || row < 0 || row >= static_cast<int>(c->rows.size())) return kLbErr;
  c->rows.erase(c->rows.begin() + row);
  c->curSel = SelectionAfterDelete(c->curSel, row);
  return static_cast<int>(c->rows.size());
}

int HeadlessWindow::GetCount(int id) const {
  return FindList(id) ? static_cast<int>(FindList(id)->rows.size()) : kLbErr;
}

std::string HeadlessWindow::GetRowText(int id, int row) const {
  const Control* c = FindList(id);
  return c && row >= 0 && row < static_cast<int>(c->rows.size()) ? c->rows[static_cast<std::size_t>(row)] : "";
}

int HeadlessWindow::SetCurSel(int id, int row) {  // out of range clears the selection
  Control* c = FindList(id);
  if (!c) return kLbErr;
  return c->curSel = row >= 0 && row < static_cast<int>(c->rows.size()) ? row : kLbErr;
}

int HeadlessWindow::FindStringPrefix(int id, int start, std::string_view prefix) const {
  const Control* c = FindList(id);
  if (!c) return kLbErr;
  return FindPrefixRow(static_cast<int>(c->rows.size()), start, prefix,
                       [&](int row) { return c->rows[static_cast<std::size_t>(row)]; });
}

unsigned HeadlessWindow::SetTimer(unsigned timerId, unsigned periodMs) {
  if (destroyed_ || timerId == 0) return 0;
  KillTimer(timerId);
  const unsigned period = std::max(periodMs, 1u);  // 0 ticks as soon as possible, like the platform's minimum
  platform_.timers_.push_back({this, timerId, period, platform_.now_ + period, ++platform_.order_});
  return timerId;
}

bool HeadlessWindow::KillTimer(unsigned timerId) {
  return std::erase_if(platform_.timers_, [&](const auto& t) { return t.window == this && t.id == timerId; }) != 0;
}

int HeadlessWindow::MessageBox(std::string_view text, std::string_view caption, unsigned flags) {
  platform_.messageBoxes_.push_back({std::string(text), std::string(caption), flags});
  return kIdOk;  // the program's message boxes have only OK
}

void HeadlessWindow::SetProgress(int id, int percent) {
  if (Control* c = Find(id); c && c->kind == ControlKind::ProgressBar) c->progress = std::clamp(percent, 0, 100);
}

int HeadlessWindow::GetProgress(int id) const {
  const Control* c = Find(id);
  return c && c->kind == ControlKind::ProgressBar ? c->progress : 0;
}

std::optional<std::string> HeadlessWindow::AskFilePath(FileDialogKind kind, std::string_view folder,
                                                       std::string_view fileName) {
  platform_.fileDialogs_.push_back({kind, std::string(folder), std::string(fileName)});
  if (platform_.quitRequested_ || platform_.fileAnswers_.empty()) return std::nullopt;
  const HeadlessPlatform::FileAnswer answer = std::move(platform_.fileAnswers_.front());
  platform_.fileAnswers_.erase(platform_.fileAnswers_.begin());
  ++platform_.fileDialogsOpen_;
  std::optional<std::string> path = answer();
  --platform_.fileDialogsOpen_;
  return platform_.quitRequested_ ? std::nullopt : path;  // a quit meanwhile closes the dialog
}

bool HeadlessWindow::Click(int id) {
  Control* c = Find(id);
  if (!Live() || !c || !c->enabled) return false;
  if (c->kind == ControlKind::CheckBox)
    c->check = c->check ? 0 : 1;
  else if (c->kind != ControlKind::PushButton)
    return false;
  return UserEvent([&] { dialog_.Dispatch(id, Notify::Clicked); });
}

bool HeadlessWindow::Type(int id, std::string_view text) {
  Control* c = Find(id);
  if (!Live() || !c || !c->enabled || c->kind != ControlKind::Edit) return false;
  c->text = std::string(text);
  if (c->style & kUpperCase)
    std::transform(c->text.begin(), c->text.end(), c->text.begin(),
                   [](char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch; });
  return UserEvent([&] { dialog_.Dispatch(id, Notify::Changed); });
}

bool HeadlessWindow::SelectRow(int id, int row) {
  Control* c = FindList(id);
  if (!Live() || !c || !c->enabled || row < 0 || row >= static_cast<int>(c->rows.size())) return false;
  const bool combo = c->kind == ControlKind::ComboBox;
  if (!combo && (c->style & kNoSelection)) return false;
  c->curSel = row;
  return UserEvent([&] {
    if (combo || (c->style & kNotify)) dialog_.Dispatch(id, Notify::SelChange);
    if (combo) dialog_.Dispatch(id, Notify::CloseUp);
  });
}

bool HeadlessWindow::ChooseSystemMenu(unsigned commandId) {
  if (!Live() || commandId == 0 || std::none_of(systemMenu_.begin(), systemMenu_.end(), [&](const MenuEntry& e) {
        return e.commandId == commandId;
      }))
    return false;
  return UserEvent([&] { dialog_.DispatchSysCommand(commandId); });
}

bool HeadlessWindow::PressShortcut(char key) {
  auto it = shortcuts_.find(key);
  if (!Live() || it == shortcuts_.end()) return false;
  return UserEvent([&] { dialog_.DispatchSysCommand(it->second); });
}

void HeadlessWindow::PressEscape() {
  if (Live()) UserEvent([&] { dialog_.DispatchCancel(); });
}
void HeadlessWindow::PressEnter() {
  if (Live()) UserEvent([&] { dialog_.DispatchOk(); });
}

// Destroys the window once its dialog has ended.
bool HeadlessWindow::UserEvent(const std::function<void()>& event) {
  event();
  platform_.ReapEnded();
  return true;
}

}  // namespace r742
