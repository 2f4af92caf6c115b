// The window contract on the Qt window: QTest's mouse and key events on the
// widgets, and the event loop for time.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_window.h"
#include "platform/window_contract.h"
#include "qt_test_support.h"

namespace r742::test {
namespace {

class QtDriver : public QObject, public DriverRuns<QtWindow> {
 public:
  QtDriver() { qApp->installEventFilter(this); }
  ~QtDriver() override { qApp->removeEventFilter(this); }

  void Click(int id) { QTest::mouseClick(W().Widget(id), Qt::LeftButton); }
  void Type(int id, std::string_view text) { QTest::keyClicks(W().Widget(id), QString::fromUtf8(text)); }
  void SelectRow(int id, int row) {
    if (QListWidget* list = List(id)) {
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    } else if (auto* combo = qobject_cast<QComboBox*>(W().Widget(id))) {
      for (int n = 0; combo->currentIndex() != row && n < combo->count(); ++n)
        QTest::keyClick(combo, row > combo->currentIndex() ? Qt::Key_Down : Qt::Key_Up);
    }
  }
  void PressEnter(int focused) {
    W().Widget(focused)->setFocus();
    QTest::keyClick(W().Widget(focused), Qt::Key_Return);
  }
  void PressEscape() { QTest::keyClick(W().focusWidget() ? W().focusWidget() : &W(), Qt::Key_Escape); }
  void CloseBox() { W().close(); }
  void ChooseMenu(std::string_view text) {  // the window menu: a right click on the window's background
    for (QAction* action : W().actions())
      if (action->text() == QString::fromUtf8(text)) action->trigger();
  }
  void PressCtrl(int focused, char key) {  // keys reach the active window, as the user's focus is on it
    W().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&W(), 2000));
    W().Widget(focused)->setFocus();
    QTest::keyClick(W().Widget(focused), static_cast<Qt::Key>(Qt::Key_A + (key - 'A')), Qt::ControlModifier);
  }
  std::vector<std::string> MenuTexts() {
    std::vector<std::string> texts;
    for (QAction* action : W().actions()) texts.push_back(action->text().toStdString());
    return texts;
  }
  // Looks for the file dialog as the active modal window every few milliseconds until it shows.
  void OnFileDialog(FileAct act, const std::string& path) {
    auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) {
      QTimer::singleShot(5, this, [this, act, path] { OnFileDialog(act, path); });
    } else if (act == FileAct::Confirm) {
      auto* name = box->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      ASSERT_TRUE(name);
      name->setText(QString::fromStdString(path));
      QTest::keyClick(name, Qt::Key_Return);
    } else if (act == FileAct::Escape) {
      QTest::keyClick(box, Qt::Key_Escape);
    } else {
      CurrentPlatform()->RequestQuit();
    }
  }
  std::string Text(int id) { return W().Widget(id)->property("text").toString().toStdString(); }
  int Highlighted(int id) {
    if (auto* combo = qobject_cast<QComboBox*>(W().Widget(id))) return combo->currentIndex();
    return List(id)->selectedItems().isEmpty() ? kLbErr : List(id)->row(List(id)->selectedItems().front());
  }
  bool RowInView(int id, int row) {
    return List(id)->viewport()->rect().intersects(List(id)->visualItemRect(List(id)->item(row)));
  }
  bool Visible() { return W().isVisible(); }
  bool WaitUntil(const std::function<bool()>& done, int ms) { return test::WaitUntil(done, ms); }
  bool OwnedAndBlocked(IWindow& inner, IWindow& outer) {
    auto* window = dynamic_cast<QtWindow*>(&inner);
    return window->parentWidget() == dynamic_cast<QtWindow*>(&outer) && QApplication::activeModalWidget() == window;
  }

 private:
  QListWidget* List(int id) { return qobject_cast<QListWidget*>(W().Widget(id)); }
  // The window of the run in progress shows; the test acts once its run handles events.
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* window = event->type() == QEvent::Show ? dynamic_cast<QtWindow*>(object) : nullptr;
    if (!window || !Pending()) return false;
    ++shows_;
    QTimer::singleShot(0, window, [this, window] { Shown(*window); });
    return false;
  }

  QtPlatform platform_;
  PlatformScope scope_{platform_};
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, WindowContract, QtDriver);

}  // namespace
}  // namespace r742::test
