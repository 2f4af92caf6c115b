#pragma once

#include <QIcon>

namespace r742 {

// The program's icon (IDR_MAINFRAME): three output bars on a meter-green tile, drawn at 16 and 32 pixels.
QIcon ProgramIcon();

}  // namespace r742
