// A product file in use, in-process: what counts as in use, and the program
// that holds it named in the box of either program where the Restart Manager
// names it; the same box without a name where Windows has no Restart Manager
// or it names nobody.
#include <gtest/gtest.h>
#include <functional>
#include "uninstall/uninstall.h"
#include "install/install.h"
#include "support/fault.h"
#include "support/binding_fault.h"
#include "support/installation.h"
#include "support/sandbox.h"
#include "support/setupstate.h"
#include "common/inuse.h"
#include <restartmanager.h>

static const char RunningText[] = "Brindlecast is running. Close it, then press Retry.";

// What the stand-ins of the Restart Manager were asked, and the name they give.
static struct {
    std::vector<std::wstring> Registered;
    int Started, Ended;
    const wchar_t *Name;   // 0: no program holds the file
} Manager;

static DWORD WINAPI StandInStart(DWORD *session, DWORD, WCHAR *key)
{
    Manager.Started++;
    *session = 7;
    key[0] = 0;
    return ERROR_SUCCESS;
}

static DWORD WINAPI StandInRegister(DWORD session, UINT files, LPCWSTR *names, UINT, RM_UNIQUE_PROCESS *, UINT, LPCWSTR *)
{
    for (UINT i = 0; i < files && session == 7; i++)
        Manager.Registered.push_back(names[i]);
    return session == 7 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

static DWORD WINAPI StandInList(DWORD, UINT *needed, UINT *count, RM_PROCESS_INFO *holders, DWORD *reasons)
{
    *needed = Manager.Name ? 1 : 0;
    *reasons = 0;
    if (*needed > *count)
        return ERROR_MORE_DATA;
    *count = *needed;
    if (Manager.Name) {
        ZeroMemory(holders, sizeof *holders);
        lstrcpyW(holders[0].strAppName, Manager.Name);
        holders[0].ApplicationType = RmMainWindow;
    }
    return ERROR_SUCCESS;
}

static DWORD WINAPI StandInEnd(DWORD session)
{
    Manager.Ended += session == 7;
    return ERROR_SUCCESS;
}

// The Restart Manager's four calls answered by the stand-ins, all at once:
// GetProcAddress swapped for the four names, the real one for any other.
static ImportSwap *ManagerLookUp;
static FARPROC WINAPI LookUpManager(HMODULE module, LPCSTR name)
{
    static const struct { const char *Name; void *StandIn; } standIns[] = {
        { "RmStartSession", (void *)StandInStart },
        { "RmRegisterResources", (void *)StandInRegister },
        { "RmGetList", (void *)StandInList },
        { "RmEndSession", (void *)StandInEnd },
    };
    for (const auto &s : standIns)
        if (HIWORD((ULONG_PTR)name) && lstrcmpA(name, s.Name) == 0)
            return (FARPROC)s.StandIn;
    return ((FARPROC(WINAPI *)(HMODULE, LPCSTR))ManagerLookUp->Original)(module, name);
}

class InUseSteps : public StepTest {
protected:
    std::string Folder;
    HMODULE UninstallTexts = LoadLibraryExA((std::string(SETUP_MEDIA_DIR) + "\\Uninstal.exe").c_str(), NULL,
                                            LOAD_LIBRARY_AS_DATAFILE);
    void SetUp() override
    {
        StepTest::SetUp();
        Folder = Scratch + "\\Brindle Apps";
        StageMedia(Folder);
        PrepareInstallState(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE);
        ZeroMemory(&UninstallState, sizeof UninstallState);
        UninstallState.Instance = UninstallTexts;
        UninstallState.PlatformId = VER_PLATFORM_WIN32_NT;
        lstrcpyA(UninstallState.Folder, Folder.c_str());
        Manager.Registered.clear();
        Manager.Started = Manager.Ended = 0;
    }
    void TearDown() override
    {
        StepTest::TearDown();
        FreeLibrary(UninstallTexts);
    }
};

TEST_F(InUseSteps, BoxNamesTheHolderWhereTheRestartManagerCan)
{
    const struct {
        const char *Name;
        bool Manager;         // the Restart Manager's four calls are there (Vista and later)
        const wchar_t *Holder;
        const char *Line;
    } cases[] = {
        { "named", true, L"Tessel", "\nIn use by: Tessel" },
        { "nobody named", true, NULL, "" },
        { "no Restart Manager (Windows 95, NT before Vista)", false, NULL, "" },
    };
    std::string held = Folder + "\\Tessel.hlp";
    HANDLE file = CreateFileA(held.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        Manager.Name = c.Holder;
        std::unique_ptr<ImportSwap> lookUp;
        std::unique_ptr<LibraryGone> gone;
        if (c.Manager) {
            lookUp.reset(new ImportSwap("kernel32.dll", "GetProcAddress", (void *)LookUpManager));
            ManagerLookUp = lookUp.get();
        } else {
            gone.reset(new LibraryGone("rstrtmgr.dll"));
        }
        const struct {
            const char *Program, *Caption;
            std::function<int()> Check;
        } programs[] = {
            { "setup", "Brindlecast 1.26 Trial Setup", [] { return ProductFilesFree((HWND)NULL); } },
            { "uninstaller", "Brindlecast 1.26 Uninstall", [] { return ProductFilesFree(); } },
        };
        for (const auto &p : programs) {
            SCOPED_TRACE(p.Program);
            Manager.Registered.clear();
            Manager.Started = Manager.Ended = 0;
            BoxCapture boxes(IDCANCEL);
            EXPECT_EQ(p.Check(), 0) << "cancelled";
            ASSERT_EQ(boxes.Boxes.size(), 1u);
            EXPECT_EQ(boxes.Boxes[0].Text, std::string(RunningText) + c.Line);
            EXPECT_EQ(boxes.Boxes[0].Caption, p.Caption);
            EXPECT_EQ(boxes.Boxes[0].Type, (UINT)(MB_RETRYCANCEL | MB_ICONWARNING));
            if (c.Manager) {
                EXPECT_EQ(Manager.Registered, std::vector<std::wstring>{ WideText(held) });
                EXPECT_EQ(Manager.Started, 1);
                EXPECT_EQ(Manager.Ended, 1) << "every session ended";
            }
        }
    }
    CloseHandle(file);
    BoxCapture none(IDCANCEL);
    EXPECT_EQ(ProductFilesFree((HWND)NULL), 1);
    EXPECT_EQ(ProductFilesFree(), 1);
    EXPECT_TRUE(none.Boxes.empty());
}

// How Windows answers the open for writing alone decides: only another
// process's hold counts. Wine lets root open a read-only file for writing,
// so Windows' answer for one, access denied, comes from a stand-in.
static const char *FailedFile;
static DWORD FailedWith;
static ImportSwap *OpenSwap;
static HANDLE WINAPI FailingOpen(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                                 DWORD flags, HANDLE model)
{
    int length = lstrlenA(path), nameLength = lstrlenA(FailedFile);
    if (length > nameLength && lstrcmpiA(path + length - nameLength, FailedFile) == 0) {
        SetLastError(FailedWith);
        return INVALID_HANDLE_VALUE;
    }
    return ((HANDLE(WINAPI *)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE))OpenSwap->Original)(
        path, access, share, security, how, flags, model);
}

TEST_F(InUseSteps, OnlyAnotherProcesssHoldCounts)
{
    const struct {
        DWORD Error;
        bool InUse;
    } cases[] = {
        { ERROR_SHARING_VIOLATION, true },
        { ERROR_LOCK_VIOLATION, true },
        { ERROR_ACCESS_DENIED, false },   // a read-only file, which the programs clear themselves
        { ERROR_FILE_NOT_FOUND, false },
    };
    char line[IN_USE_LINE_ROOM];
    FailedFile = "\\Order.txt";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Error);
        FailedWith = c.Error;
        ImportSwap open("kernel32.dll", "CreateFileA", (void *)FailingOpen);
        OpenSwap = &open;
        EXPECT_EQ(FileInUse(Folder.c_str(), ARRAY_LENGTH(ProductFiles), 0, line), c.InUse);
    }
}
