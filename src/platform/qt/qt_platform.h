// The Qt backend: runs each dialog modally in a QtWindow.
#pragma once

#include <chrono>
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
  void RequestQuit() override;

  // Once the next window to run has been shown for `delayMs` and none of its
  // timers runs (an operation under way keeps one running), writes a picture
  // of it to `pngPath`, says so on stdout and, with `closeAfter`, closes it as
  // its close box does (the dialog's OnCancel decides). A window still busy
  // `settleLimitMs` after the delay is pictured anyway, with a note on stderr.
  // A picture that cannot be written is said on stderr with the reason and
  // counted in PictureFailed().
  void RequestScreenshot(std::string pngPath, int delayMs, bool closeAfter, int settleLimitMs = kDefaultSettleLimitMs);

  static constexpr int kDefaultSettleLimitMs = 60'000;
  static constexpr int kSettlePollMs = 50;

  // The innermost running window, null when none runs.
  QtWindow* ActiveWindow() const { return running_.empty() ? nullptr : running_.back(); }
  bool PictureFailed() const { return pictureFailed_; }

 private:
  struct Screenshot {
    std::string path;
    int delayMs;
    bool closeAfter;
    int settleLimitMs;
  };
  void ArmScreenshot(QtWindow& window);
  void PictureWhenIdle(QtWindow& window, const Screenshot& shot, std::chrono::steady_clock::time_point giveUp);
  // Ends what nests in the outermost run; once nothing does, cancels it.
  void ContinueQuit();

  std::vector<QtWindow*> running_;
  int looping_ = 0;  // modal loops under way
  bool quitRequested_ = false;
  bool pictureFailed_ = false;
  std::optional<Screenshot> screenshot_;
};

// Writes a picture of `widget` to `pngPath`, creating no folder. Returns the
// absolute path written, or an empty string with the reason in `error`.
std::string WriteWidgetPicture(QWidget& widget, const std::string& pngPath, std::string& error);

}  // namespace r742
