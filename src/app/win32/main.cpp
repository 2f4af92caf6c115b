// r742-outputs for Windows: opens the main window. With R742_SCREENSHOT (a
// BMP path), R742_TEXTS (a text path) or R742_PRESS (captions of buttons and
// check boxes, comma separated) the window runs by itself: once shown and idle
// it presses them in turn, writes the picture and the control texts, and closes
// (exit status 1 if one of them could not be written). Log-off and shut-down
// (WM_ENDSESSION) end the window as Quit does.
#include <exception>
#include <iostream>
#include <memory>
#include <string>

#include "app/command_line.h"
#include "app/outputs_app.h"
#include "os/win32/utf16_text.h"
#include "os/win32/windows_api.h"
#include "platform/win32/win32_autopilot.h"

namespace {

std::string Environment(const wchar_t* name) {
  std::wstring value(32768, L'\0');  // the platform's limit for one variable
  const DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
  value.resize(length < value.size() ? length : 0);
  return r742::Narrow(value);
}

// The command line after the program's name, in UTF-8, exactly as typed: the
// tokeniser's rule that every single blank ends a token needs the blanks as they are.
std::string Arguments() {
  const std::string whole = r742::Narrow(GetCommandLineW());
  return std::string(r742::ArgumentsAfterProgramName(whole));
}

}  // namespace

int main() {
  r742::Win32Platform platform;
  r742::AutopilotPlan plan{Environment(L"R742_SCREENSHOT"), Environment(L"R742_TEXTS"),
                           r742::SplitPresses(Environment(L"R742_PRESS"))};
  std::shared_ptr<const r742::AutopilotOutcome> autopilot;
  if (!plan.bitmapPath.empty() || !plan.textsPath.empty() || !plan.presses.empty())
    autopilot = r742::ArmAutopilot(platform, std::move(plan));
  r742::PlatformScope scope(platform);

  try {
    r742::COutputsApp theApp;
    theApp.InitInstance(Arguments());
  } catch (const std::exception& e) {
    std::cerr << "r742-outputs: " << e.what() << std::endl;
    return 1;
  }
  return autopilot && autopilot->writeFailed ? 1 : 0;
}
