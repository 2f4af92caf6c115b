// The Win32 window: templates become real controls, and what the user and the
// program do to them reaches the dialog as the dialog layer promises.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "platform/list_script.h"
#include "platform/win32/win32_picture.h"
#include "support/headless_platform.h"
#include "support/memory_line.h"
#include "ui/about_dlg.h"
#include "ui/port_setup_dlg.h"
#include "ui/resource.h"
#include "ui/templates.h"
#include "win32_test_support.h"

// Rectangles compared and shown by the tests (found by argument lookup in the global namespace).
bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
void PrintTo(const RECT& r, std::ostream* out) { *out << r.left << ',' << r.top << ' ' << r.right << ',' << r.bottom; }

namespace r742::test {
namespace {

using Note = RecordingDialog::Note;

std::wstring ClassOf(HWND item) {
  wchar_t name[32] = {};
  GetClassNameW(item, name, 32);
  return name;
}

TEST(Win32Template, EveryControlOfEveryTemplateIsARealControlAtItsDialogUnits) {
  const std::map<ControlKind, const wchar_t*> classes = {
      {ControlKind::PushButton, L"Button"}, {ControlKind::CheckBox, L"Button"}, {ControlKind::GroupBox, L"Button"},
      {ControlKind::Static, L"Static"},     {ControlKind::Edit, L"Edit"},       {ControlKind::ListBox, L"ListBox"},
      {ControlKind::ComboBox, L"ComboBox"}};
  for (const DialogTemplate* t : {&TestTemplate(), &MainDialogTemplate(), &AboutDialogTemplate(),
                                  &PortSetupDialogTemplate(), &HelpDialogTemplate()}) {
    SCOPED_TRACE(t->caption);
    Win32Platform platform;
    RecordingDialog dlg(*t);
    RunShown(platform, dlg, [&](Win32Window& w) {
      EXPECT_EQ(w.GetText(0), t->caption);
      RECT size{0, 0, t->width, t->height}, client{};
      MapDialogRect(w.Handle(), &size);
      GetClientRect(w.Handle(), &client);
      EXPECT_EQ(client, size);
      for (const ControlTemplate& c : t->controls) {
        SCOPED_TRACE(c.text + " " + std::to_string(c.id));
        if (c.id == -1) continue;
        HWND item = w.Item(c.id);
        ASSERT_TRUE(item);
        EXPECT_EQ(ClassOf(item), classes.at(c.kind));
        const LONG style = static_cast<LONG>(GetWindowLongPtrW(item, GWL_STYLE));
        EXPECT_EQ((style & WS_TABSTOP) != 0, (c.style & kTabStop) != 0);
        // Enter presses OK; the user can pick no row of a no-selection list.
        const bool button = c.kind == ControlKind::PushButton, list = c.kind == ControlKind::ListBox;
        EXPECT_EQ(button && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON, button && c.id == kIdOk);
        EXPECT_EQ(list && (style & LBS_NOSEL), list && (c.style & kNoSelection));

        // Position and size are mapped each on its own, as the platform creates the control;
        // a drop-down list's template height includes its open list.
        RECT expected{c.rect.x, c.rect.y, c.rect.w, c.rect.h}, actual{};
        MapDialogRect(w.Handle(), &expected);
        GetWindowRect(item, &actual);
        MapWindowPoints(nullptr, w.Handle(), reinterpret_cast<POINT*>(&actual), 2);
        const bool combo = c.kind == ControlKind::ComboBox;
        EXPECT_EQ(RECT({actual.left, actual.top, actual.right - actual.left, combo ? 0 : actual.bottom - actual.top}),
                  RECT({expected.left, expected.top, expected.right, combo ? 0 : expected.bottom}));
        std::vector<std::string> rows;
        for (int r = 0; combo && r < w.GetCount(c.id); ++r) rows.push_back(w.GetRowText(c.id, r));
        EXPECT_EQ(rows, combo ? c.items : std::vector<std::string>{});
        // Nothing is chosen in a combo box until someone picks a row.
        EXPECT_EQ(w.GetText(c.id), combo || (c.style & kIconImage) ? "" : c.text);
      }
    });
  }
}

TEST(Win32Input, TypingClicksAndProgramTextReachTheDialogOncePerChange) {
  Win32Platform platform;
  RecordingDialog dlg;
  RunShown(platform, dlg, [&](Win32Window& w) {
    std::vector<std::string> seen;
    dlg.onNote = [&](int id, Notify) { seen.push_back(w.GetText(id) + "/" + std::to_string(w.GetCheck(kCheck))); };
    w.SetText(kEdit, "start");  // the text it already has
    w.SetText(kLabel, "x");
    w.SetText(kButton, "&Go");
    w.SetText(kEdit, "Zähler µA – Ω");
    EXPECT_EQ(dlg.notes, std::vector<Note>(2, Note(kEdit, Notify::Changed)));
    for (wchar_t ch : std::wstring(L"co")) SendMessageW(w.Item(kUpperEdit), WM_CHAR, ch, 1);
    SendMessageW(w.Item(kCheck), BM_CLICK, 0, 0);
    SendMessageW(w.Item(kButton), BM_CLICK, 0, 0);
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{kEdit, Notify::Changed},
                                            {kEdit, Notify::Changed},
                                            {kUpperEdit, Notify::Changed},
                                            {kUpperEdit, Notify::Changed},
                                            {kCheck, Notify::Clicked},
                                            {kButton, Notify::Clicked}}));
    // Each handler saw the text in place, typing upper-cased, the check box already toggled.
    EXPECT_EQ(seen, (std::vector<std::string>{"start/0", "Zähler µA – Ω/0", "C/0", "CO/0", "Check/1", "&Go/1"}));
    wchar_t wide[32] = {};
    GetWindowTextW(w.Item(kEdit), wide, 32);
    EXPECT_STREQ(wide, L"Zähler µA – Ω");

