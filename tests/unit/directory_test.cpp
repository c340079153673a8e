// The install-folder page in-process: run modally and driven from a second
// thread, so the shortcut choice it stores can be read back.
#include <gtest/gtest.h>
#include "install/install.h"
#include "screens/screens.h"
#include "support/driving.h"
#include "support/fault.h"
#include "support/generated.h"
#include "support/installation.h"
#include "support/messages.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

struct PageRun {
    // Typed into the folder field; "~" is the scratch folder, "*" a name of 600 characters.
    const char *Text;
    int Radio;          // button clicked before Next, or 0
    // Seen while the page was up.
    HWND Page;
    std::string FieldAtOpen, FieldAfterNext;
    bool Checked[3], AllUsersEnabled, StillOpenAfterNext;
};

static std::string ScratchFolder;

// Runs the page modally; once it is up it is read, the text typed, the
// radio button clicked and Next pressed. A rejected folder leaves the page
// up, which is then read again and cancelled.
static INT_PTR RunPage(PageRun &run)
{
    return RunModalPage(IDD_DIRECTORY, DirectoryPage, NULL, [&](HWND page) {
        run.Page = page;
        char text[1024];
        GetDlgItemTextA(page, IDC_INSTALL_DIR, text, sizeof text);
        run.FieldAtOpen = text;
        for (int i = 0; i < 3; i++)
            run.Checked[i] = IsDlgButtonChecked(page, IDC_SHORTCUT_ALL + i) == BST_CHECKED;
        run.AllUsersEnabled = IsWindowEnabled(GetDlgItem(page, IDC_SHORTCUT_ALL)) != 0;

        std::string typed;
        for (const char *c = run.Text; *c; c++)
            typed += *c == '~' ? ScratchFolder : *c == '*' ? std::string(600, 'n') : std::string(1, *c);
        SetDlgItemTextA(page, IDC_INSTALL_DIR, typed.c_str());
        if (run.Radio)
            SendDlgItemMessageA(page, run.Radio, BM_CLICK, 0, 0);
        SendMessageA(page, WM_COMMAND, IDOK, 0);
        // An accepted folder has ended the page; a rejected one left it up.
        run.StillOpenAfterNext = IsWindowVisible(page) != 0;
        if (run.StillOpenAfterNext) {
            GetDlgItemTextA(page, IDC_INSTALL_DIR, text, sizeof text);
            run.FieldAfterNext = text;
            SendMessageA(page, WM_COMMAND, IDCANCEL, 0);
        }
    });
}

class DirectoryPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetSetupState();
        ScratchFolder = ScratchOnC("page-tests");
        CreateDirectoryA((ScratchFolder + "\\Apps").c_str(), NULL);
    }
    void TearDown() override { RemoveScratchOnC(ScratchFolder); }
};

