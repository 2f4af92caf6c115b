// What every window backend promises its dialogs, driven as a user drives it.
// A backend's driver runs dialogs modally (DriverRuns) and on the innermost shown window
//   acts:   Click, Type (key by key), SelectRow, PressEnter(on the focused control), PressEscape, CloseBox,
//           ChooseMenu(entry text) in the system or window menu;
//   shows:  Text(id) as drawn, Highlighted(id) row, RowInView(id, row), Visible(), OwnedAndBlocked(inner, outer);
//           PressCtrl(focused id, key), MenuTexts() of the system or window menu ("" for a separator);
//           OnFileDialog(act, path) acts on the next file dialog once it shows: types the path and
//           Enter, or Escape, or asks the program to quit;
//   waits:  WaitUntil(done, ms) lets time pass, handling events, until `done` holds.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "support/headless_platform.h"
#include "support/recording_dialog.h"

namespace r742::test {

using Note = RecordingDialog::Note;
enum class FileAct { Confirm, Escape, Quit };

// The modal runs in progress, innermost last.
template <class Window>
class DriverRuns {
 public:
  using Body = std::function<void(Window&)>;
  // Runs `dialog` modally; `whileShown` runs inside the run once it shows. The run goes on until the dialog ends.
  int Run(CDialog& dialog, Body whileShown) {
    runs_.push_back({std::move(whileShown), nullptr});
    const int result = dialog.DoModal();
    runs_.pop_back();
    return result;
  }
  int Shows() const { return shows_; }

 protected:
  Window* Showing() const { return runs_.empty() ? nullptr : runs_.back().window; }
  Window& W() const { return *Showing(); }
  bool Pending() const { return !runs_.empty() && !runs_.back().window; }  // a run waits for its window
  // The backend has shown the window of the run in progress and handles events in its run.
  void Shown(Window& w) {
    runs_.back().window = &w;
    const Body body = runs_.back().body;  // a nested run grows the list
    body(w);
    if (::testing::Test::HasFailure()) w.EndDialog(kIdCancel);  // a failed check does not leave the run waiting
  }
  int shows_ = 0;

