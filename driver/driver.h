// The driver: the entry point and the order of the run, and the start-up checks.
#ifndef DRIVER_H
#define DRIVER_H

#include "../setup/state.h"

// 0 on Windows 95 and later and Windows NT 3.5 and later; records the
// platform and its major version whatever it is.
UINT CheckWindowsVersion(void);

// The switches, into RunMode, GivenFolder and GivenShortcut, the log opened
// when one is named; 0, or EXIT_COMMAND_LINE when the line asks for the list
// of switches or is not understood. ShowSwitches lists them, in a box that a
// quiet run does not show.
UINT ReadCommandLine(void);
void ShowSwitches(void);

extern "C" void WINAPI RunSetup(void);

#endif
