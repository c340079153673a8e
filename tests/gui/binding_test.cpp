// Whole runs of the setup on a Windows that lacks a function the setup binds
// at run time, or the whole shell: the shortcut fails the way a failed shell
// call does (the registry message, everything before it undone), a run that
// needs no shell call completes, and a missing change notice or DLL search
// setting goes unnoticed.
#include <shlobj.h>
#include "support/gui.h"
#include "support/messages.h"
#include "resources/resource.h"

struct MissingCase {
    const char *Name;   // test name
    const char *Missing;
    int Shortcut;
    bool Completes;
};

static void PrintTo(const MissingCase &c, std::ostream *out)
{
    *out << c.Missing;
}

class MissingBinding : public GuiTest, public ::testing::WithParamInterface<MissingCase> {
protected:
    std::string Setup, Folder;

    void TearDown() override
    {
        SetEnvironmentVariableA("BRINDLECAST_TEST_MISSING", NULL);
        GuiTest::TearDown();
        ResetMachine();
        DeleteTree(Setup);
    }
};

TEST_P(MissingBinding, ShowsWhatAFailedShellCallShows)
{
    const MissingCase &c = GetParam();
    Setup = StageSetupFolder(std::string("missing-") + c.Name);
    Folder = Setup + "\\Brindle Apps";
    ASSERT_TRUE(CopyFileA(FAULT_SETUP, (Setup + "\\Setup.exe").c_str(), FALSE));
    SetEnvironmentVariableA("BRINDLECAST_TEST_MISSING", c.Missing);

    Run = StartSetup(Setup);
    ASSERT_TRUE(ClickThroughPages(Run, Folder, c.Shortcut));
    if (c.Completes) {
        EXPECT_EQ(FinishRun(Run), 1);
    } else {
        MessageBoxSeen box = WaitForMessageBox(Run);
        ASSERT_NE(box.Window, (HWND)NULL) << "no error box";
        EXPECT_EQ(box.Text, ExpectedReport(IDS_REGISTRY_FAILED));
        EXPECT_EQ(box.Owner, BackdropOf(Run));
        EXPECT_EQ(WaitForPage(Run, IDD_FINISH, 0), (HWND)NULL);
        Answer(box, IDOK);
        EXPECT_EQ(WaitForExit(Run), 1);
    }

    // A run that completes writes files and registry, and the shortcut where
    // one was wanted; one that fails leaves none of them.
    if (c.Completes) {
        ExpectShippedFiles(Folder);
        ExpectInstalledRegistry(Folder);
    } else {
        EXPECT_FALSE(DirExists(Folder));
        ExpectNoRegistry();
    }
    bool shortcut = c.Completes && c.Shortcut != IDC_SHORTCUT_NONE;
    EXPECT_EQ(ReadShortcut(CSIDL_STARTMENU).Found || ReadShortcut(CSIDL_COMMON_STARTMENU).Found, shortcut);
}

INSTANTIATE_TEST_SUITE_P(Functions, MissingBinding,
    ::testing::Values(
        MissingCase{ "FolderLocation", "SHGetSpecialFolderLocation", IDC_SHORTCUT_USER, false },
        MissingCase{ "PathFromList", "SHGetPathFromIDListA", IDC_SHORTCUT_ALL, false },
        MissingCase{ "Allocator", "SHGetMalloc", IDC_SHORTCUT_USER, false },
        MissingCase{ "NoShell", "shell32.dll", IDC_SHORTCUT_USER, false },
        MissingCase{ "NoShellNoShortcut", "shell32.dll", IDC_SHORTCUT_NONE, true },
        MissingCase{ "ChangeNotice", "SHChangeNotify", IDC_SHORTCUT_USER, true },
        MissingCase{ "DefaultDllDirectories", "SetDefaultDllDirectories", IDC_SHORTCUT_ALL, true }),
    [](const ::testing::TestParamInfo<MissingCase> &info) { return std::string(info.param.Name); });
