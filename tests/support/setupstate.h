// Puts the program's state record back to how a run starts, or to how the
// install-folder page leaves it, for tests that call the program's routines
// in-process.
#ifndef TESTS_SETUPSTATE_H
#define TESTS_SETUPSTATE_H

#include <windows.h>
#include <string>
#include <gtest/gtest.h>

// Everything zero, with this test program as the module:
// it links the setup's resource script, so pages, strings and the icon load.
void ResetSetupState();

// The agreement text in the state record's movable block, unlocked, as the
// start-up leaves it; the caller frees the block (GlobalFree).
void PutAgreementText(const std::string &text);

// The state record as the install-folder page leaves it for the install phase.
void PrepareInstallState(const std::string &folder, DWORD platformId, DWORD majorVersion, BYTE shortcutChoice);

// Base of in-process tests of the program's steps: a machine without the
// product, the state record as a run starts and a scratch folder named
// after the test; the current folder and the machine are put back after.
class StepTest : public ::testing::Test {
protected:
    std::string Before, Scratch;
    void SetUp() override;
    void TearDown() override;
};

#endif
