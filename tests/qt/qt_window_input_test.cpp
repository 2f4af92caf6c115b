// What the program and the user do to controls, and what reaches the dialog.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QTest>

#include "qt_test_support.h"

namespace r742::test {
namespace {

using Note = RecordingDialog::Note;

TEST(QtWindowInput, SetTextRaisesOneChangedEvenUnchangedAndTypingOnePerKey) {
  RecordingDialog dlg;
  ShownWindow w(dlg);
  std::string seen;
  dlg.onNote = [&](int id, Notify) { seen = w->GetText(id); };
  w->SetText(kEdit, "start");  // the text it already has
  w->SetText(kLabel, "x");
  EXPECT_EQ(dlg.notes, std::vector<Note>{Note(kEdit, Notify::Changed)});
  EXPECT_EQ(seen, "start");
  dlg.notes.clear();
  QTest::keyClicks(w->Widget(kUpperEdit), "com1");  // an upper-case edit converts typing
  EXPECT_EQ(dlg.notes, std::vector<Note>(4, Note(kUpperEdit, Notify::Changed)));
  EXPECT_EQ(seen, "COM1");
}

TEST(QtWindowInput, ClicksReachTheDialogAfterTheCheckBoxToggled) {
  RecordingDialog dlg;
  ShownWindow w(dlg);
  int checkSeen = -1;
  dlg.onNote = [&](int, Notify) { checkSeen = w->GetCheck(kCheck); };
  QTest::mouseClick(w->Widget(kCheck), Qt::LeftButton);
  EXPECT_EQ(checkSeen, 1);
  w->Enable(kButton, false);
  QTest::mouseClick(w->Widget(kButton), Qt::LeftButton);
  w->Enable(kButton, true);
  QTest::mouseClick(w->Widget(kButton), Qt::LeftButton);
  EXPECT_EQ(dlg.notes, (std::vector<Note>{{kCheck, Notify::Clicked}, {kButton, Notify::Clicked}}));
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
  EXPECT_EQ(dlg.notes, (std::vector<Note>{{kList, Notify::SelChange},
                                          {kCombo, Notify::SelChange},
                                          {kCombo, Notify::CloseUp}}));
  EXPECT_EQ(seen, (std::vector<std::string>{"1", "Gamma2", "Gamma2"}));

  // Rows of a no-selection list cannot be picked; the program's row is remembered and shown.
  auto* log = w.Widget<QListWidget>(kLogList);
  for (int i = 0; i < 40; ++i) w->AddString(kLogList, "line");
  QTest::mouseClick(log->viewport(), Qt::LeftButton, {}, log->visualItemRect(log->item(0)).center());
  EXPECT_EQ(w->GetCurSel(kLogList), LB_ERR);
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
  EXPECT_EQ(w->Result(), IDOK);
  EXPECT_FALSE(w->isVisible());
  QTest::keyClick(w->Widget(kEdit), Qt::Key_Escape);  // an ended window takes nothing more
  EXPECT_EQ(dlg.cancels, 2);
}

}  // namespace
}  // namespace r742::test
