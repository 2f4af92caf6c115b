// RTS up while a request is sent and down once its last bit has left the
// line, as converters that take their direction from RTS expect: the driver's
// RS-485 mode where it has one, else by hand around a drained write.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "serial/posix/control_lines.h"
#include "serial/serial_port.h"

namespace r742 {

// The user's choice in R742_RTS (null when unset): "keep" in any case and
// with blanks around it leaves RTS as it is; an empty value is unset; any
// other value is named in `remark` and RTS is switched as usual.
struct RtsChoice {
  bool keep = false;
  std::string remark;
};
RtsChoice ReadRtsChoice(const char* value);

class RtsSwitch {
 public:
  explicit RtsSwitch(std::unique_ptr<IControlLines> lines) : lines_(std::move(lines)) {}

  // Chooses how RTS goes with these line settings: left alone when they ask
  // for no toggling or `keep` is set. Returns a remark for the user, or empty.
  std::string Configure(const LineSettings& settings, bool keep);
  // Runs `write` (true when all `length` bytes were accepted) with RTS as
  // chosen; RTS is down again when this returns, whatever `write` did.
  bool Send(std::uint32_t length, const std::function<bool()>& write);
  // Before the device is closed: the driver's RS-485 settings as they were.
  void Release() { lines_->RestoreRs485(); }

 private:
  void WaitUntilSent(std::int64_t startNs, std::uint32_t length);

  std::unique_ptr<IControlLines> lines_;
  bool byHand_ = false;           // RTS is switched here, not by the driver or not at all
  std::int64_t characterNs_ = 0;  // one character on the line, start and stop bits included
};

}  // namespace r742
