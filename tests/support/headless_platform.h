// The headless backend: controls held in memory, a virtual clock that fires
// timers in order when a test advances it, and scripted answers for nested
// modal dialogs and message boxes. Nothing here sleeps or needs a display.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialog.h"
#include "platform/platform.h"
#include "platform/window.h"

namespace r742 {

class HeadlessPlatform;

class HeadlessWindow final : public IWindow {
 public:
  HeadlessWindow(HeadlessPlatform& platform, CDialog& dialog);

  // --- IWindow
  std::string GetText(int id) const override;
  void SetText(int id, std::string_view text) override;
  void Enable(int id, bool enabled) override {
    if (Control* c = Find(id)) c->enabled = enabled;
  }
  bool IsEnabled(int id) const override { return Find(id) && Find(id)->enabled; }
  bool Exists(int id) const override { return Find(id) != nullptr; }
  int GetCheck(int id) const override { return Find(id) ? Find(id)->check : 0; }
  void SetCheck(int id, int state) override {
    if (Control* c = Find(id)) c->check = state;
  }
  void ResetContent(int id) override;
  int AddString(int id, std::string_view text) override { return InsertString(id, -1, text); }
  int InsertString(int id, int row, std::string_view text) override;
  int DeleteString(int id, int row) override;
  int GetCount(int id) const override;
  std::string GetRowText(int id, int row) const override;
  int GetCurSel(int id) const override { return FindList(id) ? FindList(id)->curSel : kLbErr; }
  int SetCurSel(int id, int row) override;
  int FindStringPrefix(int id, int start, std::string_view prefix) const override;
  unsigned SetTimer(unsigned timerId, unsigned periodMs) override;
  bool KillTimer(unsigned timerId) override;
  void SetProgress(int id, int percent) override;
  int GetProgress(int id) const override;
  int MessageBox(std::string_view text, std::string_view caption, unsigned flags) override;
  std::optional<std::string> AskFilePath(FileDialogKind kind, std::string_view folder,
                                         std::string_view fileName) override;
  void AppendSystemMenuSeparator() override { systemMenu_.push_back({0, {}}); }
  void AppendSystemMenuEntry(unsigned commandId, std::string_view text) override {
    systemMenu_.push_back({commandId, std::string(text)});
  }
  bool HasSystemMenu() const override { return (dialog_.Template().style & kDlgSysMenu) != 0; }
  void AddShortcut(unsigned commandId, char key) override {
    if (key >= 'A' && key <= 'Z') shortcuts_[key] = commandId;
  }
  void EndDialog(int result) override {
    if (!ended_) ended_ = true, result_ = result;
  }

  // --- what a user does; each returns false when the control cannot take it
  // (missing, disabled, wrong kind, window ended) and then nothing happens.
  bool Click(int id);
  bool Type(int id, std::string_view text);  // replaces the edit box's text, upper-cased in an upper-case box
  bool SelectRow(int id, int row);           // a click on a list or combo row
  bool ChooseSystemMenu(unsigned commandId);
  bool PressShortcut(char key);  // Ctrl+key
  void PressEscape();
  void PressEnter();

  // --- what a test reads
  CDialog& Dialog() { return dialog_; }
  std::vector<std::string> Rows(int id) const { return FindList(id) ? FindList(id)->rows : std::vector<std::string>{}; }
  struct MenuEntry {
    unsigned commandId;  // 0 for a separator
    std::string text;
  };
  const std::vector<MenuEntry>& SystemMenu() const { return systemMenu_; }
  bool Ended() const { return ended_; }
  bool Destroyed() const { return destroyed_; }

 private:
  friend class HeadlessPlatform;
  struct Control {
    ControlKind kind = ControlKind::Static;
    unsigned style = 0;
    std::string text;
    bool enabled = true;
    int check = 0;
    std::vector<std::string> rows;
    int curSel = kLbErr;
    int progress = 0;
  };
  const Control* Find(int id) const;
  const Control* FindList(int id) const;  // a list or combo box
  Control* Find(int id) { return const_cast<Control*>(std::as_const(*this).Find(id)); }
  Control* FindList(int id) { return const_cast<Control*>(std::as_const(*this).FindList(id)); }
  bool Live() const { return !ended_ && !destroyed_; }  // an ended window takes no more input
  bool UserEvent(const std::function<void()>& event);

  HeadlessPlatform& platform_;
  CDialog& dialog_;
  std::map<int, Control> controls_;
  std::vector<MenuEntry> systemMenu_;
  std::map<char, unsigned> shortcuts_;
  bool ended_ = false, destroyed_ = false;
  int result_ = 0;
};

struct MessageBoxRecord {
  std::string text, caption;
  unsigned flags;
};

struct FileDialogRecord {
  FileDialogKind kind;
  std::string folder, fileName;
};

class HeadlessPlatform final : public IPlatform {
 public:
  ~HeadlessPlatform() override;

  // Nested modal run: creates the window, runs OnInitDialog and then the
  // script queued for the template (if any); a run that is still open after
  // its script (or without a script) ends with kIdCancel.
  int RunModal(CDialog& dialog) override;
  // The nested runs end at once; the outermost window (the first opened that
  // is still live, else the outermost run) is cancelled at the next point
  // between handlers: a tick, a user event, or Advance.
  void RequestQuit() override;

  // Opens a dialog without blocking: the test drives it and the clock.
  HeadlessWindow& Open(CDialog& dialog);

  using ModalScript = std::function<void(HeadlessWindow&)>;
  void ScriptModal(int templateId, ModalScript script) { scripts_.emplace(templateId, std::move(script)); }

  // Virtual clock in milliseconds. Advance fires every due timer in order of
  // due time (then of setting), moving the clock to each tick's time.
  std::uint64_t Now() const { return now_; }
  void Advance(std::uint64_t ms);
  // Advances in single ticks until `done` holds or `limitMs` passed; true if it held.
  bool AdvanceUntil(const std::function<bool()>& done, std::uint64_t limitMs);
  std::optional<std::uint64_t> NextTimerDue() const;

  // The next file dialog's answer: a path as if typed and confirmed, or nothing
  // as if cancelled. A dialog with no answer queued is cancelled.
  using FileAnswer = std::function<std::optional<std::string>()>;
  void ScriptFileDialog(FileAnswer answer) { fileAnswers_.push_back(std::move(answer)); }
  void ScriptFileDialog(std::optional<std::string> path) {
    ScriptFileDialog([path] { return path; });
  }

  const std::vector<MessageBoxRecord>& MessageBoxes() const { return messageBoxes_; }
  const std::vector<FileDialogRecord>& FileDialogs() const { return fileDialogs_; }
  const std::vector<int>& ModalRuns() const { return modalRuns_; }

 private:
  friend class HeadlessWindow;
  struct Timer {
    HeadlessWindow* window;
    unsigned id, period;
    std::uint64_t due, order;
  };
  void Destroy(HeadlessWindow* window);
  void ReapEnded();
  void ContinueQuit();

  bool quitRequested_ = false;
  std::vector<HeadlessWindow*> running_;  // the modal runs, innermost last
  std::uint64_t now_ = 0, order_ = 0;
  std::vector<Timer> timers_;
  std::multimap<int, ModalScript> scripts_;
  std::vector<MessageBoxRecord> messageBoxes_;
  std::vector<FileAnswer> fileAnswers_;
  std::vector<FileDialogRecord> fileDialogs_;
  int fileDialogsOpen_ = 0;
  std::vector<int> modalRuns_;
  std::vector<std::unique_ptr<HeadlessWindow>> windows_;
};

}  // namespace r742
