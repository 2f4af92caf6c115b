// Find Node, Open and Save Configuration in the main window on the headless
// backend: the scan runs on its own threads against a line of simulated nodes
// on the in-memory line, whose clock only the line's own reads move.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "model/param_catalogue.h"
#include "site/site_config.h"
#include "support/headless_platform.h"
#include "support/memory_line.h"
#include "support/two_node_line.h"
#include "ui/find_node_dlg.h"
#include "ui/outputs_dlg.h"
#include "ui/resource.h"
#include "ui/templates.h"

namespace r742 {
namespace {

class FindNodeTest : public ::testing::Test {
 protected:
  ~FindNodeTest() override { std::filesystem::remove_all(dir); }

  HeadlessWindow& OpenWindow(COutputsDlg& dialog) {
    dialog.m_pScanClock = &clock;
    return platform.Open(dialog);
  }
  // Lets the dialog's timer show the scan until it has ended, within a real-time deadline.
  bool AwaitScanEnd(HeadlessWindow& find) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (find.IsEnabled(IDC_FIND_STOP) && std::chrono::steady_clock::now() < deadline) {
      platform.Advance(kScanShowMs);
      std::this_thread::yield();
    }
    return !find.IsEnabled(IDC_FIND_STOP);
  }
  // Every control's text and rows, for comparing two windows.
  static std::string Shown(HeadlessWindow& w) {
    std::string all;
    for (const ControlTemplate& c : MainDialogTemplate().controls) {
      if (c.id < 0 || c.id == IDC_LOG_LIST) continue;
      all += std::to_string(c.id) + "=" + w.GetText(c.id) + ";";
      for (int row = 0; row < w.GetCount(c.id); ++row) all += w.GetRowText(c.id, row) + ",";
    }
    return all;
  }