    // A disabled control keeps its state; the program's check and enable calls do not notify.
    w.Enable(kCheck, false);
    EXPECT_FALSE(w.IsEnabled(kCheck));
    w.SetCheck(kCheck, 0);
    EXPECT_EQ(w.GetCheck(kCheck), 0);
    EXPECT_EQ(dlg.notes.size(), 6u);
  });
}

TEST(Win32Input, EnterEscapeCloseBoxAndSystemMenuGoToTheDialog) {
  Win32Platform platform;
  RecordingDialog dlg;
  dlg.cancelEnds = false;
  const int result = RunShown(
      platform, dlg,
      [&](Win32Window& w) {
        SendMessageW(w.Handle(), WM_COMMAND, IDCANCEL, 0);  // Escape
        SendMessageW(w.Handle(), WM_CLOSE, 0, 0);           // the close box
        PumpUntil([&] { return dlg.cancels == 2; }, 2000);
        EXPECT_EQ(dlg.cancels, 2);
        EXPECT_TRUE(IsWindowVisible(w.Handle()));  // the dialog refused both

        HMENU menu = GetSystemMenu(w.Handle(), FALSE);
        const int before = GetMenuItemCount(menu);
        EXPECT_TRUE(w.HasSystemMenu());
        w.AppendSystemMenu(0x10u, "&About Kestrel...");
        ASSERT_EQ(GetMenuItemCount(menu), before + 2);
        EXPECT_EQ(GetMenuState(menu, static_cast<UINT>(before), MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
        wchar_t entry[64] = {};
        GetMenuStringW(menu, 0x10u, entry, 64, MF_BYCOMMAND);
        EXPECT_STREQ(entry, L"&About Kestrel...");
        SendMessageW(w.Handle(), WM_SYSCOMMAND, 0x10u, 0);
        SendMessageW(w.Handle(), WM_SYSCOMMAND, 0x13u, 0);  // the low four bits are the platform's
        EXPECT_EQ(dlg.sysCommands, (std::vector<unsigned>{0x10u, 0x10u}));

        SendMessageW(w.Item(kIdOk), BM_CLICK, 0, 0);  // OK ends the run through the dialog's OnOK
        EXPECT_TRUE(w.Ended());
        SendMessageW(w.Handle(), WM_COMMAND, IDCANCEL, 0);  // an ended window takes nothing more
      },
      false);
  EXPECT_EQ(result, kIdOk);
  EXPECT_EQ(dlg.cancels, 2);
  EXPECT_EQ(dlg.destroys, 1);
  EXPECT_FALSE(dlg.HasWindow());
}

// The program's own dialogs as they open, pictured into the build tree.
TEST(Win32Template, ProgramDialogsOpenWithTheirTextsAndArePictured) {
  MemoryLine com1([] { return std::int64_t{0}; }), com3([] { return std::int64_t{0}; });
  MemoryPortProvider ports;
  ports.Add("COM1", com1);
  ports.Add("COM3", com3);
  PortProviderScope portScope(ports);
  CPortSetupDlg portSetup;
  CAboutDlg about;
  CHelpDlg help;
  const std::vector<std::tuple<CDialog*, int, std::string>> dialogs = {
      {&portSetup, IDC_PORT, "COM1|COM3|"},
      {&about, IDC_ABOUT_TEXT, "R742 Analogue Outputs Version 3.001|"},
      {&help, IDC_HELP_TEXT, HelpText() + "|"}};
  std::filesystem::create_directories(R742_ARTIFACT_DIR);  // the pictures go to the build tree's artifacts
  for (const auto& [dialog, id, shown] : dialogs) {
    Win32Platform platform;
    RunShown(platform, *dialog, [&, id = id, shown = shown](Win32Window& w) {
      std::string texts;
      for (int row = 0; row < w.GetCount(id); ++row) texts += w.GetRowText(id, row) + "|";
      EXPECT_EQ(w.GetCount(id) == kLbErr ? w.GetText(id) + "|" : texts, shown);
      EXPECT_TRUE(WriteWindowBitmap(
          w.Handle(), std::string(R742_ARTIFACT_DIR) + "/win32_dialog_" + std::to_string(w.Dialog().IDD()) + ".bmp"));
    });
  }
}

TEST(Win32Lists, RowsAndSelectionAsOnTheHeadlessWindowAndShownNatively) {
  RecordingDialog headlessDlg, win32Dlg;
  HeadlessPlatform headless;
  IWindow& expected = headless.Open(headlessDlg);
  Win32Platform platform;
  RunShown(platform, win32Dlg, [&](Win32Window& w) {
    for (int id : {kList, kLogList, kCombo}) {
      SCOPED_TRACE(id);
      if (id == kCombo) {  // the template's rows
        expected.ResetContent(id);
        w.ResetContent(id);
      }
      for (std::size_t i = 0; i < kListScript.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ResultAndState(w, id, kListScript[i]), ResultAndState(expected, id, kListScript[i]));
        const UINT getSel = id == kCombo ? CB_GETCURSEL : LB_GETCURSEL;
        const LRESULT shown = SendMessageW(w.Item(id), getSel, 0, 0);
        // The highlighted row is the selection, except in a list whose rows are never highlighted.
        EXPECT_EQ(shown, id == kLogList ? LB_ERR : w.GetCurSel(id));
      }
    }
    // A far row of the no-selection list is brought into view.
    for (int i = 0; i < 60; ++i) w.AddString(kLogList, "line");
    EXPECT_EQ(w.SetCurSel(kLogList, 59), 59);
    EXPECT_GT(SendMessageW(w.Item(kLogList), LB_GETTOPINDEX, 0, 0), 40);
    EXPECT_TRUE(win32Dlg.notes.empty());
  });
}

TEST(Win32Lists, OnlyTheUsersChoiceNotifies) {
  Win32Platform platform;
  RecordingDialog dlg;
  RunShown(platform, dlg, [&](Win32Window& w) {
    std::vector<std::string> seen;
    dlg.onNote = [&](int id, Notify) { seen.push_back(w.GetText(id) + std::to_string(w.GetCurSel(id))); };
    for (const char* row : {"Volts", "Amps", "Watts"}) {
      w.AddString(kList, row);
      w.AddString(kLogList, row);
    }
    w.SetCurSel(kList, 0);
    w.SetCurSel(kCombo, 0);
    EXPECT_TRUE(dlg.notes.empty());
    SetFocus(w.Item(kList));
    SendMessageW(w.Item(kList), WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(w.Item(kLogList), WM_KEYDOWN, VK_DOWN, 0);  // its rows cannot be picked
    SendMessageW(w.Item(kCombo), WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(w.Item(kCombo), CB_SHOWDROPDOWN, TRUE, 0);
    SendMessageW(w.Item(kCombo), CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(dlg.notes,
              (std::vector<Note>{{kList, Notify::SelChange}, {kCombo, Notify::SelChange}, {kCombo, Notify::CloseUp}}));
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "Beta1", "Beta1"}));
    EXPECT_EQ(w.GetCurSel(kLogList), kLbErr);
  });
}

}  // namespace
}  // namespace r742::test
