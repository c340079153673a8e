// Resets the program's state record between in-process tests.
#include "setupstate.h"
#include "driver/driver.h"

void ResetSetupState()
{
    LOGFONTA font = SetupState.TitleFont;
    ZeroMemory(&SetupState, sizeof SetupState);
    SetupState.TitleFont = font;
    SetupState.Instance = GetModuleHandleA(NULL);
}
