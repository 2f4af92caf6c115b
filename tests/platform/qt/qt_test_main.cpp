// Runs the Qt backend tests. Listing them needs no display and no QApplication,
// so test discovery works on any build machine.
#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <cstring>

int main(int argc, char** argv) {
  const bool listing =
      std::any_of(argv + 1, argv + argc, [](const char* a) { return std::strncmp(a, "--gtest_list_tests", 18) == 0; });
  ::testing::InitGoogleTest(&argc, argv);
  if (listing) return RUN_ALL_TESTS();

  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