 private:
  struct RunState {
    Body body;
    Window* window;
  };
  std::vector<RunState> runs_;
};

template <class D>
class WindowContract : public ::testing::Test {
 protected:
  D d;
};
TYPED_TEST_SUITE_P(WindowContract);

// The program's own calls never notify; each change the user makes notifies once, with the change in place.
// Enter, Escape, the close box and the menu go to the dialog, and an ended window takes nothing more.
TYPED_TEST_P(WindowContract, UserInputReachesTheDialogOnceAndTheProgramsCallsNever) {
  auto& d = this->d;
  RecordingDialog dlg;
  dlg.cancelEnds = false;
  const int result = d.Run(dlg, [&](IWindow& w) {
    for (const char* row : {"Volts", "Amps", "Watts"}) w.AddString(kList, row);
    w.SetCurSel(kList, 0);
    w.SetCurSel(kCombo, 1);
    std::vector<std::string> seen;
    dlg.onNote = [&](int id, Notify) {
      seen.push_back(w.GetText(id) + "/" + std::to_string(id >= kList ? w.GetCurSel(id) : w.GetCheck(kCheck)));
    };
    w.SetText(kEdit, "start");  // the text it already has
    w.SetText(kLabel, "x");
    w.SetText(kButton, "&Go");
    w.SetText(kEdit, "Zähler µA – Ω");
    EXPECT_EQ(d.Text(kEdit), "Zähler µA – Ω");
    d.Type(kUpperEdit, "co");
    d.Click(kCheck);
    w.Enable(kButton, false);
    d.Click(kButton);  // not taken
    w.Enable(kButton, true);
    d.Click(kButton);
    w.Enable(kCheck, false);
    w.SetCheck(kCheck, 0);
    EXPECT_EQ(std::pair(w.IsEnabled(kCheck), w.GetCheck(kCheck)), std::pair(false, 0));
    d.SelectRow(kList, 1);
    d.SelectRow(kCombo, 2);
    // Rows of a no-selection list cannot be picked; the program's row is remembered and shown.
    for (int i = 0; i < 60; ++i) w.AddString(kLogList, "line");
    d.SelectRow(kLogList, 1);
    EXPECT_EQ(w.GetCurSel(kLogList), kLbErr);
    EXPECT_EQ(w.SetCurSel(kLogList, 59), 59);
    EXPECT_TRUE(d.RowInView(kLogList, 59));
    const Note edit{kEdit, Notify::Changed}, typed{kUpperEdit, Notify::Changed}, check{kCheck, Notify::Clicked},
        button{kButton, Notify::Clicked}, list{kList, Notify::SelChange}, combo{kCombo, Notify::SelChange};
    EXPECT_EQ(dlg.notes,
              (std::vector<Note>{edit, edit, typed, typed, check, button, list, combo, {kCombo, Notify::CloseUp}}));
    // Typing is upper-cased, the check box already toggled, the row already chosen.
    EXPECT_EQ(seen, (std::vector<std::string>{"start/0", "Zähler µA – Ω/0", "C/0", "CO/0", "Check/1", "&Go/1", "/1",
                                              "Gamma/2", "Gamma/2"}));
    dlg.notes.clear();
    d.PressEscape();
    d.CloseBox();
    EXPECT_EQ(dlg.cancels, 2);
    EXPECT_TRUE(d.Visible());  // the dialog refused both
    EXPECT_TRUE(w.HasSystemMenu());
    w.AppendSystemMenu(0x10u, "&About...");
    d.ChooseMenu("&About...");
    EXPECT_EQ(dlg.sysCommands, std::vector<unsigned>{0x10u});
    d.PressEnter(kButton);  // on a focused button it presses the button
    EXPECT_EQ(dlg.notes, std::vector<Note>{button});
    EXPECT_TRUE(d.Visible());
    d.PressEnter(kEdit);  // anywhere else it is the dialog's OK
    EXPECT_FALSE(d.Visible());
    d.PressEscape();  // an ended window takes nothing more
    d.Click(kButton);
  });
  EXPECT_EQ(std::tuple(result, dlg.cancels, dlg.notes.size(), dlg.destroys, dlg.HasWindow()),
            std::tuple(kIdOk, 2, 1u, 1, false));
}

// The dialog code is tested on the headless window; a real backend's window answers every program call on
// rows, selection and text as it does. Each step's result is compared together with the box's state after it.
using ListStep = std::function<int(IWindow&, int id)>;
inline const std::vector<ListStep> kListScript = {
    [](IWindow& w, int id) { return w.AddString(id, "Volts L1"); },
    [](IWindow& w, int id) { return w.InsertString(id, 0, "watts"); },
    [](IWindow& w, int id) { return w.InsertString(id, -1, "Volts L2 µ"); },
    [](IWindow& w, int id) { return w.InsertString(id, 9, "beyond"); },
    [](IWindow& w, int id) { return w.SetCurSel(id, 2); },
    [](IWindow& w, int id) { return w.InsertString(id, 1, "Hz"); },  // the selection moves down
    [](IWindow& w, int id) { return w.DeleteString(id, 1); },        // and up again: a row before it
    [](IWindow& w, int id) { return w.DeleteString(id, 7); },
    [](IWindow& w, int id) { return w.SetCurSel(id, 1); },
    [](IWindow& w, int id) { return w.DeleteString(id, 2); },  // a row after the selection
    [](IWindow& w, int id) { return w.SetCurSel(id, 5); },     // out of range clears
    [](IWindow& w, int id) { return w.FindStringPrefix(id, -1, "VOLTS"); },
    [](IWindow& w, int id) { return w.FindStringPrefix(id, 0, "volts"); },
    [](IWindow& w, int id) { return w.FindStringPrefix(id, 1, "hz"); },  // wraps to the top
    [](IWindow& w, int id) { return w.FindStringPrefix(id, -1, "kvar"); },
    [](IWindow& w, int id) { return static_cast<int>(w.GetRowText(id, 9).size()); },
    [](IWindow& w, int id) { return (w.SetCurSel(id, 0), w.ResetContent(id), w.AddString(id, "again")); },
    [](IWindow& w, int id) { return (w.AddString(id, "next"), w.SetCurSel(id, 0), w.DeleteString(id, 0)); },
};

inline std::string ResultAndState(IWindow& w, int id, const ListStep& step) {
  std::ostringstream out;
  out << step(w, id) << " count=" << w.GetCount(id) << " sel=" << w.GetCurSel(id) << " text=" << w.GetText(id);
  for (int row = 0; row < w.GetCount(id); ++row) out << '|' << w.GetRowText(id, row);
  return out.str();
}

TYPED_TEST_P(WindowContract, ListRowsAndSelectionAnswerAsOnTheHeadlessWindow) {
  RecordingDialog headlessDlg, dlg;
  HeadlessPlatform headless;  // destroyed before the dialogs: it closes its window on its dialog
  IWindow& expected = headless.Open(headlessDlg);
  this->d.Run(dlg, [&](IWindow& w) {
    for (int id : {kList, kLogList, kCombo}) {
      for (std::size_t i = 0; i < kListScript.size(); ++i) {
        SCOPED_TRACE(std::to_string(id) + " step " + std::to_string(i));
        EXPECT_EQ(ResultAndState(w, id, kListScript[i]), ResultAndState(expected, id, kListScript[i]));
        // The highlighted row is the selection, except in a list whose rows are never highlighted.
        EXPECT_EQ(this->d.Highlighted(id), id == kLogList ? kLbErr : w.GetCurSel(id));
      }
    }
    w.EndDialog(kIdOk);
  });
  EXPECT_TRUE(dlg.notes.empty());  // every step is the program's
}

TYPED_TEST_P(WindowContract, TimersRestartDieAndNeverTickOnceTheRunEndedOrTheWindowIsGone) {
  enum : unsigned { kRestarted = 1, kKilled, kRivalA, kRivalB, kLeftRunning };
  auto& d = this->d;
  RecordingDialog dlg;
  dlg.onTimer = [&](unsigned id) {
    if (id == kRivalA || id == kRivalB) dlg.KillTimer(id == kRivalA ? kRivalB : kRivalA);  // drops a due tick too
    if (id != kLeftRunning) dlg.KillTimer(id);
  };
  int ticksAtEnd = -1;
  d.Run(dlg, [&](IWindow& w) {
    EXPECT_EQ(w.SetTimer(kRestarted, 60'000), kRestarted);
    EXPECT_EQ(w.SetTimer(kRestarted, 20), kRestarted);  // a minute is not waited out
    w.SetTimer(kKilled, 20);
    EXPECT_TRUE(w.KillTimer(kKilled) && !w.KillTimer(kKilled));  // killed once
    EXPECT_EQ(w.SetTimer(0, 10), 0u);
    for (unsigned id : {kRivalA, kRivalB, kLeftRunning}) w.SetTimer(id, 10);
    EXPECT_TRUE(d.WaitUntil([&] { return dlg.ticks[kRestarted] == 1 && dlg.ticks[kLeftRunning] >= 3; }, 5000));
    w.EndDialog(kIdOk);
    ticksAtEnd = dlg.ticks[kLeftRunning];
    EXPECT_EQ(w.SetTimer(kKilled, 1), kKilled);  // allowed until the window goes, never delivered
    d.WaitUntil([] { return false; }, 100);
  });
  EXPECT_EQ(dlg.ticks[kRivalA] + dlg.ticks[kRivalB], 1) << "the rival killed first never ticks";
  d.WaitUntil([] { return false; }, 50);
  EXPECT_EQ(std::tuple(dlg.ticks[kLeftRunning], dlg.ticks[kKilled], dlg.SetTimer(kLeftRunning, 1), dlg.destroys),
            std::tuple(ticksAtEnd, 0, 0u, 1));
}

// A dialog that ends or fails while it initialises is never shown.
TYPED_TEST_P(WindowContract, EndedOrFailedInitialisationReturnsWithoutShowing) {
  const std::pair<std::function<void(RecordingDialog&)>, int> cases[] = {
      {[](RecordingDialog& dlg) { dlg.EndDialog(42); }, 42},
      {[](RecordingDialog&) { throw std::runtime_error("no port"); }, kIdCancel}};  // must not unwind into the platform
  for (const auto& [init, result] : cases) {
    RecordingDialog dlg;
    dlg.onInit = [&, &init = init] { init(dlg); };
    EXPECT_EQ(this->d.Run(dlg, [](IWindow&) {}), result);
    EXPECT_EQ(std::tuple(this->d.Shows(), dlg.destroys, dlg.HasWindow()), std::tuple(0, 1, false));
  }
}

// Nested runs are owned by the outer window, whose timers go on. A quit from outside (a signal, the session
// ending) is not the nested dialogs' to refuse, and a message box opened meanwhile closes by itself; the
// outermost window then closes as by its close box, from its loop.
TYPED_TEST_P(WindowContract, NestedRunsAreOwnedByTheOuterWindowAndAQuitEndsThemThenCancelsTheOutermost) {
  auto& d = this->d;
  RecordingDialog outer, inner, quitting, later;
  int ticksBefore = 0;
  std::vector<int> results;
  inner.onInit = [&] { inner.SetTimer(7, 10); };
  inner.onTimer = [&](unsigned) {
    if (outer.ticks[1] >= ticksBefore + 3) inner.EndDialog(kIdOk);  // the outer window's timer ticks meanwhile
  };
  quitting.cancelEnds = false;
  quitting.onTimer = [&](unsigned id) {
    quitting.KillTimer(id);
    CurrentPlatform()->RequestQuit();
    quitting.MessageBox("Opened as the quit came", "Test", kMbOk);
  };
  const int result = d.Run(outer, [&](IWindow& outerWindow) {
    outerWindow.SetTimer(1, 10);
    for (int run = 0; run < 2; ++run) {  // a dialog runs again after its run ended
      ticksBefore = outer.ticks[1];
      results.push_back(d.Run(inner, [&](IWindow& w) { EXPECT_TRUE(d.OwnedAndBlocked(w, outerWindow)); }));
    }
    results.push_back(d.Run(quitting, [&](IWindow& w) { w.SetTimer(1, 10); }));
    results.push_back(d.Run(later, [](IWindow&) { ADD_FAILURE() << "a run began after the quit"; }));
    EXPECT_EQ(outer.cancels, 0) << "cancelled inside its own handler";
  });
  EXPECT_EQ(results, (std::vector<int>{kIdOk, kIdOk, kIdCancel, kIdCancel}));
  EXPECT_EQ(std::tuple(result, d.Shows(), inner.destroys, quitting.cancels, outer.cancels, outer.destroys),
            std::tuple(kIdCancel, 4, 2, 0, 1, 1));
}

// A progress bar holds 0..100. Ctrl+key reaches the dialog as its menu command, whatever has the focus;
// a group of menu entries has one separator before it.
TYPED_TEST_P(WindowContract, ProgressIsClampedAndShortcutsReachTheDialogAsMenuCommands) {
  auto& d = this->d;
  RecordingDialog dlg;
  d.Run(dlg, [&](IWindow& w) {
    std::vector<int> progress;
    for (int percent : {40, -5, 130}) progress.push_back((w.SetProgress(kProgress, percent), w.GetProgress(kProgress)));
    EXPECT_EQ(progress, (std::vector<int>{40, 0, 100}));
    w.AppendSystemMenu(0x10u, "&About...");
    w.AppendSystemMenuSeparator();
    w.AppendSystemMenuEntry(0x20u, "&Find Node...\tCtrl+F");
    w.AppendSystemMenuEntry(0x30u, "&Save Configuration...\tCtrl+S");
    const std::vector<std::string> menu = d.MenuTexts();
    ASSERT_GE(menu.size(), 5u);
    EXPECT_EQ(
        std::vector<std::string>(menu.end() - 5, menu.end()),
        (std::vector<std::string>{"", "&About...", "", "&Find Node...\tCtrl+F", "&Save Configuration...\tCtrl+S"}));
    w.AddShortcut(0x20u, 'F');
    w.AddShortcut(0x40u, 'O');  // no menu entry of its own
    d.PressCtrl(kEdit, 'F');
    d.PressCtrl(kList, 'O');
    d.PressCtrl(kEdit, 'S');  // no shortcut
    d.ChooseMenu("&Save Configuration...\tCtrl+S");
    EXPECT_EQ(dlg.sysCommands, (std::vector<unsigned>{0x20u, 0x40u, 0x30u}));
    w.EndDialog(kIdOk);
  });
}

// A file dialog gives the path the user confirmed, nothing when cancelled, and nothing when the program is asked
// to quit meanwhile; the window is then cancelled as by its close box once the handler is over.
TYPED_TEST_P(WindowContract, FileDialogsGiveTheConfirmedPathOrNothingOnEscapeOrAQuit) {
  namespace fs = std::filesystem;
  auto& d = this->d;
  std::string name = ::testing::UnitTest::GetInstance()->current_test_suite()->name();
  std::replace(name.begin(), name.end(), '/', '-');
  const fs::path folder = fs::temp_directory_path() / ("r742-" + name);
  fs::create_directories(folder);
  std::ofstream(folder / "site.json") << "{}\n";
  fs::remove(folder / "new.json");
  const std::string site = (folder / "site.json").string(), fresh = (folder / "new.json").string();
  RecordingDialog dlg;
  std::vector<std::optional<std::string>> answers;
  const int result = d.Run(dlg, [&](IWindow& w) {
    const std::tuple<FileAct, FileDialogKind, std::string> steps[] = {{FileAct::Confirm, FileDialogKind::Save, fresh},
                                                                      {FileAct::Confirm, FileDialogKind::Open, site},
                                                                      {FileAct::Escape, FileDialogKind::Open, ""},
                                                                      {FileAct::Quit, FileDialogKind::Save, ""}};
    for (const auto& [act, kind, path] : steps) {
      d.OnFileDialog(act, path);
      answers.push_back(w.AskFilePath(kind, folder.string(), "r742.json"));
    }
    EXPECT_EQ(dlg.cancels, 0) << "cancelled inside its own handler";
  });
  EXPECT_EQ(answers, (std::vector<std::optional<std::string>>{fresh, site, std::nullopt, std::nullopt}));
  EXPECT_EQ(std::pair(result, dlg.cancels), std::pair(kIdCancel, 1));
  fs::remove_all(folder);
}

REGISTER_TYPED_TEST_SUITE_P(WindowContract, UserInputReachesTheDialogOnceAndTheProgramsCallsNever,
                            ListRowsAndSelectionAnswerAsOnTheHeadlessWindow,
                            TimersRestartDieAndNeverTickOnceTheRunEndedOrTheWindowIsGone,
                            EndedOrFailedInitialisationReturnsWithoutShowing,
                            NestedRunsAreOwnedByTheOuterWindowAndAQuitEndsThemThenCancelsTheOutermost,
                            ProgressIsClampedAndShortcutsReachTheDialogAsMenuCommands,
                            FileDialogsGiveTheConfirmedPathOrNothingOnEscapeOrAQuit);

}  // namespace r742::test
