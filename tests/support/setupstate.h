// Puts the program's state record back to how a run starts, or to how the
// install-folder page leaves it, for tests that call the program's routines
// in-process.
#ifndef TESTS_SETUPSTATE_H
#define TESTS_SETUPSTATE_H

#include <windows.h>
#include <string>

// Everything zero but the title font, with this test program as the module:
// it links the setup's resource script, so pages, strings and the icon load.
void ResetSetupState();

// The state record as the install-folder page leaves it for the install phase.
void PrepareInstallState(const std::string &folder, DWORD platformId, DWORD majorVersion, BYTE shortcutChoice);

#endif