  TwoNodeLine com1;  // outlives the windows, whose ports are its ends
  LineClock& clock = com1.clock;
  MemoryLine& line = com1.line;
  // The windows outlive the platform, which destroys those still open.
  COutputsDlg main, other;
  HeadlessPlatform platform;
  PlatformScope platformScope{platform};
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("r742-find-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
};

TEST_F(FindNodeTest, AFoundNodeIsUsedByTheNextRead) {
  HeadlessWindow& w = OpenWindow(main);
  platform.ScriptModal(IDD_FIND_NODE, [&](HeadlessWindow& find) {
    EXPECT_EQ(find.GetCheck(IDC_FIND_PORT1), 1);  // the free port, ticked
    find.Type(IDC_FIND_LAST_NODE, "8");
    find.Click(IDC_FIND_START);
    ASSERT_TRUE(AwaitScanEnd(find));
    EXPECT_EQ(find.GetProgress(IDC_FIND_PROGRESS), 100);
    ASSERT_EQ(find.GetCount(IDC_FIND_LIST), 2);
    EXPECT_EQ(find.GetRowText(IDC_FIND_LIST, 1), "COM1  9600 E 8 2  node 7  order 0  3ph 3Wire 400.0 V");
    find.SelectRow(IDC_FIND_LIST, 1);
    find.Click(kIdOk);
  });
  ASSERT_TRUE(w.PressShortcut('F'));
  EXPECT_FALSE(line.ProgramEndOpen());  // the dialog holds no port
  EXPECT_EQ(w.GetText(IDC_NODE), "7");
  EXPECT_EQ(w.GetCurSel(IDC_FLOAT_ORDER), 0);

  std::string baud, parity;
  platform.ScriptModal(IDD_PORT_SETUP, [&](HeadlessWindow& setup) {
    baud = setup.GetText(IDC_BAUD), parity = setup.GetText(IDC_PARITY);
    setup.Click(kIdOk);
  });
  w.Click(IDC_READ);
  ASSERT_TRUE(platform.AdvanceUntil([&] { return w.GetText(IDC_STATUS_RIGHT) == "Ready"; }, 10000));
  EXPECT_EQ(baud + " " + parity, "9600 EVEN");
  EXPECT_EQ(w.GetText(IDC_SYS_VOLTS) + " " + w.GetText(IDC_SYS_TYPE), "400.0 3ph 3Wire");
}

TEST_F(FindNodeTest, StopEndsTheScanAndQuitClosesTheWindowDuringOne) {
  HeadlessWindow& w = OpenWindow(main);
  platform.ScriptModal(IDD_FIND_NODE, [&](HeadlessWindow& find) {
    clock.held = true;
    find.Click(IDC_FIND_START);
    find.Click(IDC_FIND_STOP);
    clock.held = false;
    ASSERT_TRUE(AwaitScanEnd(find));
    EXPECT_EQ(find.GetText(IDC_FIND_STATUS).rfind("Stopped", 0), 0u) << find.GetText(IDC_FIND_STATUS);
    EXPECT_LT(find.GetProgress(IDC_FIND_PROGRESS), 100);
    find.Click(IDC_FIND_START);  // again, and the program is asked to quit meanwhile
    platform.RequestQuit();
  });
  w.ChooseSystemMenu(IDM_FIND_NODE);
  platform.Advance(1);
  EXPECT_TRUE(w.Ended());
  EXPECT_FALSE(line.ProgramEndOpen());
}

TEST_F(FindNodeTest, ASavedConfigurationOpensIntoAFreshWindowAsItWasAndIsSentABadOneChangesNothing) {
  std::filesystem::create_directories(dir);
  const std::string first = (dir / "first.json").string(), saved = (dir / "saved.json").string();
  SiteConfig config;
  config.channels = {ChannelConfig{"kW Sum", 120.0f, 20.0f}, ChannelConfig{"Hz", 50.0f, 5.0f}, ChannelConfig{}};
  config.node = 12;
  config.order = 1;
  std::string error;
  ASSERT_TRUE(SaveSiteConfig(first, config, error)) << error;

  HeadlessWindow& wa = OpenWindow(main);
  platform.ScriptFileDialog(first);
  wa.PressShortcut('O');
  EXPECT_EQ(wa.GetRowText(IDC_CHANNEL_LIST, 0), "kW Sum");
  EXPECT_EQ(wa.GetText(IDC_CH2_NOMINAL_LABEL) + "|" + wa.GetText(IDC_CH2_NOMINAL), "Centre Frequency Hz|50.0");
  platform.ScriptFileDialog(saved);
  wa.ChooseSystemMenu(IDM_SAVE_CONFIG);
  EXPECT_EQ(platform.FileDialogs().back().folder, dir.string());  // the last folder, remembered

  HeadlessWindow& wb = OpenWindow(other);
  platform.ScriptFileDialog(saved);
  wb.PressShortcut('O');
  EXPECT_EQ(Shown(wb), Shown(wa));
  EXPECT_TRUE(line.Written().empty());  // nothing went to a node, until Send
  wb.Type(IDC_NODE, "1");
  wb.SelectRow(IDC_FLOAT_ORDER, 2);
  platform.ScriptModal(IDD_PORT_SETUP, [](HeadlessWindow& setup) { setup.Click(kIdOk); });
  wb.Click(IDC_SEND);
  ASSERT_TRUE(platform.AdvanceUntil([&] { return wb.GetText(IDC_STATUS_RIGHT) == "Ready"; }, 20000));
  EXPECT_EQ(com1.nodes.Node(0).Value(13), float(GetParamCode("kW Sum")));
  EXPECT_EQ(com1.nodes.Node(0).Value(15), 20.0f);

  std::ofstream(saved) << "{\"format\": \"r742-outputs configuration\", \"version\": 2}";
  const std::string before = Shown(wb);
  platform.ScriptFileDialog(saved);
  wb.PressShortcut('O');
  ASSERT_FALSE(platform.MessageBoxes().empty());
  EXPECT_NE(platform.MessageBoxes().back().text.find("version: 2 is not supported"), std::string::npos);
  EXPECT_EQ(Shown(wb), before);
}

}  // namespace
}  // namespace r742
