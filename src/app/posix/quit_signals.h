// SIGTERM, SIGINT and SIGHUP ask the program to end as Quit does. The handler
// only writes the signal's number into a pipe that the window's loop watches,
// so the window ends between two handlers, never inside a write to the port
// or the log file. A second of these signals after the first ends the program
// at once, by that signal's default action.
#pragma once

namespace r742 {

// Installs the handlers; returns the pipe's end to watch (readable once a
// signal came), or -1 if they could not be installed (errno tells why).
int InstallQuitSignals();

// The number of the signal that came, read from the pipe; 0 if none.
int TakeQuitSignal();

// After the clean end: ends the process by `signal` as if the handler had
// never been there, so the parent sees what ended it (a shell shows 128 + its
// number). Standard output and error are flushed first.
[[noreturn]] void EndBySignal(int signal);

}  // namespace r742
