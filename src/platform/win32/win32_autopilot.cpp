#include "platform/win32/win32_autopilot.h"

#include <iostream>
#include <memory>
#include <sstream>

#include "os/win32/utf16_text.h"
#include "platform/win32/win32_picture.h"

namespace r742 {

namespace {

constexpr unsigned kPollMs = 50;

struct Autopilot {
  Win32Platform& platform;
  AutopilotPlan plan;
  std::shared_ptr<AutopilotOutcome> outcome = std::make_shared<AutopilotOutcome>();
  std::size_t pressed = 0;
  ULONGLONG giveUp = 0;
  bool acting = false;

  void Tick(Win32Window& w) {
    if (acting) return;  // a press that opened a nested run is still under way
    SetTimer(w.Handle(), Win32Window::kHookTimerId, kPollMs, nullptr);
    const bool busy =
        !IsWindowVisible(w.Handle()) || w.AnyTimerRunning() || w.InMessageBox() || platform.ActiveWindow() != &w;
    if (busy && GetTickCount64() < giveUp) return;
    if (busy) std::cerr << "The window was still busy after " << plan.settleLimitMs << " ms: going on anyway\n";
    giveUp = GetTickCount64() + plan.settleLimitMs;
    acting = true;
    if (pressed < plan.presses.size())
      Press(w, plan.presses[pressed++]);
    else
      Finish(w);
    acting = false;
  }

  // A check box is pressed as a click does: it toggles, then its handler runs.
  static void Press(const Win32Window& w, const std::string& caption) {
    for (const ControlTemplate& c : w.Dialog().Template().controls)
      if ((c.kind == ControlKind::PushButton || c.kind == ControlKind::CheckBox) &&
          WithoutMnemonic(c.text) == caption) {
        std::cout << "Pressing " << caption << std::endl;
        SendMessageW(w.Item(c.id), BM_CLICK, 0, 0);
        return;
      }
    std::cerr << "No button or check box " << caption << '\n';
  }

  void Finish(const Win32Window& w) const {
    KillTimer(w.Handle(), Win32Window::kHookTimerId);
    std::string error;
    if (!plan.bitmapPath.empty()) {
      if (WriteWindowBitmap(w.Handle(), plan.bitmapPath, error))
        std::cout << "Window picture written to " << plan.bitmapPath << std::endl;
      else
        Failed("the window picture", plan.bitmapPath, error);
    }
    if (!plan.textsPath.empty()) {
      const std::string texts = ControlTexts(w);
      if (WriteWholeFile(plan.textsPath, texts.data(), texts.size(), error))
        std::cout << "Control texts written to " << plan.textsPath << std::endl;
      else
        Failed("the control texts", plan.textsPath, error);
    }
    PostMessageW(w.Handle(), WM_CLOSE, 0, 0);
  }

  void Failed(const char* what, const std::string& path, const std::string& error) const {
    std::cerr << "Could not write " << what << " to " << path << ": " << error << std::endl;
    outcome->writeFailed = true;
  }
};

}  // namespace

std::shared_ptr<const AutopilotOutcome> ArmAutopilot(Win32Platform& platform, AutopilotPlan plan) {
  auto pilot = std::make_shared<Autopilot>(Autopilot{platform, std::move(plan)});
  platform.onShown = [pilot](Win32Window& w) {
    pilot->platform.onShown = nullptr;  // only the first window; `pilot` lives on in the window's hook
    pilot->giveUp = GetTickCount64() + pilot->plan.delayMs + pilot->plan.settleLimitMs;
    w.onHookTick = [pilot](Win32Window& window) { pilot->Tick(window); };
    SetTimer(w.Handle(), Win32Window::kHookTimerId, pilot->plan.delayMs, nullptr);
  };
  return pilot->outcome;
}

std::vector<std::string> SplitPresses(const std::string& list) {
  std::vector<std::string> presses;
  std::stringstream in(list);
  for (std::string caption; std::getline(in, caption, ',');)
    if (!caption.empty()) presses.push_back(caption);
  return presses;
}

}  // namespace r742
