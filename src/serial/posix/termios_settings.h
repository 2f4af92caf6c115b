// Line settings as raw-mode terminal attributes and back.
#pragma once

#include <termios.h>

#include "serial/serial_port.h"

namespace r742 {

// Raw mode, receiver on, modem lines ignored, reads that never wait in the
// driver (VMIN = VTIME = 0). False, with `t` untouched, for a speed the
// terminal has no constant for or a parity, size or stop setting outside the
// known ones.
bool ApplyLineSettings(const LineSettings& settings, termios& t);

// Baud 0 for a speed outside the standard rates; RTS and abort flags are not
// terminal attributes and stay false.
LineSettings LineSettingsFrom(const termios& t);

}  // namespace r742
