// The install phase of a whole run, in-process: RunSetup on a thread of its
// own with the three wizard pages answered at once, and what the user sees
// while the files are copied and the registry is written, and when the
// completion page comes.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "driver/driver.h"
#include "support/fault.h"
#include "support/handles.h"
#include "support/installation.h"
#include "support/pages.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

// What the user sees at one moment of the run.
struct Moment {
    bool WaitCursor;
    bool PanelShown;
    std::string CopyLine, RegistryLine;
};

static struct {
    std::string Folder;
    std::vector<Moment> Copying, Writing;
    std::vector<int> Pages;
    std::vector<std::string> AtFinish;   // classes of the run's visible windows
    int ExitCode;
    size_t BlocksLeft;
    DWORD BrushLeft;   // object type of the brush when the run ended, 0 when deleted
    BlockWatch *Blocks;
    ImportSwap *CopySwap, *WriteSwap;
} Seen;

// The progress panel is the run's window with the status lines.
static BOOL CALLBACK FindPanel(HWND window, LPARAM found)
{
    if (!GetDlgItem(window, IDC_STATUS_COPY))
        return TRUE;
    *(HWND *)found = window;
    return FALSE;
}

static Moment Now()
{
    HWND panel = NULL;
    EnumThreadWindows(GetCurrentThreadId(), FindPanel, (LPARAM)&panel);
    char copy[64] = "", registry[64] = "";
    GetDlgItemTextA(panel, IDC_STATUS_COPY, copy, sizeof copy);
    GetDlgItemTextA(panel, IDC_STATUS_REGISTRY, registry, sizeof registry);
    return { GetCursor() == LoadCursorA(NULL, (LPCSTR)IDC_WAIT), IsWindow(panel) && IsWindowVisible(panel), copy,
             registry };
}

// A file is copied into one the run creates for writing.
static HANDLE WINAPI WatchedCreate(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                   DWORD disposition, DWORD flags, HANDLE pattern)
{
    // A copy makes its file; the look for a product file in use only opens one.
    if ((access & GENERIC_WRITE) && disposition == CREATE_ALWAYS)
        Seen.Copying.push_back(Now());
    return ((decltype(&CreateFileA))Seen.CopySwap->Original)(name, access, share, security, disposition, flags,
                                                             pattern);
}

static LONG WINAPI WatchedWrite(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size)
{
    // The journal is named before the panel shows; the registry step writes under it.
    if (!name || lstrcmpA(name, JournalValue) != 0)
        Seen.Writing.push_back(Now());
    return ((decltype(&RegSetValueExA))Seen.WriteSwap->Original)(key, name, reserved, type, data, size);
}

static BOOL CALLBACK AddShown(HWND window, LPARAM classes)
{
    if (IsWindowVisible(window))
        ((std::vector<std::string> *)classes)->push_back(ClassOf(window));
    return TRUE;
}

// The pages as a user who accepts everything leaves them: the install
// folder (which exists) and no shortcut. The completion page is looked at.
static INT_PTR WINAPI AnswerPage(HINSTANCE, LPCSTR name, HWND, DLGPROC, LPARAM)
{
    int page = (int)(UINT_PTR)name;
    Seen.Pages.push_back(page);
    if (page == IDD_DIRECTORY) {
        lstrcpyA(SetupState.InstallPath, Seen.Folder.c_str());
        SetupState.ShortcutChoice = SHORTCUT_NONE;
    }
    if (page == IDD_FINISH)
        EnumThreadWindows(GetCurrentThreadId(), AddShown, (LPARAM)&Seen.AtFinish);
    return IDOK;
}

// The run ends its thread, not this test program.
static void WINAPI EndRun(UINT code)
{
    Seen.ExitCode = code;
    Seen.BlocksLeft = Seen.Blocks->Live.size();
    Seen.BrushLeft = GetObjectType(SetupState.BackdropBrush);
    ExitThread(code);
}

static DWORD WINAPI WholeRun(void *)
{
    RunSetup();
    return 99;   // RunSetup never returns
}

class InstallPhase : public StepTest {
protected:
    void SetUp() override
    {
        StepTest::SetUp();
        Seen.Folder = Scratch + "\\Product";
        CreateDirectoryA(Seen.Folder.c_str(), NULL);
        UnregisterClassA("SetupClass", GetModuleHandleA(NULL));
    }
    void TearDown() override
    {
        UnregisterClassA("SetupClass", GetModuleHandleA(NULL));
        StepTest::TearDown();
    }
};

// Every moment of one kind shows the wait cursor and the panel with these lines.
static void ExpectMoments(const std::vector<Moment> &moments, const char *what, const std::string &registryLine)
{
    for (const Moment &moment : moments) {
        EXPECT_TRUE(moment.WaitCursor) << what << " without the wait cursor";
        EXPECT_TRUE(moment.PanelShown) << what << " without the panel";
        EXPECT_EQ(moment.CopyLine, "Copying files...") << what;
        EXPECT_EQ(moment.RegistryLine, registryLine) << what;
    }
}

TEST_F(InstallPhase, WaitCursorAndStatusLinesWhileWorkingThenOnlyTheCompletionPage)
{
    std::string media = StageMedia(Scratch + "\\Media");
    {
        ModulePathSwap setupFolder(media + "\\Setup.exe");
        BlockWatch blocks;
        BoxCapture boxes;
        ImportSwap pages("user32.dll", "DialogBoxParamA", (void *)AnswerPage);
        ImportSwap end("kernel32.dll", "ExitProcess", (void *)EndRun);
        CommandLineSwap line("Setup.exe");
        ImportSwap copy("kernel32.dll", "CreateFileA", (void *)WatchedCreate);
        ImportSwap write("advapi32.dll", "RegSetValueExA", (void *)WatchedWrite);
        Seen.Blocks = &blocks;
        Seen.CopySwap = &copy;
        Seen.WriteSwap = &write;
        Seen.ExitCode = -1;

        HANDLE thread = CreateThread(NULL, 0, WholeRun, NULL, 0, NULL);
        ASSERT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0) << "the run did not end";
        CloseHandle(thread);
        EXPECT_EQ(boxes.Boxes.size(), 0u) << boxes.Boxes[0].Text;
    }
    EXPECT_EQ(Seen.ExitCode, 1);
    EXPECT_EQ(Seen.Pages, (std::vector<int>{ IDD_WELCOME, IDD_AGREEMENT, IDD_DIRECTORY, IDD_FINISH }));
    ExpectShippedFiles(Seen.Folder);

    // Every file is copied under the wait cursor, with the panel saying so;
    // every registry value likewise, the first line staying.
    ASSERT_EQ(Seen.Copying.size(), 7u);
    ExpectMoments(Seen.Copying, "a file copied", "");
    ASSERT_GE(Seen.Writing.size(), 8u);
    ExpectMoments(Seen.Writing, "a registry value written", "Updating registry...");
    // The panel has gone when the completion page comes: nothing but the
    // backdrop behind the page still says the installation is under way.
    EXPECT_EQ(Seen.AtFinish, std::vector<std::string>{ "SetupClass" });
    // What the run held it gave back: the agreement text and the brush.
    EXPECT_EQ(Seen.BlocksLeft, 0u);
    EXPECT_EQ(Seen.BrushLeft, 0u);
}
