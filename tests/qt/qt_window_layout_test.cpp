// The window built from a template: controls, texts, geometry, frame.
#include <gtest/gtest.h>

#include <QLabel>

#include "qt_test_support.h"

namespace r742::test {
namespace {

TEST(QtWindowLayout, ControlsStandAtTheirTemplateRectanglesWithTheirTexts) {
  RecordingDialog dlg;
  ShownWindow w(dlg);
  EXPECT_EQ(w->size(), QSize(DluToPixelsX(200), DluToPixelsY(150)));
  EXPECT_EQ(w->minimumSize(), w->maximumSize());
  EXPECT_EQ(w->GetText(0), "Test Window");
  for (const ControlTemplate& c : TestTemplate().controls) {
    if (c.id == -1) continue;
    SCOPED_TRACE(c.id);
    const PixelRect px = DluToPixels(c.rect);
    const bool combo = c.kind == ControlKind::ComboBox;
    ASSERT_TRUE(w->Exists(c.id));
    EXPECT_EQ(w->Widget(c.id)->geometry(), QRect(px.x, px.y, px.w, combo ? DluToPixelsY(kClosedComboHeightDlu) : px.h));
    EXPECT_EQ(w->GetText(c.id), combo ? "" : c.text);
  }
  EXPECT_FALSE(w->Exists(-1));  // drawn, but not addressable
  int unnamed = 0;
  for (QLabel* label : w->findChildren<QLabel*>()) unnamed += label->text() == "Unnamed";
  EXPECT_EQ(unnamed, 1);

  // A static keeps its caption as set and shows it without the mnemonic '&'.
  w->SetText(kLabel, "A && B &now");
  EXPECT_EQ(w->GetText(kLabel), "A && B &now");
  EXPECT_EQ(w.Widget<QLabel>(kLabel)->text(), "A & B now");
  // The group box comes after the edit it frames, yet the edit takes the click.
  EXPECT_EQ(w->childAt(w->Widget(kEdit)->geometry().center()), w->Widget(kEdit));
}

}  // namespace
}  // namespace r742::test
