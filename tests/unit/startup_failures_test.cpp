// Start-up failures before the backdrop exists, seen from outside: the whole
// RunSetup runs in a child copy of this test program with one platform call
// failing, shows one unowned error box and ends the process with 1.
#include <gtest/gtest.h>
#include <cstdio>
#include "driver/driver.h"
#include "support/child_process.h"
#include "support/fault.h"
#include "support/messages.h"
#include "support/sandbox.h"

static const char FaultVariable[] = "BRINDLECAST_TEST_STARTUP_FAULT";
static const char ReportVariable[] = "BRINDLECAST_TEST_STARTUP_REPORT";
static char ReportPath[MAX_PATH];

static HMODULE WINAPI NoModule(LPCSTR) { return NULL; }
static HICON WINAPI NoIcon(HINSTANCE, LPCSTR) { return NULL; }
static HCURSOR WINAPI NoCursor(HINSTANCE, LPCSTR) { return NULL; }
static ATOM WINAPI NoClass(const WNDCLASSA *) { return 0; }
static HWND WINAPI NoWindow(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID)
{
    return NULL;
}

static const struct {
    const char *Dll, *Call;
    void *Failing;
} Faults[] = {
    { "kernel32.dll", "GetModuleHandleA", (void *)NoModule },
    { "user32.dll", "LoadIconA", (void *)NoIcon },
    { "user32.dll", "LoadCursorA", (void *)NoCursor },
    { "user32.dll", "RegisterClassA", (void *)NoClass },
    { "user32.dll", "CreateWindowExA", (void *)NoWindow },
};

// One line per box: owner, whether a caption was given, type, then the text.
static int WINAPI WriteBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    FILE *report = fopen(ReportPath, "ab");
    if (report) {
        fprintf(report, "%lu %d %u %s\n", (unsigned long)(ULONG_PTR)owner, caption != NULL, type, text);
        fclose(report);
    }
    return IDOK;
}

// In the child, the setup runs before any test is even listed; RunSetup
// ends the process itself.
static int RunSetupIfChild()
{
    char fault[64];
    if (!GetEnvironmentVariableA(FaultVariable, fault, sizeof fault))
        return 0;
    GetEnvironmentVariableA(ReportVariable, ReportPath, sizeof ReportPath);
    for (const auto &candidate : Faults)
        if (lstrcmpA(candidate.Call, fault) == 0) {
            // Before the fault: a swap finds this program's imports through
            // GetModuleHandleA, which may be the call made to fail.
            new CommandLineSwap("Setup.exe");
            new ImportSwap("user32.dll", "MessageBoxA", (void *)WriteBox);
            new ImportSwap(candidate.Dll, candidate.Call, candidate.Failing);
            RunSetup();
        }
    ExitProcess(4);
}
static int ChildMode = RunSetupIfChild();

TEST(StartupFailure, ShowsOneUnownedErrorBoxAndEndsWithExitCodeOne)
{
    static const struct {
        const char *Call;
        UINT Message;
    } cases[] = {
        { "GetModuleHandleA", IDS_NO_MODULE_HANDLE },
        { "LoadIconA", IDS_NO_ICON },
        { "LoadCursorA", IDS_NO_CURSOR },
        { "RegisterClassA", IDS_NO_WINDOW_CLASS },
        { "CreateWindowExA", IDS_NO_WINDOW },
    };
    std::string folder = MakeScratchDir("startup-failure");
    std::string report = folder + "\\boxes.txt";
    SetEnvironmentVariableA(ReportVariable, report.c_str());
    for (const auto &failure : cases) {
        SCOPED_TRACE(failure.Call);
        DeleteFileA(report.c_str());
        EXPECT_EQ(RunSelf(FaultVariable, failure.Call), 1);
        EXPECT_EQ(ReadBytes(report), "0 0 16 " + ExpectedReport(failure.Message) + "\n");
    }
    SetEnvironmentVariableA(ReportVariable, NULL);
    DeleteTree(folder);
}
