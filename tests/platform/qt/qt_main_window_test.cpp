// The program's windows on the Qt backend, each run modally and pictured.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "platform/qt/program_icon.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_window.h"
#include "support/memory_line.h"
#include "support/two_node_line.h"
#include "ui/about_dlg.h"
#include "ui/find_node_dlg.h"
#include "ui/outputs_dlg.h"
#include "ui/port_setup_dlg.h"
#include "ui/resource.h"
#include "ui/templates.h"

namespace r742::test {
namespace {

// Runs `dlg` modally, lets `inspect` look at its running window, then pictures
// it to <artifacts>/<picture> and closes it as its close box does. Checks the
// run ended as cancelled, the program said where the picture went, and returns its size.
QSize RunPictured(CDialog& dlg, const std::string& picture, std::function<void(QtWindow&)> inspect,
                  int settleLimitMs = QtPlatform::kDefaultSettleLimitMs) {
  const std::string path = std::string(R742_ARTIFACT_DIR) + "/" + picture;
  std::filesystem::create_directories(R742_ARTIFACT_DIR);
  QtPlatform platform;
  PlatformScope scope(platform);
  platform.RequestScreenshot(path, 200, true, settleLimitMs);
  QTimer::singleShot(0, [&] {
    QtWindow* w = platform.ActiveWindow();
    ASSERT_NE(w, nullptr);
    inspect(*w);
  });
  testing::internal::CaptureStdout();
  EXPECT_EQ(dlg.DoModal(), kIdCancel);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Window picture written to " + path + "\n");
  return QImage(QString::fromStdString(path)).size();
}

TEST(QtMainWindow, EveryControlIsBuiltAtItsRectangleAndTheRunningWindowIsPictured) {
  const DialogTemplate& tmpl = MainDialogTemplate();
  COutputsDlg dlg;
  const QSize picture = RunPictured(dlg, "main_window.png", [&](QtWindow& w) {
    QStringList labels;  // the unnamed labels are found by their text
    for (const QLabel* label : w.findChildren<QLabel*>()) labels << label->text();
    for (const ControlTemplate& c : tmpl.controls) {
      SCOPED_TRACE(c.text + " " + std::to_string(c.id));
      if (c.id == -1) {
        EXPECT_TRUE(c.kind != ControlKind::Static || labels.contains(QString::fromStdString(c.text)));
        continue;
      }
      const PixelRect px = DluToPixels(c.rect);
      const int h = c.kind == ControlKind::ComboBox ? DluToPixelsY(kClosedComboHeightDlu) : px.h;
      ASSERT_TRUE(w.Exists(c.id));
      EXPECT_EQ(w.Widget(c.id)->geometry(), QRect(px.x, px.y, px.w, h));
      // Captions as the user sees them, the access key's '&' included.
      if (c.kind == ControlKind::PushButton || c.kind == ControlKind::CheckBox || c.kind == ControlKind::GroupBox) {
        EXPECT_EQ(w.GetText(c.id), c.text);
      }
    }
    // The channel frames come after the boxes they hold, yet the boxes take the clicks.
    EXPECT_EQ(w.childAt(w.Widget(IDC_CH3_OFFSET)->geometry().center()), w.Widget(IDC_CH3_OFFSET));
    // Ctrl+click on the selected row leaves it selected, as a single-selection list box does.
    auto* list = qobject_cast<QListWidget*>(w.Widget(IDC_AVAILABLE_LIST));
    const QPoint row = list->visualItemRect(list->item(3)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, row);
    EXPECT_EQ(list->selectedItems(), QList{list->item(3)});
    EXPECT_EQ(w.GetCurSel(IDC_AVAILABLE_LIST), 3);
    // The picture shows a frequency channel: the user picks "kW Sum" and "Hz" and presses ">>" for each.
    for (int pick : {15, 36}) {
      list->setCurrentRow(pick);
      QTest::mouseClick(w.Widget(IDC_ADD), Qt::LeftButton);
    }
    EXPECT_EQ(w.GetRowText(IDC_CHANNEL_LIST, 1) + ' ' + w.GetText(IDC_CH2_GROUP), "Hz CH2-Hz");
  });
  EXPECT_EQ(picture, QSize(DluToPixelsX(tmpl.width), DluToPixelsY(tmpl.height)));
}

TEST(QtMainWindow, AboutBoxHelpAndPortSetupArePictured) {
  QApplication::setWindowIcon(ProgramIcon());
  CAboutDlg about;
  EXPECT_FALSE(RunPictured(about, "about_box.png", [](QtWindow&) {}).isEmpty());

  CHelpDlg help;
  int needed = 0, available = 0;
  RunPictured(help, "help_window.png", [&](QtWindow& w) {
    auto* label = qobject_cast<QLabel*>(w.Widget(IDC_HELP_TEXT));
    ASSERT_NE(label, nullptr);
    needed = label->heightForWidth(label->width());
    available = label->height();
  });
  EXPECT_GT(needed, 0);
  EXPECT_LE(needed, available) << "the help text fits its window";

  MemoryLine com2{[] { return std::int64_t{0}; }}, com5{[] { return std::int64_t{0}; }};
  MemoryPortProvider ports;
  ports.Add("COM2", com2);
  ports.Add("COM5", com5);
  PortProviderScope portScope(ports);
  CPortSetupDlg setup;
  setup.m_strBaud = "38400";
  setup.m_strParity = "NONE";
  setup.m_strStopBits = "2";
  EXPECT_FALSE(RunPictured(setup, "port_setup.png", [](QtWindow&) {}).isEmpty());  // its texts: on the headless window
}

TEST(QtMainWindow, FindNodeIsPicturedMidScanWithTheNodesFound) {
  TwoNodeLine com1;
  com1.HoldMidScan(std::chrono::milliseconds(1500));
  CFindNodeDlg find(com1.clock);
  // Its timer runs while it scans: pictured after a second rather than once idle.
  RunPictured(
      find, "find_node.png", [](QtWindow& w) { QTest::mouseClick(w.Widget(IDC_FIND_START), Qt::LeftButton); }, 1000);
  EXPECT_EQ(find.m_chosen, std::nullopt);
}

}  // namespace
}  // namespace r742::test
