// The program's own windows on the real Win32 dialog manager.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/win32/win32_picture.h"
#include "ui/outputs_dlg.h"
#include "ui/port_setup_dlg.h"
#include "ui/resource.h"
#include "win32_driver.h"

namespace r742::test {
namespace {

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

// Where the machine names none of its ports (as wine does) the dialog has no
// device line and keeps its 172 x 95 units; pictured.
TEST(Win32PortSetup, TheMachinesPortsGetTheDeviceLineOnlyWhereTheyAreNamed) {
  const bool named = MachinePortProvider().DescribesPorts();
  Win32Driver driver;
  CPortSetupDlg setup;
  driver.Run(setup, [&](Win32Window& w) {
    RECT size{0, 0, 172, named ? 128 : 95}, client{};
    MapDialogRect(w.Handle(), &size);
    GetClientRect(w.Handle(), &client);
    EXPECT_TRUE(EqualRect(&client, &size)) << client.right << 'x' << client.bottom;
    EXPECT_EQ(w.Item(IDC_PORT_DEVICE) != nullptr, named);
    std::filesystem::create_directories(R742_ARTIFACT_DIR);
    std::string error;
    EXPECT_TRUE(WriteWindowBitmap(w.Handle(), std::string(R742_ARTIFACT_DIR) + "/win32_dialog_131_machine.bmp", error))
        << error;
    // A picture that cannot be written says why, and no folder is made for it.
    const std::string missing = std::string(R742_ARTIFACT_DIR) + "/no-such-folder";
    for (const std::string& refused : {missing + "/x.bmp", std::string(R742_ARTIFACT_DIR)}) {
      error.clear();
      EXPECT_FALSE(WriteWindowBitmap(w.Handle(), refused, error)) << refused;
      EXPECT_FALSE(error.empty()) << refused;
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
    w.EndDialog(kIdCancel);
  });
}

}  // namespace
}  // namespace r742::test
