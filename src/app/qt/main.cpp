// r742-outputs: opens the main window. Without a display the window is drawn
// offscreen, pictured to a PNG once no operation runs any more (a Read started
// from the command line has shown "Ready") and closed again. SIGTERM, SIGINT
// and SIGHUP end the window as Quit does; the program then ends by that signal.
#include <QApplication>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <exception>
#include <iostream>
#include <memory>
#include <string>

#include "app/command_line.h"
#include "app/outputs_app.h"
#include "app/posix/quit_signals.h"
#include "app/qt/application_start.h"
#include "os/system_error.h"
#include "platform/platform.h"
#include "platform/qt/program_icon.h"
#include "platform/qt/qt_platform.h"

namespace {

// The window is pictured no earlier than this after it is shown, and no
// earlier than its timers have all stopped.
constexpr int kScreenshotDelayMs = 1500;
constexpr const char* kDefaultScreenshot = "r742-outputs.png";

bool HasDisplay() { return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"); }

// Runs the window; `quitSignal` is the signal that ended it, if one did.
int Run(int argc, char** argv, int& quitSignal) {
  // First, so that a signal while the program starts also ends it as Quit does, once the window runs.
  const int signalPipe = r742::InstallQuitSignals();
  if (signalPipe < 0)
    std::cerr << "r742-outputs: signals end the program at once: "
              << r742::SystemErrorText(static_cast<std::uint32_t>(errno)) << std::endl;

  const bool forcedOffscreen = !HasDisplay() && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
  if (forcedOffscreen) qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::string screenshot = qEnvironmentVariable("R742_SCREENSHOT").toStdString();

  // QApplication takes its own options out of argv; the rest is the program's command line.
  const std::unique_ptr<QApplication> app = r742::StartApplication(argc, argv);
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

  std::unique_ptr<QSocketNotifier> signalWatch;
  if (signalPipe >= 0) {
    signalWatch = std::make_unique<QSocketNotifier>(signalPipe, QSocketNotifier::Read);
    QObject::connect(signalWatch.get(), &QSocketNotifier::activated, [&] {
      if (const int signal = r742::TakeQuitSignal(); signal != 0 && quitSignal == 0) {
        quitSignal = signal;
        platform.RequestQuit();
      }
    });
  }

  try {
    r742::COutputsApp theApp;
    theApp.InitInstance(r742::JoinArguments(argc, argv));
  } catch (const std::exception& e) {
    std::cerr << "r742-outputs: " << e.what() << std::endl;
    return 1;
  }
  // A signal that came as the window closed by itself ends the program just the same.
  if (quitSignal == 0) quitSignal = r742::TakeQuitSignal();
  return platform.PictureFailed() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  int quitSignal = 0;
  const int status = Run(argc, argv, quitSignal);
  if (quitSignal != 0) r742::EndBySignal(quitSignal);
  return status;
}
