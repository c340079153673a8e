// The install-folder page of a real Setup.exe run: the proposed folder, the
// shortcut choices per platform, rejected folders, and where the chosen
// shortcut ends up.
#include "support/gui.h"
#include "resources/resource.h"
#include <shlobj.h>

class DirectoryPageGuiTest : public FolderGuiTest {
protected:
    // Next on the page with a folder that is accepted, then the completion page closed.
    void InstallFrom(HWND page)
    {
        Click(page, IDOK);
        HWND finish = WaitForPage(Run, IDD_FINISH);
        ASSERT_NE(finish, (HWND)NULL);
        Click(finish, IDOK);
        EXPECT_EQ(WaitForExit(Run), 1);
    }
};

TEST_F(DirectoryPageGuiTest, ProposesTheDefaultFolderAgainAfterBackAndIAgree)
{
    Run = StartSetup(Stage("dir-default"));
    HWND page = WalkToDirectoryPage(Run);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(WindowText(page), SetupTitleText);
    EXPECT_EQ(ControlText(page, IDC_INSTALL_DIR), DefaultInstallFolder());
    // Under the prefix's own NT version every kind is offered, all users first.
    for (int id = IDC_SHORTCUT_ALL; id <= IDC_SHORTCUT_NONE; id++)
        EXPECT_TRUE(ControlEnabled(page, id)) << id;
    EXPECT_TRUE(ButtonChecked(page, IDC_SHORTCUT_ALL));
    EXPECT_FALSE(ButtonChecked(page, IDC_SHORTCUT_USER));
    EXPECT_FALSE(ButtonChecked(page, IDC_SHORTCUT_NONE));

    SetControlText(page, IDC_INSTALL_DIR, Scratch + "\\Typed");
    Click(page, IDC_SHORTCUT_NONE);
    Click(page, IDC_BACK);
    HWND agreement = WaitForPage(Run, IDD_AGREEMENT);
    ASSERT_NE(agreement, (HWND)NULL);
    Click(agreement, IDOK);
    page = WaitForPage(Run, IDD_DIRECTORY);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(ControlText(page, IDC_INSTALL_DIR), DefaultInstallFolder());
    EXPECT_TRUE(ButtonChecked(page, IDC_SHORTCUT_ALL));
    EXPECT_FALSE(ButtonChecked(page, IDC_SHORTCUT_NONE));
    EXPECT_FALSE(DirExists(Scratch + "\\Typed"));

    Click(page, IDCANCEL);
    EXPECT_EQ(WaitForExit(Run), 1);
    EXPECT_FALSE(DirExists(DefaultInstallFolder()));
}

TEST_F(DirectoryPageGuiTest, OnTheWindows95FamilyTheAllUsersShortcutIsNotOffered)
{
    SetReportedVersion("win95");
    Run = StartSetup(Stage("dir-win95"));
    HWND page = WalkToDirectoryPage(Run);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_FALSE(ControlEnabled(page, IDC_SHORTCUT_ALL));
    EXPECT_TRUE(ControlEnabled(page, IDC_SHORTCUT_USER));
    EXPECT_TRUE(ControlEnabled(page, IDC_SHORTCUT_NONE));
    EXPECT_TRUE(ButtonChecked(page, IDC_SHORTCUT_USER));
    EXPECT_FALSE(ButtonChecked(page, IDC_SHORTCUT_ALL));

    // A click on the greyed-out button changes nothing. Clicks are handled in
    // the order given: once a click into the folder field has taken the
    // focus, the one before it has been handled too.
    DWORD thread = Run.Process.dwThreadId;
    MouseClick(GetDlgItem(page, IDC_SHORTCUT_ALL));
    MouseClick(GetDlgItem(page, IDC_INSTALL_DIR));
    ASSERT_TRUE(WaitForFocus(thread, GetDlgItem(page, IDC_INSTALL_DIR)));
    EXPECT_FALSE(ButtonChecked(page, IDC_SHORTCUT_ALL));
    EXPECT_TRUE(ButtonChecked(page, IDC_SHORTCUT_USER));
    // One on an enabled button does, which shows the clicks arrive.
    MouseClick(GetDlgItem(page, IDC_SHORTCUT_NONE));
    EXPECT_TRUE(WaitFor([&] { return ButtonChecked(page, IDC_SHORTCUT_NONE); }));
    EXPECT_FALSE(ButtonChecked(page, IDC_SHORTCUT_USER));

    Click(page, IDCANCEL);
    EXPECT_EQ(WaitForExit(Run), 1);
}