TEST_F(DirectoryPageTest, NextStoresTheCheckedShortcutKindOnceTheFolderIsAccepted)
{
    static const struct { DWORD Platform; int Radio; BYTE Choice; } cases[] = {
        { VER_PLATFORM_WIN32_NT, 0, SHORTCUT_ALL_USERS },
        { VER_PLATFORM_WIN32_NT, IDC_SHORTCUT_USER, SHORTCUT_CURRENT_USER },
        { VER_PLATFORM_WIN32_NT, IDC_SHORTCUT_NONE, SHORTCUT_NONE },
        { VER_PLATFORM_WIN32_WINDOWS, 0, SHORTCUT_CURRENT_USER },
        { VER_PLATFORM_WIN32_WINDOWS, IDC_SHORTCUT_NONE, SHORTCUT_NONE },
    };
    ASSERT_TRUE(ReadRegValue(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir").Found);
    for (const auto &c : cases) {
        SCOPED_TRACE("platform " + std::to_string(c.Platform) + ", button " + std::to_string(c.Radio));
        SetupState.PlatformId = c.Platform;
        SetupState.ShortcutChoice = 0xEE;
        PageRun run = { " ~\\Apps\\New\t", c.Radio };
        BoxCapture boxes;

        EXPECT_EQ(RunPage(run), IDOK);
        EXPECT_TRUE(boxes.Boxes.empty());
        EXPECT_EQ(SetupState.ShortcutChoice, c.Choice);
        EXPECT_EQ(std::string(SetupState.InstallPath), ScratchFolder + "\\Apps\\New");
        EXPECT_TRUE(DirExists(ScratchFolder + "\\Apps\\New"));
        EXPECT_EQ(run.FieldAtOpen, DefaultInstallFolder());
        bool nt = c.Platform == VER_PLATFORM_WIN32_NT;
        EXPECT_EQ(run.AllUsersEnabled, nt);
        EXPECT_EQ(run.Checked[0], nt);
        EXPECT_EQ(run.Checked[1], !nt);
        EXPECT_FALSE(run.Checked[2]);
        SetCurrentDirectoryA("C:\\");
        RemoveDirectoryA((ScratchFolder + "\\Apps\\New").c_str());
    }
}

TEST_F(DirectoryPageTest, ARejectedFolderKeepsThePageAndTheFieldAsTypedAndStoresNoChoice)
{
    SetupState.PlatformId = VER_PLATFORM_WIN32_NT;
    SetupState.ShortcutChoice = 0xEE;
    PageRun run = { "  ~\\Missing\\Tool \t", IDC_SHORTCUT_NONE };
    BoxCapture boxes;

    EXPECT_EQ(RunPage(run), IDCANCEL);
    EXPECT_TRUE(run.StillOpenAfterNext);
    EXPECT_EQ(run.FieldAfterNext, "  " + ScratchFolder + "\\Missing\\Tool \t");
    EXPECT_EQ(std::string(SetupState.InstallPath), ScratchFolder + "\\Missing\\Tool");
    EXPECT_EQ(SetupState.ShortcutChoice, 0xEE);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, ExpectedReport(IDS_NO_PARENT_DIR));
    EXPECT_NE(run.Page, (HWND)NULL);
    EXPECT_EQ(boxes.Boxes[0].Owner, run.Page);
    EXPECT_FALSE(DirExists(ScratchFolder + "\\Missing"));
}

// The field's text is read with room for 519 characters; the rest of a
// longer entry never reaches the folder, and the folder past MAX_PATH is
// refused with a message, not taken.
TEST_F(DirectoryPageTest, OnlyTheFirst519CharactersOfTheFieldReachTheFolder)
{
    SetupState.PlatformId = VER_PLATFORM_WIN32_NT;
    StateGuard guard;   // nothing written past the install folder
    guard.Allow(SetupState.InstallPath, sizeof SetupState.InstallPath);
    PageRun run = { "~\\*" };
    BoxCapture boxes;

    EXPECT_EQ(RunPage(run), IDCANCEL);
    std::string expected = (ScratchFolder + "\\" + std::string(600, 'n')).substr(0, 519);
    EXPECT_EQ(std::string(SetupState.InstallPath), expected);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, ExpectedReport(IDS_NO_ACCESS_DIR));
    EXPECT_EQ(guard.Damage(), "");
}

static INT_PTR CALLBACK PlainDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// screens/directory.cpp's own, linked from its object.
int CheckedRadioIndex(HWND window, int firstId, int count);

TEST(CheckedRadioIndex, GivesThePositionOfTheFirstCheckedButtonOfTheRun)
{
    static const struct { bool Checked[3]; int First, Count, Expected; } cases[] = {
        { { false, false, false }, IDC_SHORTCUT_ALL, 3, 0 },
        { { true, false, false }, IDC_SHORTCUT_ALL, 3, 0 },
        { { false, true, false }, IDC_SHORTCUT_ALL, 3, 1 },
        { { false, false, true }, IDC_SHORTCUT_ALL, 3, 2 },
        { { false, true, true }, IDC_SHORTCUT_ALL, 3, 1 },
        { { false, false, true }, IDC_SHORTCUT_ALL, 0, 0 },
        { { false, true, true }, IDC_SHORTCUT_ALL, 1, 0 },
        { { false, false, true }, IDC_SHORTCUT_USER, 2, 1 },
        { { true, false, false }, IDC_SHORTCUT_USER, 2, 0 },
    };
    ResetSetupState();
    HWND page = CreateDialogParamA(SetupState.Instance, MAKEINTRESOURCEA(IDD_DIRECTORY), NULL, PlainDialog, 0);
    ASSERT_NE(page, (HWND)NULL);
    for (const auto &c : cases) {
        for (int i = 0; i < 3; i++)
            CheckDlgButton(page, IDC_SHORTCUT_ALL + i, c.Checked[i] ? BST_CHECKED : BST_UNCHECKED);
        EXPECT_EQ(CheckedRadioIndex(page, c.First, c.Count), c.Expected)
            << c.Checked[0] << c.Checked[1] << c.Checked[2] << " from " << c.First << ", " << c.Count;
    }
    DestroyWindow(page);
}
