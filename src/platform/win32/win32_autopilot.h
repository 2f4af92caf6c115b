// Runs the program's first window without anyone at it: once it is shown and
// idle (no timer of an operation runs, no nested dialog or message box is
// open), presses the named buttons and check boxes one after the other, each
// time waiting for idle again, then writes a picture and a list of the control
// texts, and closes the window as its close box does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace r742 {

struct AutopilotPlan {
  std::string bitmapPath;            // none when empty
  std::string textsPath;             // none when empty
  std::vector<std::string> presses;  // button and check box captions, '&' left out
  unsigned delayMs = 1500;           // after showing, before the first look
  unsigned settleLimitMs = 60'000;   // a window busy this long is taken as idle, with a note
};

struct AutopilotOutcome {
  bool writeFailed = false;  // the picture or the texts could not be written (said on stderr)
};

// Arms the plan for the next window `platform` shows; the outcome is known once it has closed.
std::shared_ptr<const AutopilotOutcome> ArmAutopilot(Win32Platform& platform, AutopilotPlan plan);

// Captions separated by commas: "Send,Release".
std::vector<std::string> SplitPresses(const std::string& list);

}  // namespace r742
