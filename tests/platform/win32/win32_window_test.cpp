// The Win32 window: templates become real controls at their dialog units, and the
// program's own windows run on the real dialog manager.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/win32/win32_picture.h"
#include "support/memory_line.h"
#include "support/recording_dialog.h"
#include "support/two_node_line.h"
#include "ui/about_dlg.h"
#include "ui/find_node_dlg.h"
#include "ui/outputs_dlg.h"
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
      {ControlKind::PushButton, L"Button"}, {ControlKind::CheckBox, L"Button"},
      {ControlKind::GroupBox, L"Button"},   {ControlKind::Static, L"Static"},
      {ControlKind::Edit, L"Edit"},         {ControlKind::ListBox, L"ListBox"},
      {ControlKind::ComboBox, L"ComboBox"}, {ControlKind::ProgressBar, L"msctls_progress32"}};
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
        // Enter presses OK (a no-selection list is the window contract's).
        const bool button = c.kind == ControlKind::PushButton;
        EXPECT_EQ(button && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON, button && c.id == kIdOk);

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

// Presses Tab as the modal loop hands it to the dialog manager, from Quit until Quit has the focus again.
std::vector<int> TabOrder(HWND dialog) {
  SetFocus(GetDlgItem(dialog, IDCANCEL));
  std::vector<int> ids{GetDlgCtrlID(GetFocus())};
  for (int step = 0; step < 40; ++step) {
    MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    IsDialogMessageW(dialog, &tab);
    if (GetDlgCtrlID(GetFocus()) == IDCANCEL) break;
    ids.push_back(GetDlgCtrlID(GetFocus()));
  }
  return ids;
}

TEST(Win32MainWindow, TabWalksTheControlsInTheDescribedOrderSkippingTheGreyedOne) {
  // clang-format off
  const std::vector<int> order = {IDCANCEL, ID_HELP, IDC_AVAILABLE_LIST, IDC_CHANNEL_LIST, 1014, 1015, 1016, 1017, 1018,
      1019, IDC_ADD, IDC_REMOVE, IDC_CLEAR, IDC_SEND, IDC_READ, IDC_RESPONSE_MS, IDC_RELEASE, IDC_LOG_LIST,
      IDC_SHOW_MODBUS, IDC_LIMIT_LENGTH, IDC_FLOAT_ORDER, IDC_NODE};
  // clang-format on
  std::vector<int> greyed = order;
  std::erase(greyed, IDC_LIMIT_LENGTH);  // until Modbus is ticked
  Win32Driver driver;
  COutputsDlg dlg;
  driver.Run(dlg, [&](Win32Window& w) {
    EXPECT_EQ(TabOrder(w.Handle()), greyed);
    SendMessageW(w.Item(IDC_SHOW_MODBUS), BM_CLICK, 0, 0);
    EXPECT_EQ(TabOrder(w.Handle()), order);
    SendMessageW(w.Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(w.Ended()) << "log-off ends the window as Quit does, before the message returns";
  });
}

// The program's dialogs are pictured into the build tree. Where the machine names none of its
// ports (as wine does) Port Setup has no device line and keeps its 172 x 95 units.
TEST(Win32ProgramDialogs, ArePicturedPortSetupWithTheDeviceLineOnlyWhereThePortsAreNamed) {
  const bool named = MachinePortProvider().DescribesPorts();
  CPortSetupDlg setup;
  CAboutDlg about;
  CHelpDlg help;
  std::filesystem::create_directories(R742_ARTIFACT_DIR);
  const std::string missing = std::string(R742_ARTIFACT_DIR) + "/no-such-folder";
  for (CDialog* dialog : std::initializer_list<CDialog*>{&setup, &about, &help}) {
    const DialogTemplate& t = dialog->Template();
    SCOPED_TRACE(t.caption);
    Win32Driver driver;
    driver.Run(*dialog, [&](Win32Window& w) {
      EXPECT_EQ(w.Item(IDC_PORT_DEVICE) != nullptr, dialog == &setup && named);
      std::string error;
      const std::string picture = std::string(R742_ARTIFACT_DIR) + "/win32_dialog_" + std::to_string(t.id) + ".bmp";
      EXPECT_TRUE(WriteWindowBitmap(w.Handle(), picture, error)) << error;
      // A picture that cannot be written says why, and no folder is made for it.
      for (const std::string& refused : {missing + "/x.bmp", std::string(R742_ARTIFACT_DIR)}) {
        error.clear();
        EXPECT_FALSE(WriteWindowBitmap(w.Handle(), refused, error)) << refused;
        EXPECT_FALSE(error.empty()) << refused;
      }
      w.EndDialog(kIdCancel);
    });
  }
  EXPECT_EQ(std::pair(setup.Template().width, setup.Template().height), std::pair(172, named ? 128 : 95));
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(Win32ProgramDialogs, FindNodeIsPicturedMidScanWithTheNodesFound) {
  TwoNodeLine com1;
  com1.HoldMidScan(std::chrono::milliseconds(5000));
  CFindNodeDlg find(com1.clock);
  Win32Driver driver;
  driver.Run(find, [&](Win32Window& w) {
    driver.Click(IDC_FIND_START);
    EXPECT_TRUE(driver.WaitUntil(
        [&] {
          return w.GetProgress(IDC_FIND_PROGRESS) > 30 &&
                 w.GetText(IDC_FIND_STATUS).find("found 2") != std::string::npos;
        },
        4000))
        << w.GetText(IDC_FIND_STATUS);
    EXPECT_EQ(w.GetRowText(IDC_FIND_LIST, 1), "COM1  9600 E 8 2  node 7  order 0  3ph 3Wire 400.0 V");
    RedrawWindow(w.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);  // rows just added
    std::string error;
    EXPECT_TRUE(WriteWindowBitmap(w.Handle(), std::string(R742_ARTIFACT_DIR) + "/win32_find_node.bmp", error)) << error;
    com1.clock.held = false;
    w.EndDialog(kIdCancel);
  });
}

}  // namespace
}  // namespace r742::test
