#include "os/console.h"

#include <io.h>

#include <cstdio>

#include "os/win32/windows_api.h"

namespace r742 {
namespace {

std::atomic<bool>* g_flag = nullptr;

// Runs on a thread of its own. TRUE: handled, the program goes on and ends by
// itself; a second Ctrl+C is left to the default handler, which ends it.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT: return g_flag->exchange(true) ? FALSE : TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // The system ends the program when this returns: raise the flag and let
      // the exchange in progress finish within the few seconds it allows.
      g_flag->store(true);
      Sleep(2000);
      return TRUE;
    default: return FALSE;
  }
}

}  // namespace

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

void CatchInterrupts(std::atomic<bool>& flag) {
  g_flag = &flag;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace r742
