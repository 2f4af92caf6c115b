// The Win32 backend: runs each dialog as a modal dialog box made from its template.
#pragma once

#include <functional>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_window.h"

namespace r742 {

class Win32Platform final : public IPlatform {
 public:
  // Creates the dialog box (owned by the window of the run it is nested in,
  // if any), runs OnInitDialog, then the modal loop unless the dialog already
  // ended. A run that ends without EndDialog, or a dialog box the platform
  // could not create, gives kIdCancel.
  int RunModal(CDialog& dialog) override;
  // Also what the session's end (WM_ENDSESSION) does; there the outermost
  // window is cancelled before the message returns unless a nested run or
  // message box is open, which cannot end before it returns.
  void RequestQuit() override;

  // The innermost running window, null when none runs.
  Win32Window* ActiveWindow() const { return running_.empty() ? nullptr : running_.back(); }
  int Depth() const { return static_cast<int>(running_.size()); }

  // Called with each window once its dialog is initialised, before it shows.
  std::function<void(Win32Window&)> onShown;

 private:
  // Ends what nests in the outermost run; once nothing does, cancels it.
  void ContinueQuit();
  // Presses OK in the thread's message boxes; false if there was none.
  bool CloseMessageBoxes() const;

  std::vector<Win32Window*> running_;
  bool quitRequested_ = false;
};

}  // namespace r742
