// The Win32 window: templates become real controls at their dialog units, and
// the program's dialogs open with their texts and are pictured.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "platform/win32/win32_picture.h"
#include "support/memory_line.h"
#include "support/recording_dialog.h"
#include "ui/about_dlg.h"
#include "ui/port_setup_dlg.h"
#include "ui/resource.h"
#include "ui/templates.h"
#include "win32_driver.h"

// Rectangles compared and shown by the tests (found by argument lookup in the global namespace).
bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
void PrintTo(const RECT& r, std::ostream* out) { *out << r.left << ',' << r.top << ' ' << r.right << ',' << r.bottom; }

namespace r742::test {
namespace {

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
    Win32Driver driver;
    RecordingDialog dlg(*t);
    driver.Run(dlg, [&](Win32Window& w) {
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
      w.EndDialog(kIdOk);
    });
  }
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
    Win32Driver driver;
    driver.Run(*dialog, [&, id = id, shown = shown](Win32Window& w) {
      std::string texts;
      for (int row = 0; row < w.GetCount(id); ++row) texts += w.GetRowText(id, row) + "|";
      EXPECT_EQ(w.GetCount(id) == kLbErr ? w.GetText(id) + "|" : texts, shown);
      std::string error;
      EXPECT_TRUE(WriteWindowBitmap(
          w.Handle(), std::string(R742_ARTIFACT_DIR) + "/win32_dialog_" + std::to_string(w.Dialog().IDD()) + ".bmp",
          error))
          << error;
      w.EndDialog(kIdOk);
    });
  }
}

}  // namespace
}  // namespace r742::test
