// The start-up check of the Windows version.
#include "driver.h"
#include "../common/system.h"

UINT CheckWindowsVersion(void)
{
    OSVERSIONINFOA version;
    DWORD minor = 0;

    if (ReadWindowsVersion(&version)) {
        SetupState.PlatformId = version.dwPlatformId;
        SetupState.MajorVersion = version.dwMajorVersion;
        minor = version.dwMinorVersion;
        LogWindowsVersion(&version);
    }
    // NT reports 3.1 as minor 10, 3.5 as 50 and 3.51 as 51.
    if (SetupState.PlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return 0;
    if (SetupState.PlatformId == VER_PLATFORM_WIN32_NT
        && (SetupState.MajorVersion > 3 || (SetupState.MajorVersion == 3 && minor >= 50)))
        return 0;
    return IDS_BAD_WINDOWS;
}
