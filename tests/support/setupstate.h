// Puts the program's state record back to how a run starts, for tests that
// call the program's routines in-process.
#ifndef TESTS_SETUPSTATE_H
#define TESTS_SETUPSTATE_H

// Everything zero but the title font, with this test program as the module:
// it links the setup's resource script, so pages, strings and the icon load.
void ResetSetupState();

#endif
