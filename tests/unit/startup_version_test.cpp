// The Windows version check: which platforms pass, and the refusal it reports itself.
#include <gtest/gtest.h>
#include "driver/driver.h"
#include "support/fault.h"
#include "support/messages.h"
#include "support/setupstate.h"

static struct {
    BOOL Succeeds;
    DWORD Platform, Major, Minor;
    DWORD SizeSeen;
    int Calls;
} Reported;

static BOOL WINAPI ReportVersion(OSVERSIONINFOA *version)
{
    Reported.Calls++;
    Reported.SizeSeen = version->dwOSVersionInfoSize;
    // A failed query may leave anything in the record.
    version->dwPlatformId = Reported.Platform;
    version->dwMajorVersion = Reported.Major;
    version->dwMinorVersion = Reported.Minor;
    version->dwBuildNumber = 0;
    version->szCSDVersion[0] = 0;
    if (!Reported.Succeeds)
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return Reported.Succeeds;
}

TEST(CheckWindowsVersion, AcceptsTheWindows95FamilyAndNtFrom35AndRefusesTheRest)
{
    static const struct {
        const char *Name;
        BOOL Succeeds;
        DWORD Platform, Major, Minor;
        bool Accepted;
    } cases[] = {
        { "Windows 95", TRUE, VER_PLATFORM_WIN32_WINDOWS, 4, 0, 1 },
        { "Windows 98", TRUE, VER_PLATFORM_WIN32_WINDOWS, 4, 10, 1 },
        { "Windows NT 3.5", TRUE, VER_PLATFORM_WIN32_NT, 3, 50, 1 },
        { "Windows NT 3.51", TRUE, VER_PLATFORM_WIN32_NT, 3, 51, 1 },
        { "Windows NT 4.0", TRUE, VER_PLATFORM_WIN32_NT, 4, 0, 1 },
        { "Windows 10", TRUE, VER_PLATFORM_WIN32_NT, 10, 0, 1 },
        { "Windows NT 3.1", TRUE, VER_PLATFORM_WIN32_NT, 3, 10, 0 },
        { "Windows NT 3.49", TRUE, VER_PLATFORM_WIN32_NT, 3, 49, 0 },
        { "Windows NT 2.x", TRUE, VER_PLATFORM_WIN32_NT, 2, 90, 0 },
        { "Win32s", TRUE, VER_PLATFORM_WIN32s, 3, 10, 0 },
        { "an unknown platform", TRUE, 3, 10, 0, 0 },
        { "a failed query", FALSE, VER_PLATFORM_WIN32_WINDOWS, 4, 0, 0 },
    };
    for (const auto &version : cases) {
        SCOPED_TRACE(version.Name);
        ResetSetupState();
        Reported = { version.Succeeds, version.Platform, version.Major, version.Minor, 0, 0 };
        ImportSwap swap("kernel32.dll", "GetVersionExA", (void *)ReportVersion);
        BoxCapture boxes;

        EXPECT_EQ(CheckWindowsVersion(), version.Accepted ? 0u : (UINT)IDS_BAD_WINDOWS);

        EXPECT_EQ(Reported.Calls, 1);
        EXPECT_EQ(Reported.SizeSeen, 148u);
        // Recorded whether the platform passes or not; a failed query records nothing.
        EXPECT_EQ(SetupState.PlatformId, version.Succeeds ? version.Platform : 0);
        EXPECT_EQ(SetupState.MajorVersion, version.Succeeds ? version.Major : 0);
        // The driver shows the refusal; the check itself shows nothing.
        EXPECT_EQ(boxes.Boxes.size(), 0u);
    }
}

TEST(CheckWindowsVersion, RecordsWhatThePlatformReallyReports)
{
    OSVERSIONINFOA real = {};
    real.dwOSVersionInfoSize = sizeof real;
    ASSERT_TRUE(GetVersionExA(&real));
    ResetSetupState();
    BoxCapture boxes;
    EXPECT_EQ(CheckWindowsVersion(), 0u);
    EXPECT_EQ(SetupState.PlatformId, real.dwPlatformId);
    EXPECT_EQ(SetupState.MajorVersion, real.dwMajorVersion);
    EXPECT_EQ(boxes.Boxes.size(), 0u);
}
