// The one way Win32 files include windows.h: without min/max macros and the
// rarely used parts, and with the A/W renaming macros taken back for names
// that our own classes use as member or function names (the Win32 calls are
// made by their explicit names: MessageBoxW, GetWindowTextW, BuildCommDCBA...).
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef MessageBox
#undef GetWindowText
#undef SetWindowText
#undef BuildCommDCB
