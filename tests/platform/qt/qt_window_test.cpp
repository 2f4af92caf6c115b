// The Qt window: what the program and the user do to controls and what
// reaches the dialog, the same answers as the headless window, and timers.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <memory>

#include "platform/list_script.h"
#include "qt_test_support.h"
#include "support/headless_platform.h"

namespace r742::test {
namespace {

using Note = RecordingDialog::Note;

TEST(QtWindowInput, ProgramTextTypingAndClicksReachTheDialogOncePerChange) {
  RecordingDialog dlg;
  ShownWindow w(dlg);
  std::vector<std::string> seen;
  dlg.onNote = [&](int id, Notify) { seen.push_back(w->GetText(id) + "/" + std::to_string(w->GetCheck(kCheck))); };
  w->SetText(kEdit, "start");  // the text it already has
  w->SetText(kLabel, "x");
  QTest::keyClicks(w->Widget(kUpperEdit), "co");
  QTest::mouseClick(w->Widget(kCheck), Qt::LeftButton);
  w->Enable(kButton, false);
  QTest::mouseClick(w->Widget(kButton), Qt::LeftButton);
  w->Enable(kButton, true);
  QTest::mouseClick(w->Widget(kButton), Qt::LeftButton);
  EXPECT_EQ(dlg.notes, (std::vector<Note>{{kEdit, Notify::Changed},
                                          {kUpperEdit, Notify::Changed},
                                          {kUpperEdit, Notify::Changed},
                                          {kCheck, Notify::Clicked},
                                          {kButton, Notify::Clicked}}));
  // Each handler saw the text in place, typing upper-cased, the check box already toggled.
  EXPECT_EQ(seen, (std::vector<std::string>{"start/0", "C/0", "CO/0", "Check/1", "&Apply/1"}));
}

TEST(QtWindowInput, OnlyTheUsersChoiceInAListOrComboNotifies) {
  RecordingDialog dlg;
  ShownWindow w(dlg);
  auto* list = w.Widget<QListWidget>(kList);
  for (const char* row : {"Volts", "Amps", "Watts"}) w->AddString(kList, row);
  w->SetCurSel(kList, 0);
  w->DeleteString(kList, 0);  // Qt would move the highlight to a neighbour
  EXPECT_TRUE(list->selectedItems().isEmpty());
  auto* combo = w.Widget<QComboBox>(kCombo);
  EXPECT_EQ(combo->currentText(), "");  // nothing chosen yet, as GetCurSel says
  w->SetCurSel(kCombo, 1);
  EXPECT_EQ(combo->currentText(), "Beta");
  EXPECT_TRUE(dlg.notes.empty());

  std::vector<std::string> seen;
  dlg.onNote = [&](int id, Notify) { seen.push_back(w->GetText(id) + std::to_string(w->GetCurSel(id))); };
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(dlg.notes,
            (std::vector<Note>{{kList, Notify::SelChange}, {kCombo, Notify::SelChange}, {kCombo, Notify::CloseUp}}));
  EXPECT_EQ(seen, (std::vector<std::string>{"1", "Gamma2", "Gamma2"}));

  // Rows of a no-selection list cannot be picked; the program's row is remembered and shown.
  auto* log = w.Widget<QListWidget>(kLogList);
  for (int i = 0; i < 40; ++i) w->AddString(kLogList, "line");
  QTest::mouseClick(log->viewport(), Qt::LeftButton, {}, log->visualItemRect(log->item(0)).center());
  EXPECT_EQ(w->GetCurSel(kLogList), kLbErr);
  EXPECT_EQ(w->SetCurSel(kLogList, 39), 39);
  EXPECT_TRUE(log->viewport()->rect().intersects(log->visualItemRect(log->item(39))));
  EXPECT_EQ(dlg.notes.size(), 3u);
}

TEST(QtWindowInput, EnterEscapeCloseBoxAndWindowMenuGoToTheDialog) {
  RecordingDialog dlg;
  dlg.cancelEnds = false;
  ShownWindow w(dlg);
  QTest::keyClick(w->Widget(kEdit), Qt::Key_Escape);
  w->close();
  EXPECT_EQ(dlg.cancels, 2);
  EXPECT_TRUE(w->isVisible());  // the dialog refused both

  w->AppendSystemMenu(0x10u, "&About...");
  const QList<QAction*> menu = w->actions();
  ASSERT_EQ(menu.size(), 2);
  EXPECT_TRUE(menu[0]->isSeparator());
  EXPECT_EQ(menu[1]->text(), "&About...");
  menu[1]->trigger();
  EXPECT_EQ(dlg.sysCommands, std::vector<unsigned>{0x10u});

  w->Widget(kButton)->setFocus();
  QTest::keyClick(w->Widget(kButton), Qt::Key_Return);  // Enter on a focused button presses it
  EXPECT_EQ(dlg.notes.back(), Note(kButton, Notify::Clicked));
  EXPECT_FALSE(w->Ended());
  w->Widget(kEdit)->setFocus();
  QTest::keyClick(w->Widget(kEdit), Qt::Key_Return);  // the edit passes Enter on
  EXPECT_EQ(w->Result(), kIdOk);
  EXPECT_FALSE(w->isVisible());
  QTest::keyClick(w->Widget(kEdit), Qt::Key_Escape);  // an ended window takes nothing more
  EXPECT_EQ(dlg.cancels, 2);
}

TEST(QtWindowParity, ListBoxNoSelectionListBoxAndComboBox) {
  RecordingDialog headlessDlg, qtDlg;
  HeadlessPlatform headless;  // destroyed before the dialogs: it closes its window on its dialog
  IWindow& expected = headless.Open(headlessDlg);
  ShownWindow actual{qtDlg};
  for (int id : {kList, kLogList, kCombo}) {
    SCOPED_TRACE(id);
    for (std::size_t i = 0; i < kListScript.size(); ++i)
      EXPECT_EQ(ResultAndState(*actual, id, kListScript[i]), ResultAndState(expected, id, kListScript[i]))
          << "step " << i;
  }
  EXPECT_EQ(qtDlg.notes, headlessDlg.notes);  // none: every step is the program's
}

// Runs the event loop until a plain Qt timer has ticked 5 times: long enough
// for a wrongly running window timer to show itself.
bool RunOtherTimer() {
  int ticks = 0;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] { ++ticks; });
  watch.start(10);
  return WaitUntil([&] { return ticks >= 5; });
}

