// Modal runs on the Qt backend: ending early, failing, nesting.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "platform/qt/qt_platform.h"
#include "qt_test_support.h"

namespace r742::test {
namespace {

class QtPlatformTest : public ::testing::Test {
 protected:
  // Runs `f` inside the modal loop of the next run.
  static void Later(std::function<void()> f) { QTimer::singleShot(0, std::move(f)); }

  QtPlatform platform;
  PlatformScope scope{platform};
};

// Counts windows of ours being shown.
struct ShowCounter : QObject {
  int shows = 0;
  ShowCounter() { qApp->installEventFilter(this); }
  ~ShowCounter() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* o, QEvent* e) override {
    shows += e->type() == QEvent::Show && dynamic_cast<QtWindow*>(o) != nullptr;
    return false;
  }
};

TEST_F(QtPlatformTest, EndDialogDuringInitReturnsItsResultWithoutShowing) {
  ShowCounter counter;
  RecordingDialog dlg;
  dlg.onInit = [&] { dlg.EndDialog(42); };
  EXPECT_EQ(dlg.DoModal(), 42);
  EXPECT_EQ(counter.shows, 0);
  EXPECT_EQ(dlg.destroys, 1);
  EXPECT_FALSE(dlg.HasWindow());

  RecordingDialog failing;
  failing.onInit = [] { throw std::runtime_error("no port"); };  // must not unwind into Qt
  EXPECT_EQ(failing.DoModal(), kIdCancel);
  EXPECT_EQ(counter.shows, 0);
  EXPECT_EQ(failing.destroys, 1);
}

TEST_F(QtPlatformTest, NestedRunOwnedByTheOuterWindowReturnsToTheOuterHandler) {
  RecordingDialog outer, inner;
  QWidget* innerParent = nullptr;
  QtWindow* outerWindow = nullptr;
  int innerResult = 0;
  outer.onInit = [&] {
    Later([&] {
      outerWindow = platform.ActiveWindow();
      QTest::mouseClick(outerWindow->Widget(kButton), Qt::LeftButton);
    });
  };
  outer.onNote = [&](int, Notify) {
    innerResult = inner.DoModal();
    outer.EndDialog(7);
  };
  inner.onInit = [&] {
    Later([&] {
      innerParent = platform.ActiveWindow()->parentWidget();
      QTest::keyClick(platform.ActiveWindow(), Qt::Key_Escape);
    });
  };
  EXPECT_EQ(outer.DoModal(), 7);
  EXPECT_EQ(innerResult, kIdCancel);
  EXPECT_EQ(innerParent, outerWindow);
  EXPECT_EQ(inner.destroys, 1);
  EXPECT_EQ(outer.destroys, 1);
  EXPECT_EQ(platform.ActiveWindow(), nullptr);
}

}  // namespace
}  // namespace r742::test
