#include "app/qt/application_start.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace r742 {

namespace {

struct HeldMessage {
  QtMsgType type;
  QByteArray category;
  QString text;
};

std::vector<HeldMessage>* g_held = nullptr;

std::string Quoted(const char* variable) { return '"' + qEnvironmentVariable(variable).toStdString() + '"'; }

// What went wrong, as one line, from the environment the start was tried in.
std::string StartFailure(const QString& reason) {
  const std::string head = "r742-outputs: ";
  if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    return head + "cannot start the window system " + Quoted("QT_QPA_PLATFORM") + ": " +
           reason.section(QLatin1Char('\n'), 0, 0).toStdString();
  const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY"), wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (x11 && wayland)
    return head + "cannot open the display " + Quoted("DISPLAY") + " or " + Quoted("WAYLAND_DISPLAY") +
           "; unset DISPLAY and WAYLAND_DISPLAY to run offscreen";
  return head + "cannot open the display " + Quoted(x11 ? "DISPLAY" : "WAYLAND_DISPLAY") + "; unset " +
         (x11 ? "DISPLAY" : "WAYLAND_DISPLAY") + " to run offscreen";
}

void HoldStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    // Qt would abort next; its objects are half made, so nothing of them is torn down.
    // The first warning tells the cause ("could not connect to display"), if there is one.
    const std::string line = StartFailure(g_held->empty() ? text : g_held->front().text) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(nullptr);
    std::_Exit(1);
  }
  g_held->push_back({type, QByteArray(context.category), text});
}

}  // namespace

std::unique_ptr<QApplication> StartApplication(int& argc, char** argv) {
  std::vector<HeldMessage> held;
  g_held = &held;
  const QtMessageHandler previous = qInstallMessageHandler(&HoldStartMessage);
  auto app = std::make_unique<QApplication>(argc, argv);
  qInstallMessageHandler(previous);
  g_held = nullptr;
  // cppcheck-suppress knownEmptyContainer ; filled by the message handler during the construction
  for (const HeldMessage& m : held)
    qt_message_output(m.type, QMessageLogContext(nullptr, 0, nullptr, m.category.constData()), m.text);
  return app;
}

}  // namespace r742
