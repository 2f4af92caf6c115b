// The serial port the program talks to the node through, in the shape of the
// platform's communication calls: exclusive open by name, queue sizes, line
// settings, read time-outs, blocking write and read, error clearing, close.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/system_error.h"

namespace r742 {

// The line setting a port takes as it is: the parts of the device-control
// block the program sets.
struct LineSettings {
  std::uint32_t baud = 0;
  char parity = 'N';          // 'N', 'O' or 'E'; where the system has them also 'M' (mark) and 'S' (space)
  int dataBits = 8;           // 5..8
  int stopBits = 1;           // 1 or 2
  bool halfStopBit = false;   // with stopBits 1: one and a half stop bits, where the system has them
  bool rtsToggle = false;     // RTS raised while bytes are being sent
  bool abortOnError = false;  // a line error ends the transfer in progress
};

// The bits of one character on the wire: start, data, parity and stop bits
// (one and a half counted as two).
unsigned BitsPerChar(const LineSettings& settings);

// Read and write time-outs in milliseconds, with the platform's meaning: a
// read of N bytes returns when N bytes arrived, when more than readInterval
// passes between two bytes once data started, or after
// N * readTotalMultiplier + readTotalConstant in all. Zero turns a limit off.
struct CommTimeouts {
  std::uint32_t readInterval = 0;
  std::uint32_t readTotalMultiplier = 0;
  std::uint32_t readTotalConstant = 0;
  std::uint32_t writeTotalMultiplier = 0;
  std::uint32_t writeTotalConstant = 0;
};

// `timeouts` with reads that return once the bytes arriving pause for a
// millisecond, or after `ms` (1 at least) when none come; the write time-outs
// kept. (The system's own "return what is there" setting is not kept by
// every implementation of the calls: wine's waits out its whole constant.)
CommTimeouts ReadAnyWithin(CommTimeouts timeouts, std::uint32_t ms);

// Whether a transfer that failed with `code` says the device itself went away
// (an adapter pulled out), rather than a fault on the line; each OS's serial
// folder defines it.
bool IsDeviceGoneError(std::uint32_t code);

class ISerialPort {
 public:
  virtual ~ISerialPort() = default;  // closes the port

  virtual bool SetupComm(std::uint32_t inQueue, std::uint32_t outQueue) = 0;
  virtual bool GetCommState(LineSettings& settings) = 0;
  virtual bool SetCommState(const LineSettings& settings) = 0;
  virtual bool GetCommTimeouts(CommTimeouts& timeouts) = 0;
  virtual bool SetCommTimeouts(const CommTimeouts& timeouts) = 0;
  // Blocking write; `written` receives the count accepted. False on failure
  // (then LastError() tells why).
  virtual bool Write(const std::uint8_t* data, std::uint32_t length, std::uint32_t& written) = 0;
  // Blocking read of up to `count` bytes under the read time-outs. False on a
  // device error; `received` holds what arrived before it.
  virtual bool Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& received) = 0;
  // Drops what was received and not yet read, such as the late bytes of an
  // earlier reply, so that they cannot be taken for the next one.
  virtual bool PurgeReceive() = 0;
  // Clears the driver's error state; `errors` receives the error word.
  virtual bool ClearCommError(std::uint32_t& errors) = 0;
  virtual std::uint32_t LastError() const = 0;
  // LastError() as the system words it ("Input/output error").
  virtual std::string LastErrorText() const { return SystemErrorText(LastError()); }
  // After a failed call: whether the device went away, so that this port can
  // never work again and only a fresh open may find it back.
  virtual bool DeviceGone() const { return IsDeviceGoneError(LastError()); }
  // Takes the line settings of a device-control text such as
  // "COM1: baud=38400 parity=N data=8 stop=2" by the port's own rules;
  // false when it refuses the text (then `why` says what it refused).
  virtual bool BuildCommDCB(std::string_view definition, LineSettings& settings, std::string& why);
  // Asks the driver to hand each received byte over at once (a USB adapter's
  // latency timer otherwise holds them back for milliseconds); best effort,
  // the previous mode comes back on close. False where there is no such mode.
  virtual bool RequestLowLatency() { return false; }
  // True for a connection to a serial device server: the server holds the
  // line settings (those taken are kept and change nothing on the line), and
  // a port gone is a connection dropped.
  virtual bool IsDeviceServer() const { return false; }
  // A remark for the event log left by the last calls, such as a setting the
  // driver refused and what is used instead; empty when there is none.
  virtual std::string TakeNotice() { return {}; }
};

// Parses a device-control text such as "COM1: baud=38400 parity=N data=8 stop=2"
// into `settings` (other fields unchanged). False when the text is refused:
// an unknown key, a value that is not a number, a parity other than N, O, E,
// data bits outside 5..8, stop bits other than 1 or 2; then `why` (when given)
// names the setting and what is accepted.
bool BuildCommDCB(std::string_view definition, LineSettings& settings, std::string* why = nullptr);

// The port names: "COM1".."COM9".
inline constexpr int kPortCount = 9;

// 0..8 for "COM1".."COM9", nullopt for any other name.
std::optional<int> PortIndex(std::string_view name);

// What $R742_COMn pins the name COMn to (a device, a serial device server's
// tcp://HOST:PORT); empty where it is unset or empty, or for another name.
std::string PinnedDevice(std::string_view name);

// Opens ports by their names ("COM1".."COM9").
class IPortProvider {
 public:
  virtual ~IPortProvider() = default;
  // Exclusive open of an existing port; null when it is missing or held.
  virtual std::unique_ptr<ISerialPort> Open(std::string_view name) = 0;
  // Whether `name` is offered in the lists of ports: it opens now, or it
  // stands for a device server, which is not connected to just to list it.
  virtual bool IsOffered(std::string_view name) { return Open(name) != nullptr; }
  // What the name stands for, for the user: where names stand for devices,
  // the device and the adapter's name; elsewhere the name itself.
  virtual std::string Describe(std::string_view name) { return std::string(name); }
  // Whether Describe may tell more than the name on this machine; where it
  // never does, the Port Setup dialog has no line for it.
  virtual bool DescribesPorts() { return true; }
  // After Open failed for each of `names`: a word for the user on those that
  // are there but may not be opened by this user; empty when there is none.
  virtual std::string RefusalHint(const std::vector<std::string>& /*names*/) { return {}; }
  // After Open of `name` failed: why, as the system says it.
  virtual std::string OpenFailure(std::string_view name) = 0;
  // The name and the device it stands for, for the event log: "COM1 (/dev/ttyUSB0)".
  virtual std::string Label(std::string_view name) { return std::string(name); }
};

// Opens a device by its path (on Windows a port name such as "COM12") rather
// than by COM1..COM9, exclusively; null with the system's reason in `why`.
std::unique_ptr<ISerialPort> OpenDevicePath(const std::string& path, std::string& why);

// The machine's real ports; each operating system's serial folder defines it.
IPortProvider& MachinePortProvider();

// What the names COM1..COM9 stand for on this machine, for the help window.
const char* PortNamesHelpText();

// The provider in use: the machine's real ports unless a scope installs another.
IPortProvider& CurrentPortProvider();

class PortProviderScope {
 public:
  explicit PortProviderScope(IPortProvider& provider);
  ~PortProviderScope();
  PortProviderScope(const PortProviderScope&) = delete;
  PortProviderScope& operator=(const PortProviderScope&) = delete;

 private:
  IPortProvider* previous_;
};

}  // namespace r742
