#include "serial/win32/win32_serial_port.h"

#include <optional>
#include <string>
#include <utility>

#include "os/win32/windows_api.h"
#include "serial/tcp_address.h"
#include "serial/tcp_port.h"

namespace r742 {
namespace {

HANDLE H(void* handle) { return static_cast<HANDLE>(handle); }

char ParityLetter(BYTE parity) {
  switch (parity) {
    case ODDPARITY: return 'O';
    case EVENPARITY: return 'E';
    case MARKPARITY: return 'M';
    case SPACEPARITY: return 'S';
    default: return 'N';
  }
}

std::optional<BYTE> ParityCode(char letter) {
  switch (letter) {
    case 'N': return BYTE{NOPARITY};
    case 'O': return BYTE{ODDPARITY};
    case 'E': return BYTE{EVENPARITY};
    case 'M': return BYTE{MARKPARITY};
    case 'S': return BYTE{SPACEPARITY};
    default: return std::nullopt;
  }
}

// The line setting of a device-control block.
void TakeLineSetting(const DCB& dcb, LineSettings& settings) {
  settings.baud = dcb.BaudRate;
  settings.parity = ParityLetter(dcb.Parity);
  settings.dataBits = dcb.ByteSize;
  settings.stopBits = dcb.StopBits == TWOSTOPBITS ? 2 : 1;
  settings.halfStopBit = dcb.StopBits == ONE5STOPBITS;
}

// Lays `settings` into the block as the system's parser of a line definition
// does (no flow control); false for a setting no block can hold.
bool PutLineSetting(const LineSettings& settings, DCB& dcb) {
  const std::optional<BYTE> parity = ParityCode(settings.parity);
  const bool stopKnown =
      settings.halfStopBit ? settings.stopBits == 1 : settings.stopBits == 1 || settings.stopBits == 2;
  if (!parity || !stopKnown || settings.dataBits < 5 || settings.dataBits > 8) return false;
  dcb.BaudRate = settings.baud;
  dcb.ByteSize = static_cast<BYTE>(settings.dataBits);
  dcb.Parity = *parity;
  dcb.fParity = *parity != NOPARITY ? TRUE : FALSE;
  dcb.StopBits = settings.halfStopBit ? ONE5STOPBITS : settings.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  return true;
}

// The settings after the port name of a device-control text ("COM1: baud=...").
std::string_view WithoutPortName(std::string_view definition) {
  const std::size_t start = definition.find_first_not_of(' ');
  if (start == std::string_view::npos) return {};
  const std::size_t end = definition.find(' ', start);
  const std::string_view first = definition.substr(start, end == std::string_view::npos ? end : end - start);
  if (first.back() != ':' || first.find('=') != std::string_view::npos) return definition;
  return end == std::string_view::npos ? std::string_view{} : definition.substr(end + 1);
}

}  // namespace

std::unique_ptr<Win32SerialPort> Win32SerialPort::Open(std::string_view portName, std::uint32_t& error) {
  error = ERROR_FILE_NOT_FOUND;
  // Only COM1..COM9 are offered.
  if (!PortIndex(portName)) return nullptr;
  return OpenPath(std::string(portName), error);
}

std::unique_ptr<Win32SerialPort> Win32SerialPort::OpenPath(const std::string& name, std::uint32_t& error) {
  error = ERROR_FILE_NOT_FOUND;
  if (name.empty()) return nullptr;
  // A bare port name opens as "\\.\COMn", the form that works for every port name.
  const std::string path = name.rfind("\\\\", 0) == 0 ? name : "\\\\.\\" + name;
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return nullptr;
  }
  error = 0;
  return std::unique_ptr<Win32SerialPort>(new Win32SerialPort(handle));
}

// "tcp://HOST:PORT" is a device server's address; anything else a port name.
std::unique_ptr<ISerialPort> OpenDevicePath(const std::string& path, std::string& why) {
  if (IsTcpAddressText(path)) return OpenDeviceServer(path, why);
  std::uint32_t error = 0;
  std::unique_ptr<ISerialPort> port = Win32SerialPort::OpenPath(path, error);
  if (!port) why = SystemErrorText(error);
  return port;
}

Win32SerialPort::~Win32SerialPort() { CloseHandle(H(handle_)); }

bool Win32SerialPort::Fail() {
  lastError_ = GetLastError();
  return false;
}

bool Win32SerialPort::SetupComm(std::uint32_t inQueue, std::uint32_t outQueue) {
  return ::SetupComm(H(handle_), inQueue, outQueue) != 0 || Fail();
}