// A rejected folder leaves the page up, the field as typed; Enter in the
// field is Next, and the corrected folder goes on to the installation.
TEST_F(DirectoryPageGuiTest, ARejectedFolderCanBeCorrectedAndTheSecondNextInstalls)
{
    std::string setup = Stage("dir-retry");
    Run = StartSetup(setup);
    HWND page = WalkToDirectoryPage(Run);
    ASSERT_NE(page, (HWND)NULL);
    std::string typed = " \t" + Scratch + "\\Missing\\Tool  ";
    SetControlText(page, IDC_INSTALL_DIR, typed);
    Click(page, IDC_SHORTCUT_NONE);
    // The radio button is clicked through to its end (it holds the mouse
    // from the button going down to it coming up) before the user clicks
    // into the field; Enter is pressed there.
    ASSERT_TRUE(Settle(page, IDOK));
    MouseClick(GetDlgItem(page, IDC_INSTALL_DIR));
    ASSERT_TRUE(WaitForFocus(Run.Process.dwThreadId, GetDlgItem(page, IDC_INSTALL_DIR)));
    PressKey(Run.Process.dwThreadId, VK_RETURN);

    MessageBoxSeen box = WaitForMessageBox(Run);
    ASSERT_NE(box.Window, (HWND)NULL);
    EXPECT_EQ(box.Caption, "Error");
    EXPECT_EQ(box.Text, ExpectedReport(IDS_NO_PARENT_DIR));
    EXPECT_EQ(box.Owner, page);
    Click(box.Window, IDOK);
    ASSERT_TRUE(WaitGone(box.Window));

    EXPECT_TRUE(IsWindowVisible(page));
    EXPECT_EQ(ControlText(page, IDC_INSTALL_DIR), typed);
    EXPECT_TRUE(ButtonChecked(page, IDC_SHORTCUT_NONE));
    EXPECT_FALSE(DirExists(Scratch + "\\Missing"));

    SetControlText(page, IDC_INSTALL_DIR, "  " + Scratch + "\\Tool\\ ");
    ASSERT_TRUE(WaitForFocus(Run.Process.dwThreadId, GetDlgItem(page, IDC_INSTALL_DIR)));
    PressKey(Run.Process.dwThreadId, VK_RETURN);
    HWND finish = WaitForPage(Run, IDD_FINISH);
    ASSERT_NE(finish, (HWND)NULL);
    Click(finish, IDOK);
    EXPECT_EQ(WaitForExit(Run), 1);
    for (const char *file : ShippedFiles)
        EXPECT_EQ(ReadBytes(Scratch + "\\Tool\\" + file), ReadBytes(setup + "\\" + file)) << file;
    // "None" was kept through the rejection.
    EXPECT_FALSE(FileExists(ShortcutPath(CSIDL_STARTMENU)));
    EXPECT_FALSE(FileExists(ShortcutPath(CSIDL_COMMON_STARTMENU)));
}

struct ShortcutCase {
    int Button;
    int Folder;   // CSIDL of the Start Menu that gets the shortcut, or -1
};

static void PrintTo(const ShortcutCase &c, std::ostream *out)
{
    *out << "button " << c.Button << ", folder " << c.Folder;
}

class ShortcutChoiceGuiTest : public DirectoryPageGuiTest, public ::testing::WithParamInterface<ShortcutCase> {};

TEST_P(ShortcutChoiceGuiTest, TheCheckedButtonDecidesWhereTheShortcutGoes)
{
    Run = StartSetup(Stage("dir-shortcut"));
    HWND page = WalkToDirectoryPage(Run);
    ASSERT_NE(page, (HWND)NULL);
    SetControlText(page, IDC_INSTALL_DIR, Scratch + "\\Product");
    Click(page, GetParam().Button);
    InstallFrom(page);

    EXPECT_TRUE(FileExists(Scratch + "\\Product\\Tessel.exe"));
    for (int folder : { CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU })
        EXPECT_EQ(FileExists(ShortcutPath(folder)), folder == GetParam().Folder) << ShortcutPath(folder);
    // Right in the Start Menu, not in its Programs folder.
    EXPECT_FALSE(FileExists(ShortcutPath(CSIDL_PROGRAMS)));
    EXPECT_FALSE(FileExists(ShortcutPath(CSIDL_COMMON_PROGRAMS)));
}

INSTANTIATE_TEST_SUITE_P(Buttons, ShortcutChoiceGuiTest,
                         ::testing::Values(ShortcutCase{ IDC_SHORTCUT_ALL, CSIDL_COMMON_STARTMENU },
                                           ShortcutCase{ IDC_SHORTCUT_USER, CSIDL_STARTMENU },
                                           ShortcutCase{ IDC_SHORTCUT_NONE, -1 }),
                         [](const ::testing::TestParamInfo<ShortcutCase> &info) {
                             return std::string(info.param.Button == IDC_SHORTCUT_ALL    ? "AllUsers"
                                                : info.param.Button == IDC_SHORTCUT_USER ? "CurrentUser"
                                                                                          : "None");
                         });
