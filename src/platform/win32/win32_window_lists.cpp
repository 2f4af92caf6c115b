// Rows and selection of list and combo boxes. The platform's boxes keep the
// selection themselves; after each row operation the window applies the
// layer's list rules, so every backend moves or drops a selection alike.
#include <algorithm>

#include "os/win32/utf16_text.h"
#include "platform/list_rules.h"
#include "platform/win32/win32_window.h"

namespace r742 {

namespace {
struct ListMessages {
  UINT reset, insert, remove, count, textLength, text, getSel, setSel;
};
constexpr ListMessages kListBox{LB_RESETCONTENT, LB_INSERTSTRING, LB_DELETESTRING, LB_GETCOUNT,
                                LB_GETTEXTLEN,   LB_GETTEXT,      LB_GETCURSEL,    LB_SETCURSEL};
constexpr ListMessages kComboBox{CB_RESETCONTENT, CB_INSERTSTRING, CB_DELETESTRING, CB_GETCOUNT,
                                 CB_GETLBTEXTLEN, CB_GETLBTEXT,    CB_GETCURSEL,    CB_SETCURSEL};
const ListMessages& Msg(const ControlTemplate* c) { return c->kind == ControlKind::ComboBox ? kComboBox : kListBox; }
}  // namespace

const ControlTemplate* Win32Window::List(int id) const {
  const ControlTemplate* c = Find(id);
  return c && (c->kind == ControlKind::ListBox || c->kind == ControlKind::ComboBox) && Item(id) ? c : nullptr;
}

void Win32Window::ShowSelection(const ControlTemplate* c, int row, bool scroll) {
  if (!(c->style & kNoSelection)) {
    Send(c->id, Msg(c).setSel, static_cast<WPARAM>(row));  // brings the row into view itself
    return;
  }
  // Rows of this list are never highlighted: the row is remembered and only scrolled to.
  noSelectionRow_[c->id] = row;
  if (!scroll || row < 0) return;
  RECT client{};
  GetClientRect(Item(c->id), &client);
  const int rowHeight = std::max(1, static_cast<int>(Send(c->id, LB_GETITEMHEIGHT)));
  const int visible = std::max(1, static_cast<int>(client.bottom) / rowHeight);
  int top = static_cast<int>(Send(c->id, LB_GETTOPINDEX));
  if (row < top) top = row;
  if (row >= top + visible) top = row - visible + 1;
  Send(c->id, LB_SETTOPINDEX, static_cast<WPARAM>(top));
}

void Win32Window::ResetContent(int id) {
  const ControlTemplate* c = List(id);
  if (!c) return;
  Send(id, Msg(c).reset);
  ShowSelection(c, kLbErr, false);
}

int Win32Window::AddString(int id, std::string_view text) { return InsertString(id, -1, text); }

int Win32Window::InsertString(int id, int row, std::string_view text) {
  const ControlTemplate* c = List(id);
  if (!c) return kLbErr;
  const int count = GetCount(id);
  if (row == -1) row = count;
  if (row < 0 || row > count) return kLbErr;
  const int selected = GetCurSel(id);
  const std::wstring wide = Widen(text);
  const auto result = Send(id, Msg(c).insert, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(wide.c_str()));
  if (result < 0) return kLbErr;  // out of memory
  ShowSelection(c, SelectionAfterInsert(selected, row), false);
  return row;
}

int Win32Window::DeleteString(int id, int row) {
  const ControlTemplate* c = List(id);
  if (!c || row < 0 || row >= GetCount(id)) return kLbErr;
  const int selected = GetCurSel(id);
  Send(id, Msg(c).remove, static_cast<WPARAM>(row));
  ShowSelection(c, SelectionAfterDelete(selected, row), false);
  return GetCount(id);
}

int Win32Window::GetCount(int id) const {
  const ControlTemplate* c = List(id);
  return c ? static_cast<int>(Send(id, Msg(c).count)) : kLbErr;
}

std::string Win32Window::GetRowText(int id, int row) const {
  const ControlTemplate* c = List(id);
  if (!c || row < 0 || row >= GetCount(id)) return {};
  const auto length = Send(id, Msg(c).textLength, static_cast<WPARAM>(row));
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto copied = Send(id, Msg(c).text, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(copied, 0, length)));
  return Narrow(text);
}

int Win32Window::GetCurSel(int id) const {
  const ControlTemplate* c = List(id);
  if (!c) return kLbErr;
  if (c->style & kNoSelection) {
    const auto it = noSelectionRow_.find(id);
    return it == noSelectionRow_.end() ? kLbErr : it->second;
  }
  const auto row = Send(id, Msg(c).getSel);
  return row < 0 ? kLbErr : static_cast<int>(row);
}

int Win32Window::SetCurSel(int id, int row) {
  const ControlTemplate* c = List(id);
  if (!c) return kLbErr;
  if (row < 0 || row >= GetCount(id)) row = kLbErr;
  ShowSelection(c, row, true);
  return row;
}

int Win32Window::FindStringPrefix(int id, int start, std::string_view prefix) const {
  if (!List(id)) return kLbErr;
  return FindPrefixRow(GetCount(id), start, prefix, [&](int row) { return GetRowText(id, row); });
}

}  // namespace r742