TEST(QtWindowTimers, RestartKillAndNoTickOnceTheDialogEndedOrTheWindowIsGone) {
  constexpr unsigned kFast = 1, kOther = 2;
  RecordingDialog dlg;
  auto w = std::make_unique<ShownWindow>(dlg);
  EXPECT_EQ((*w)->SetTimer(0, 10), 0u);
  (*w)->SetTimer(kFast, 60000);
  EXPECT_EQ((*w)->SetTimer(kFast, 5), kFast);  // a minute is not waited out
  EXPECT_TRUE(WaitUntil([&] { return dlg.ticks[kFast] >= 3; }));
  (*w)->SetTimer(kOther, 1);
  EXPECT_TRUE((*w)->KillTimer(kOther) && !(*w)->KillTimer(kOther));  // killed once
  (*w)->EndDialog(kIdOk);
  EXPECT_EQ((*w)->SetTimer(kOther, 1), kOther);  // allowed until OnDestroy, never delivered
  dlg.ticks.clear();
  ASSERT_TRUE(RunOtherTimer());
  EXPECT_TRUE(dlg.ticks.empty());
  w.reset();
  EXPECT_EQ(std::pair(dlg.destroys, dlg.SetTimer(kFast, 1)), std::pair(1, 0u));
}

}  // namespace
}  // namespace r742::test
