// Whole runs of Setup.exe: a first installation, a second one over it, and
// runs cancelled on each page.
#include "support/gui.h"
#include "resources/resource.h"
#include <shlobj.h>

static void ExpectShortcutTo(int menu, const std::string &folder)
{
    ShortcutInfo link = ReadShortcut(menu);
    ASSERT_TRUE(link.Found) << "menu " << menu;
    EXPECT_EQ(link.Target, folder + "\\Tessel.exe");
    EXPECT_EQ(link.WorkingDir, folder + "\\");
    EXPECT_EQ(link.Description, "Shortcut to Tessel.exe");
    EXPECT_EQ(link.Arguments, "");
}

static std::string UserSetting(const char *name)
{
    return ReadRegValue(HKEY_CURRENT_USER, UserSettingsKey, name).Data;
}

static std::string Dword(DWORD value)
{
    return std::string((const char *)&value, sizeof value);
}

TEST_F(GuiTest, FirstInstallationLeavesFilesRegistryAndUserShortcut)
{
    std::string folder = MakeScratchDir("first-install") + "\\Tessel Apps";
    DeleteTree(DefaultInstallFolder());
    Run = StartSetup(StageSetupFolder("first-install-media"));
    ASSERT_TRUE(ClickThroughPages(Run, folder, IDC_SHORTCUT_USER));
    EXPECT_EQ(FinishRun(Run), 1);

    ExpectShippedFiles(folder);
    ExpectInstalledRegistry(folder);
    EXPECT_EQ(UserSetting("WindowLeft"), Dword(0));
    EXPECT_EQ(UserSetting("WindowTop"), Dword(0));
    ExpectShortcutTo(CSIDL_STARTMENU, folder);
    EXPECT_FALSE(ReadShortcut(CSIDL_COMMON_STARTMENU).Found);
    // Only the typed folder is used: the proposed one is never created.
    EXPECT_FALSE(DirExists(DefaultInstallFolder()));
}

TEST_F(GuiTest, SecondInstallationOverTheFirstKeepsSettingsAndPositions)
{
    std::string folder = MakeScratchDir("second-install") + "\\Brindlecast";
    std::string media = StageSetupFolder("second-install-media");
    Run = StartSetup(media);
    ASSERT_TRUE(ClickThroughPages(Run, folder, IDC_SHORTCUT_USER));
    ASSERT_EQ(FinishRun(Run), 1);

    // What a user of the product adds between the two installations.
    WriteBytes(folder + "\\Mine.tsl", "user settings\r\n");
    WriteBytes(folder + "\\Order.txt", "altered order form");
    WriteBytes(folder + "\\Log.txt", "log of the product");
    SetRegDword(HKEY_CURRENT_USER, UserSettingsKey, "WindowLeft", 120);
    SetRegDword(HKEY_CURRENT_USER, UserSettingsKey, "WindowTop", 80);

    Run = StartSetup(media);
    ASSERT_TRUE(ClickThroughPages(Run, folder, IDC_SHORTCUT_ALL));
    // Into the same folder: no question and no box before the finish page.
    EXPECT_EQ(FinishRun(Run), 1);

    ExpectShippedFiles(folder, { "Mine.tsl" });
    EXPECT_EQ(ReadBytes(folder + "\\Mine.tsl"), "user settings\r\n");
    ExpectInstalledRegistry(folder);
    EXPECT_EQ(UserSetting("WindowLeft"), Dword(120));
    EXPECT_EQ(UserSetting("WindowTop"), Dword(80));
    ExpectShortcutTo(CSIDL_COMMON_STARTMENU, folder);
    // The first run's shortcut is nobody's to remove.
    ExpectShortcutTo(CSIDL_STARTMENU, folder);
}

TEST_F(GuiTest, RunCancelledOnAnyPageWritesNothing)
{
    static const int pages[] = { IDD_WELCOME, IDD_AGREEMENT, IDD_DIRECTORY };
    std::string scratch = MakeScratchDir("cancelled");
    std::string media = StageSetupFolder("cancelled-media");
    DeleteTree(DefaultInstallFolder());

    for (int page : pages) {
        SCOPED_TRACE(page);
        std::string typed = scratch + "\\Typed";
        Run = StartSetup(media);
        HWND shown = WaitForPage(Run, IDD_WELCOME);
        ASSERT_NE(shown, (HWND)NULL);
        if (page != IDD_WELCOME) {
            Click(shown, IDOK);
            shown = WaitForPage(Run, IDD_AGREEMENT);
            ASSERT_NE(shown, (HWND)NULL);
        }
        if (page == IDD_DIRECTORY) {
            Click(shown, IDOK);
            shown = WaitForPage(Run, IDD_DIRECTORY);
            ASSERT_NE(shown, (HWND)NULL);
            SetControlText(shown, IDC_INSTALL_DIR, typed);
            Click(shown, IDC_SHORTCUT_USER);
        }
        Click(shown, IDCANCEL);
        EXPECT_EQ(WaitForExit(Run), 1);

        ExpectNoRegistry();
        EXPECT_FALSE(ReadShortcut(CSIDL_STARTMENU).Found);
        EXPECT_FALSE(ReadShortcut(CSIDL_COMMON_STARTMENU).Found);
        EXPECT_FALSE(DirExists(typed));
        EXPECT_FALSE(DirExists(DefaultInstallFolder()));
        EXPECT_EQ(FilesIn(scratch), std::vector<std::string>());
    }
}
