// Resets the program's state record between in-process tests.
#include "setupstate.h"
#include "setup/state.h"
#include "sandbox.h"

void ResetSetupState()
{
    ZeroMemory(&SetupState, sizeof SetupState);
    SetupState.Instance = GetModuleHandleA(NULL);
}

void PutAgreementText(const std::string &text)
{
    SetupState.AgreementSize = text.size();
    SetupState.AgreementText = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    CopyMemory(GlobalLock(SetupState.AgreementText), text.c_str(), text.size() + 1);
    GlobalUnlock(SetupState.AgreementText);
}

void PrepareInstallState(const std::string &folder, DWORD platformId, DWORD majorVersion, BYTE shortcutChoice)
{
    ResetSetupState();
    SetupState.PlatformId = platformId;
    SetupState.MajorVersion = majorVersion;
    SetupState.ShortcutChoice = shortcutChoice;
    lstrcpynA(SetupState.InstallPath, folder.c_str(), INSTALL_DIR_CHARS);
}

void StepTest::SetUp()
{
    ResetMachine();
    ResetSetupState();
    Before = CurrentDir();
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char &c : name)
        if (c == '/')
            c = '-';
    Scratch = MakeScratchDir(name);
}

void StepTest::TearDown()
{
    SetCurrentDirectoryA(Before.c_str());
    ResetMachine();
    ResetSetupState();
    DeleteTree(Scratch);
}
