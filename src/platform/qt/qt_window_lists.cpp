// Rows and selection of list and combo boxes. The window remembers each
// box's selected row itself and shows it on the widget with the widget's
// signals blocked, so only the user's own choices reach the dialog.
#include <QComboBox>
#include <QListWidget>
#include <QSignalBlocker>

#include "platform/list_rules.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/qt_window.h"

namespace r742 {

namespace {
QListWidget* AsList(QWidget* w) { return qobject_cast<QListWidget*>(w); }
QComboBox* AsCombo(QWidget* w) { return qobject_cast<QComboBox*>(w); }

}  // namespace

void QtWindow::ShowSelection(Control& c, bool scroll) {
  const QSignalBlocker block(c.widget);
  if (QComboBox* combo = AsCombo(c.widget)) {
    combo->setCurrentIndex(c.curSel);
    return;
  }
  QListWidget* list = AsList(c.widget);
  if (!list) return;
  if (c.style & kNoSelection) {
    // Rows of this list are never highlighted; the row is only brought into view.
  } else if (c.curSel >= 0) {
    list->setCurrentRow(c.curSel);
  } else {
    list->clearSelection();
    list->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  }
  if (scroll && c.curSel >= 0) list->scrollToItem(list->item(c.curSel));
}

void QtWindow::OnUserSelection(int id) {
  Control* c = Find(id);
  if (!c || !Live()) return;
  const QList<QListWidgetItem*> selected = AsList(c->widget)->selectedItems();
  if (selected.isEmpty()) {
    // Ctrl+click on the selected row deselects it in Qt; a single-selection list box
    // cannot be left without a selection by the user, so the row is shown selected again.
    ShowSelection(*c, false);
    return;
  }
  c->curSel = AsList(c->widget)->row(selected.front());
  if (c->style & kNotify) Raise(id, Notify::SelChange);
}

void QtWindow::OnUserComboChoice(int id, int row) {
  Control* c = Find(id);
  if (!c || !Live()) return;
  c->curSel = row;
  Raise(id, Notify::SelChange);
  Raise(id, Notify::CloseUp);
}

void QtWindow::ResetContent(int id) {
  Control* c = Find(id);
  if (!IsList(c)) return;
  {
    const QSignalBlocker block(c->widget);
    if (QComboBox* combo = AsCombo(c->widget))
      combo->clear();
    else
      AsList(c->widget)->clear();
  }
  c->curSel = kLbErr;
  ShowSelection(*c, false);
}

int QtWindow::AddString(int id, std::string_view text) { return InsertString(id, -1, text); }

int QtWindow::InsertString(int id, int row, std::string_view text) {
  Control* c = Find(id);
  if (!IsList(c)) return kLbErr;
  const int count = GetCount(id);
  if (row == -1) row = count;
  if (row < 0 || row > count) return kLbErr;
  {
    const QSignalBlocker block(c->widget);
    if (QComboBox* combo = AsCombo(c->widget))
      combo->insertItem(row, ToQString(text));
    else
      AsList(c->widget)->insertItem(row, ToQString(text));
  }
  c->curSel = SelectionAfterInsert(c->curSel, row);
  ShowSelection(*c, false);  // a combo box would otherwise pick the first row added
  return row;
}

int QtWindow::DeleteString(int id, int row) {
  Control* c = Find(id);
  if (!IsList(c) || row < 0 || row >= GetCount(id)) return kLbErr;
  {
    // Qt moves the selection to a neighbour of a removed selected row; ShowSelection undoes that.
    const QSignalBlocker block(c->widget);
    if (QComboBox* combo = AsCombo(c->widget))
      combo->removeItem(row);
    else
      delete AsList(c->widget)->takeItem(row);
  }
  c->curSel = SelectionAfterDelete(c->curSel, row);
  ShowSelection(*c, false);
  return GetCount(id);
}

int QtWindow::GetCount(int id) const {
  const Control* c = Find(id);
  if (!IsList(c)) return kLbErr;
  if (const QComboBox* combo = AsCombo(c->widget)) return combo->count();
  return AsList(c->widget)->count();
}

std::string QtWindow::GetRowText(int id, int row) const {
  const Control* c = Find(id);
  if (!IsList(c) || row < 0 || row >= GetCount(id)) return {};
  if (const QComboBox* combo = AsCombo(c->widget)) return ToStdString(combo->itemText(row));
  return ToStdString(AsList(c->widget)->item(row)->text());
}

int QtWindow::GetCurSel(int id) const {
  const Control* c = Find(id);
  return IsList(c) ? c->curSel : kLbErr;
}

int QtWindow::SetCurSel(int id, int row) {
  Control* c = Find(id);
  if (!IsList(c)) return kLbErr;
  const bool inRange = row >= 0 && row < GetCount(id);
  c->curSel = inRange ? row : kLbErr;
  ShowSelection(*c, true);
  return c->curSel;
}

int QtWindow::FindStringPrefix(int id, int start, std::string_view prefix) const {
  const Control* c = Find(id);
  if (!IsList(c)) return kLbErr;
  return FindPrefixRow(GetCount(id), start, prefix, [&](int row) { return GetRowText(id, row); });
}

}  // namespace r742
