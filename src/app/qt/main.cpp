// r742-outputs: opens the main window. Without a display the window is drawn
// offscreen, pictured to a PNG once no operation runs any more (a Read started
// from the command line has shown "Ready") and closed again.
#include <QApplication>
#include <QGuiApplication>
#include <exception>
#include <iostream>
#include <string>

#include "app/command_line.h"
#include "app/outputs_app.h"
#include "platform/platform.h"
#include "platform/qt/program_icon.h"
#include "platform/qt/qt_platform.h"

namespace {

// The window is pictured no earlier than this after it is shown, and no
// earlier than its timers have all stopped.
constexpr int kScreenshotDelayMs = 1500;
constexpr const char* kDefaultScreenshot = "r742-outputs.png";

bool HasDisplay() { return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"); }

}  // namespace

int main(int argc, char** argv) {
  const bool forcedOffscreen = !HasDisplay() && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
  if (forcedOffscreen) qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::string screenshot = qEnvironmentVariable("R742_SCREENSHOT").toStdString();

  // QApplication takes its own options out of argv; the rest is the program's command line.
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);  // the main window's modal run is the only loop
  QApplication::setWindowIcon(r742::ProgramIcon());

  r742::QtPlatform platform;
  if (forcedOffscreen) {
    std::cout << "No display: running offscreen; the window is pictured once idle and then closed." << std::endl;
    platform.RequestScreenshot(screenshot.empty() ? kDefaultScreenshot : screenshot, kScreenshotDelayMs, true);
  } else if (!screenshot.empty()) {
    // An offscreen window chosen by hand could never be closed by anyone: close it too.
    const bool offscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
    platform.RequestScreenshot(screenshot, kScreenshotDelayMs, offscreen);
  }
  r742::PlatformScope scope(platform);

  try {
    r742::COutputsApp theApp;
    theApp.InitInstance(r742::JoinArguments(argc, argv));
  } catch (const std::exception& e) {
    std::cerr << "r742-outputs: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}
