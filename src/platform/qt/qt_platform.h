// The Qt backend: runs each dialog modally in a QtWindow.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/platform.h"

class QWidget;

namespace r742 {

class QtWindow;

class QtPlatform final : public IPlatform {
 public:
  QtPlatform();
  ~QtPlatform() override;
  QtPlatform(const QtPlatform&) = delete;
  QtPlatform& operator=(const QtPlatform&) = delete;

  // Creates the window (owned by the window of the run it is nested in, if
  // any), runs OnInitDialog, then the modal loop unless the dialog already
  // ended, and finally OnDestroy. A run that ends without EndDialog gives kIdCancel.
  int RunModal(CDialog& dialog) override;

  // Once the next window to run has been shown for `delayMs` and none of its
  // timers runs (an operation under way keeps one running), writes a picture
  // of it to `pngPath`, says so on stdout and, with `closeAfter`, closes it as
  // its close box does (the dialog's OnCancel decides). A window still busy
  // `settleLimitMs` after the delay is pictured anyway, with a note on stderr.
  void RequestScreenshot(std::string pngPath, int delayMs, bool closeAfter, int settleLimitMs = kDefaultSettleLimitMs);

  static constexpr int kDefaultSettleLimitMs = 60'000;
  static constexpr int kSettlePollMs = 50;

  // The innermost running window, null when none runs.
  QtWindow* ActiveWindow() const { return running_.empty() ? nullptr : running_.back(); }

 private:
  struct Screenshot {
    std::string path;
    int delayMs;
    bool closeAfter;
    int settleLimitMs;
  };
  void ArmScreenshot(QtWindow& window);

  std::vector<QtWindow*> running_;
  std::optional<Screenshot> screenshot_;
};

// Writes a picture of `widget` to `pngPath` (made absolute) and returns the
// absolute path, or an empty string if it could not be written.
std::string WriteWidgetPicture(QWidget& widget, const std::string& pngPath);

}  // namespace r742
