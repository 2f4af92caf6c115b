#include "serial/posix/termios_settings.h"

#include <cstdint>
#include <iterator>
#include <optional>

#include "serial/standard_baud_rates.h"

namespace r742 {
namespace {

struct SpeedEntry {
  std::uint32_t baud;
  speed_t speed;
};

constexpr SpeedEntry kSpeeds[] = {
    // clang-format off
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000}};
// clang-format on

constexpr bool SpeedsMatchStandardRates() {
  if (std::size(kSpeeds) != kStandardBaudRates.size()) return false;
  for (std::size_t i = 0; i < kStandardBaudRates.size(); ++i) {
    if (kSpeeds[i].baud != kStandardBaudRates[i]) return false;
  }
  return true;
}
static_assert(SpeedsMatchStandardRates());

std::optional<speed_t> SpeedFor(std::uint32_t baud) {
  for (const SpeedEntry& e : kSpeeds) {
    if (e.baud == baud) return e.speed;
  }
  return std::nullopt;
}

std::optional<tcflag_t> CharacterSizeFor(int dataBits) {
  switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    case 8: return CS8;
    default: return std::nullopt;
  }
}

}  // namespace

bool ApplyLineSettings(const LineSettings& settings, termios& t) {
  const std::optional<speed_t> speed = SpeedFor(settings.baud);
  const std::optional<tcflag_t> size = CharacterSizeFor(settings.dataBits);
  const bool parityKnown = settings.parity == 'N' || settings.parity == 'O' || settings.parity == 'E';
  if (!speed || !size || !parityKnown || (settings.stopBits != 1 && settings.stopBits != 2) || settings.halfStopBit) {
    return false;
  }
  termios raw = t;
  cfmakeraw(&raw);
  raw.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  raw.c_cflag |= CLOCAL | CREAD | *size;
  if (settings.parity != 'N') raw.c_cflag |= PARENB;
  if (settings.parity == 'O') raw.c_cflag |= PARODD;
  if (settings.stopBits == 2) raw.c_cflag |= CSTOPB;
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  if (cfsetispeed(&raw, *speed) != 0 || cfsetospeed(&raw, *speed) != 0) return false;
  t = raw;
  return true;
}

LineSettings LineSettingsFrom(const termios& t) {
  LineSettings settings;
  const speed_t speed = cfgetospeed(&t);
  for (const SpeedEntry& e : kSpeeds) {
    if (e.speed == speed) settings.baud = e.baud;
  }
  settings.parity = (t.c_cflag & PARENB) == 0 ? 'N' : (t.c_cflag & PARODD) != 0 ? 'O' : 'E';
  switch (t.c_cflag & CSIZE) {
    case CS5: settings.dataBits = 5; break;
    case CS6: settings.dataBits = 6; break;
    case CS7: settings.dataBits = 7; break;
    default: settings.dataBits = 8; break;
  }
  settings.stopBits = (t.c_cflag & CSTOPB) != 0 ? 2 : 1;
  return settings;
}

}  // namespace r742
