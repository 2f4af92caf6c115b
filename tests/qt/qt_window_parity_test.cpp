// The Qt window answers every program call on rows, selection and text as
// the headless window does: the dialog code is tested on the headless one.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/headless/headless_platform.h"
#include "qt_test_support.h"

namespace r742::test {
namespace {

// One program call on box `id`; its result is compared together with the box's state after it.
using Step = std::function<int(IWindow&, int id)>;

std::string ResultAndState(IWindow& w, int id, const Step& step) {
  std::ostringstream out;
  out << step(w, id) << " count=" << w.GetCount(id) << " sel=" << w.GetCurSel(id) << " text=" << w.GetText(id)
      << " rows=";
  for (int row = 0; row < w.GetCount(id); ++row) out << w.GetRowText(id, row) << '|';
  return out.str();
}

const std::vector<Step> kScript = {
    [](IWindow& w, int id) { return w.AddString(id, "Volts L1"); },
    [](IWindow& w, int id) { return w.InsertString(id, 0, "watts"); },
    [](IWindow& w, int id) { return w.InsertString(id, -1, "Volts L2"); },
    [](IWindow& w, int id) { return w.InsertString(id, 9, "beyond"); },
    [](IWindow& w, int id) { return w.SetCurSel(id, 2); },
    [](IWindow& w, int id) { return w.InsertString(id, 1, "Hz"); },  // the selection moves down
    [](IWindow& w, int id) { return w.DeleteString(id, 0); },        // and up again
    [](IWindow& w, int id) { return w.DeleteString(id, 1); },        // the selected row goes
    [](IWindow& w, int id) { return w.DeleteString(id, 7); },
    [](IWindow& w, int id) { return w.SetCurSel(id, 1); },
    [](IWindow& w, int id) { return w.SetCurSel(id, 5); },  // out of range clears
    [](IWindow& w, int id) { return w.FindStringPrefix(id, -1, "VOLTS"); },
    [](IWindow& w, int id) { return w.FindStringPrefix(id, 0, "volts"); },
    [](IWindow& w, int id) { return w.FindStringPrefix(id, 2, "hz"); },  // wraps to the top
    [](IWindow& w, int id) { return w.FindStringPrefix(id, -1, "kvar"); },
    [](IWindow& w, int id) { return static_cast<int>(w.GetRowText(id, 9).size()); },
    [](IWindow& w, int id) { return (w.ResetContent(id), w.AddString(id, "again")); },
};

class QtWindowParity : public ::testing::Test {
 protected:
  RecordingDialog headlessDlg, qtDlg;
  HeadlessPlatform headless;  // destroyed before the dialogs: it closes its window on its dialog
  IWindow& expected = headless.Open(headlessDlg);
  ShownWindow actual{qtDlg};

  void ExpectSameAnswers(int id) {
    for (std::size_t i = 0; i < kScript.size(); ++i)
      EXPECT_EQ(ResultAndState(*actual, id, kScript[i]), ResultAndState(expected, id, kScript[i])) << "step " << i;
    EXPECT_EQ(qtDlg.notes, headlessDlg.notes);  // none: every step is the program's
  }
};

TEST_F(QtWindowParity, ListBox) { ExpectSameAnswers(kList); }
TEST_F(QtWindowParity, NoSelectionListBox) { ExpectSameAnswers(kLogList); }
TEST_F(QtWindowParity, ComboBox) { ExpectSameAnswers(kCombo); }

}  // namespace
}  // namespace r742::test
