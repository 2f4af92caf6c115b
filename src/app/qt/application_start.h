// Starts Qt's application object with Qt's own messages held back meanwhile:
// a window system that cannot be reached (a display with no server behind
// it) ends the program with one line on stderr and exit status 1, instead of
// Qt's warnings and an abort. Held messages of a start that succeeds are
// given out as usual.
#pragma once

#include <QApplication>
#include <memory>

namespace r742 {

std::unique_ptr<QApplication> StartApplication(int& argc, char** argv);

}  // namespace r742
