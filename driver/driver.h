// The driver: the entry point and the order of the run, and the start-up checks.
#ifndef DRIVER_H
#define DRIVER_H

#include "../common/state.h"

int CheckWindowsVersion(void);

extern "C" void WINAPI RunSetup(void);

#endif
