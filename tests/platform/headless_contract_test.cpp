// The window contract on the headless window: its user actions, and the
// virtual clock for time. It has no focus, no owners and draws nothing.
#include "platform/window_contract.h"

namespace r742::test {
namespace {

class HeadlessDriver : public DriverRuns<HeadlessWindow> {
 public:
  int Run(CDialog& dialog, Body whileShown) {
    // A run that ends while it initialises leaves its script unused: any script serves the run in progress.
    platform_.ScriptModal(dialog.IDD(), [this](HeadlessWindow& w) {
      if (!Pending()) return;
      ++shows_;
      Shown(w);
      platform_.AdvanceUntil([&] { return w.Ended(); }, 60'000);  // the modal loop: time goes on until the run ends
    });
    return DriverRuns::Run(dialog, std::move(whileShown));
  }
  void Click(int id) { W().Click(id); }
  void Type(int id, std::string_view text) {
    for (char ch : text) W().Type(id, W().GetText(id) + ch);
  }
  void SelectRow(int id, int row) { W().SelectRow(id, row); }
  void PressEnter(int focused) {  // on a focused push button Enter is its click
    if (Control(focused).kind != ControlKind::PushButton || !W().Click(focused)) W().PressEnter();
  }
  void PressEscape() { W().PressEscape(); }
  void CloseBox() { W().PressEscape(); }
  void ChooseMenu(std::string_view text) {
    for (const auto& entry : W().SystemMenu())
      if (entry.text == text) W().ChooseSystemMenu(entry.commandId);
  }
  void PressCtrl(int, char key) { W().PressShortcut(key); }
  std::vector<std::string> MenuTexts() {
    std::vector<std::string> texts;
    for (const auto& entry : W().SystemMenu()) texts.push_back(entry.text);
    return texts;
  }
  void OnFileDialog(FileAct act, const std::string& path) {
    if (act == FileAct::Quit)
      platform_.ScriptFileDialog([this, path]() -> std::optional<std::string> {
        platform_.RequestQuit();
        return path;  // the dialog closes with nothing chosen, whatever was typed
      });
    else
      platform_.ScriptFileDialog(act == FileAct::Confirm ? std::optional(path) : std::nullopt);
  }
  std::string Text(int id) { return W().GetText(id); }
  int Highlighted(int id) { return Control(id).style & kNoSelection ? kLbErr : W().GetCurSel(id); }
  bool RowInView(int, int) { return true; }
  bool Visible() { return !W().Ended(); }
  bool WaitUntil(const std::function<bool()>& done, unsigned ms) { return platform_.AdvanceUntil(done, ms); }
  bool OwnedAndBlocked(IWindow&, IWindow&) { return true; }

 private:
  const ControlTemplate& Control(int id) { return *W().Dialog().Template().Find(id); }

  HeadlessPlatform platform_;
  PlatformScope scope_{platform_};
};

INSTANTIATE_TYPED_TEST_SUITE_P(Headless, WindowContract, HeadlessDriver);

}  // namespace
}  // namespace r742::test
