// The modem lines and the transmitter of a terminal device, as the port uses
// them to switch RTS around a request. Tests put a recording stand-in here.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

namespace r742 {

class IControlLines {
 public:
  virtual ~IControlLines() = default;
  // The driver's RS-485 mode with RTS up while sending; false where it has none.
  virtual bool EnableRs485() = 0;
  // Puts back the RS-485 settings EnableRs485 found; nothing when it was not used.
  virtual void RestoreRs485() = 0;
  // False where the device has no modem lines (a pseudo-terminal).
  virtual bool SetRts(bool up) = 0;
  // Waits until the driver's output queue is empty.
  virtual bool Drain() = 0;
  // Whether the last bit has left the transmitter; nullopt where the driver cannot say.
  virtual std::optional<bool> TransmitterEmpty() = 0;
  virtual std::int64_t NowNs() = 0;
  virtual void PauseNs(std::int64_t ns) = 0;
};

// The control lines of the open terminal `fd` (which stays the caller's).
std::unique_ptr<IControlLines> TerminalControlLines(int fd);

}  // namespace r742