bool Win32SerialPort::GetCommState(LineSettings& settings) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (::GetCommState(H(handle_), &dcb) == 0) return Fail();
  TakeLineSetting(dcb, settings);
  settings.rtsToggle = dcb.fRtsControl == RTS_CONTROL_TOGGLE;
  settings.abortOnError = dcb.fAbortOnError != 0;
  return true;
}

// The system's parser decides what a line definition may say (mark and space
// parity, 1.5 stop bits among them); the settings it gives are then taken as
// they are by SetCommState.
bool Win32SerialPort::BuildCommDCB(std::string_view definition, LineSettings& settings, std::string& why) {
  why.clear();  // the system gives its reason through LastErrorText
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (::GetCommState(H(handle_), &dcb) == 0) return Fail();
  const std::string text(WithoutPortName(definition));
  if (BuildCommDCBA(text.c_str(), &dcb) == 0) return Fail();
  TakeLineSetting(dcb, settings);
  return true;
}

// The driver's own block with the line setting laid over it, so that fields
// the program does not name keep the driver's values.
bool Win32SerialPort::SetCommState(const LineSettings& settings) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (::GetCommState(H(handle_), &dcb) == 0) return Fail();
  if (!PutLineSetting(settings, dcb)) {
    lastError_ = ERROR_INVALID_PARAMETER;
    return false;
  }
  dcb.fBinary = TRUE;
  dcb.fAbortOnError = settings.abortOnError ? TRUE : FALSE;
  dcb.fRtsControl = settings.rtsToggle ? RTS_CONTROL_TOGGLE : RTS_CONTROL_ENABLE;
  if (::SetCommState(H(handle_), &dcb) != 0) return true;
  const DWORD refused = GetLastError();
  if (!settings.rtsToggle || (refused != ERROR_INVALID_PARAMETER && refused != ERROR_NOT_SUPPORTED)) return Fail();
  // Drivers without RTS toggling (many USB RS-485 adapters, which switch
  // direction themselves) refuse the whole block: keep RTS raised instead.
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  if (::SetCommState(H(handle_), &dcb) == 0) return Fail();
  notice_ = "RTS toggling refused by the port driver - RTS held on";
  return true;
}

bool Win32SerialPort::GetCommTimeouts(CommTimeouts& timeouts) {
  COMMTIMEOUTS t{};
  if (::GetCommTimeouts(H(handle_), &t) == 0) return Fail();
  timeouts = CommTimeouts{.readInterval = t.ReadIntervalTimeout,
                          .readTotalMultiplier = t.ReadTotalTimeoutMultiplier,
                          .readTotalConstant = t.ReadTotalTimeoutConstant,
                          .writeTotalMultiplier = t.WriteTotalTimeoutMultiplier,
                          .writeTotalConstant = t.WriteTotalTimeoutConstant};
  return true;
}

bool Win32SerialPort::SetCommTimeouts(const CommTimeouts& timeouts) {
  COMMTIMEOUTS t{.ReadIntervalTimeout = timeouts.readInterval,
                 .ReadTotalTimeoutMultiplier = timeouts.readTotalMultiplier,
                 .ReadTotalTimeoutConstant = timeouts.readTotalConstant,
                 .WriteTotalTimeoutMultiplier = timeouts.writeTotalMultiplier,
                 .WriteTotalTimeoutConstant = timeouts.writeTotalConstant};
  return ::SetCommTimeouts(H(handle_), &t) != 0 || Fail();
}

bool Win32SerialPort::Write(const std::uint8_t* data, std::uint32_t length, std::uint32_t& written) {
  DWORD n = 0;
  const BOOL ok = WriteFile(H(handle_), data, length, &n, nullptr);
  written = n;
  return ok != 0 || Fail();
}

bool Win32SerialPort::Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& received) {
  DWORD n = 0;
  const BOOL ok = ReadFile(H(handle_), buffer, count, &n, nullptr);
  received = n;
  return ok != 0 || Fail();
}

bool Win32SerialPort::PurgeReceive() { return PurgeComm(H(handle_), PURGE_RXABORT | PURGE_RXCLEAR) != 0 || Fail(); }

bool Win32SerialPort::ClearCommError(std::uint32_t& errors) {
  DWORD word = 0;
  const BOOL ok = ::ClearCommError(H(handle_), &word, nullptr);
  errors = word;
  return ok != 0 || Fail();
}

std::string Win32SerialPort::TakeNotice() { return std::exchange(notice_, {}); }

}  // namespace r742
