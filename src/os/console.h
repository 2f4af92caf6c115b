// The console a command-line program runs in: whether standard error is a
// terminal (for a progress line that rewrites itself), and Ctrl+C.
#pragma once

#include <atomic>

namespace r742 {

bool StandardErrorIsTerminal();

// From now on Ctrl+C (and on POSIX a SIGTERM or SIGHUP, on Windows the
// console closing) raises `flag` instead of ending the program; a second one
// ends it at once.
void CatchInterrupts(std::atomic<bool>& flag);

}  // namespace r742
