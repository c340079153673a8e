// The driver: the entry point and the order of the run, and the start-up checks.
#ifndef DRIVER_H
#define DRIVER_H

#include "../setup/state.h"

// 0 on Windows 95 and later and Windows NT 3.5 and later; records the
// platform and its major version whatever it is.
UINT CheckWindowsVersion(void);

extern "C" void WINAPI RunSetup(void);

#endif
