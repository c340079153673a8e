// Runs of the real Uninstal.exe that remove nothing (No, a second run, a
// shared folder, the setup folder) and runs under the Windows 95 and NT 3.51
// settings, where the uninstaller is run from its folder.
#include "support/uninstall_run.h"
#include "setup/state.h"
#include "resources/resource.h"
#include <shlobj.h>

// Reads the one box of a run, presses a button and returns the text.
static std::string AnswerBox(int button, std::vector<int> buttons = { IDOK })
{
    MessageBoxSeen box = WaitForUninstallBox();
    if (!box.Window)
        return "(no box)";
    EXPECT_EQ(ButtonsOf(box.Window), buttons);
    Press(box, button);
    return box.Text;
}

static void ExpectInstalled(const std::string &folder)
{
    ExpectShippedFiles(folder);
    ExpectInstalledRegistry(folder);
    EXPECT_TRUE(ReadShortcut(CSIDL_STARTMENU).Found);
}

TEST_F(UninstallGuiTest, AnsweringNoChangesNothing)
{
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_CURRENT_USER));

    Run = StartUninstall(Folder);
    EXPECT_EQ(AnswerBox(IDNO, { IDYES, IDNO }), "Remove Brindlecast 1.26 from this computer?");
    EXPECT_EQ(WaitForExit(Run), 1);
    ExpectInstalled(Folder);
    EXPECT_EQ(TempCopyFolders(), std::vector<std::string>());
}

// After a complete removal the uninstaller is gone with the folder; a copy of
// it put back in the same place finds nothing to remove, and stays itself.
TEST_F(UninstallGuiTest, SecondRunSaysTheProductIsNotInstalled)
{
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_CURRENT_USER));
    Run = StartUninstall(Folder, "/S");
    ASSERT_EQ(Finish(Run), 0);
    ASSERT_FALSE(DirExists(Folder));

    CreateDirectoryA(Folder.c_str(), NULL);
    CopyFileA((std::string(SETUP_MEDIA_DIR) + "\\Uninstal.exe").c_str(), (Folder + "\\Uninstal.exe").c_str(), FALSE);
    Run = StartUninstall(Folder);
    EXPECT_EQ(AnswerBox(IDOK), "Brindlecast 1.26 is not installed in " + Folder + ". Nothing was removed.");
    EXPECT_EQ(Finish(Run), 0);
    Run = StartUninstall(Folder, "/S");
    EXPECT_EQ(Finish(Run), 0);
    EXPECT_EQ(FilesIn(Folder), std::vector<std::string>{ "Uninstal.exe" });
}

// A copy of the uninstaller run in a shared folder that no record names and
// that holds no Brindlecast program finds no installation there: files that
// only share a name with the product's texts are someone else's.
TEST_F(UninstallGuiTest, SharedFolderWithoutTheProgramIsNotAnInstallation)
{
    CreateDirectoryA(Folder.c_str(), NULL);
    CopyFileA((std::string(SETUP_MEDIA_DIR) + "\\Uninstal.exe").c_str(), (Folder + "\\Uninstal.exe").c_str(), FALSE);
    for (const char *file : { "Readme.txt", "License.txt", "Log.txt", "Minutes.doc" })
        WriteBytes(Folder + "\\" + file, std::string("the team's ") + file);
    const std::vector<std::string> before = FilesIn(Folder);

    Run = StartUninstall(Folder);
    EXPECT_EQ(AnswerBox(IDOK), "Brindlecast 1.26 is not installed in " + Folder + ". Nothing was removed.");
    EXPECT_EQ(Finish(Run), 0);
    Run = StartUninstall(Folder, "/S");
    EXPECT_EQ(Finish(Run), 0);
    EXPECT_EQ(FilesIn(Folder), before);
    EXPECT_EQ(ReadBytes(Folder + "\\Readme.txt"), "the team's Readme.txt");
    EXPECT_EQ(TempCopies(), std::vector<std::string>());
}

// The setup folder, perhaps a disc, is not an installation, whatever the
// registry says; the installation elsewhere stays whole.
TEST_F(UninstallGuiTest, StartedFromTheSetupFolderRemovesNothing)
{
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_CURRENT_USER));
    std::string media = StageSetupFolder("uninstall-setup-folder");
    std::vector<std::string> staged = FilesIn(media);

    Run = StartUninstall(media);
    EXPECT_EQ(AnswerBox(IDOK), media + " holds the Brindlecast setup files. Uninstall removes nothing there: "
                                       "run it from the folder where Brindlecast is installed.");
    EXPECT_EQ(WaitForExit(Run), 1);
    Run = StartUninstall(media, "/S");
    EXPECT_EQ(WaitForExit(Run), 1);

    EXPECT_EQ(FilesIn(media), staged);
    ExpectInstalled(Folder);
    EXPECT_EQ(TempCopyFolders(), std::vector<std::string>());
    DeleteTree(media);
}

// Installed as on each platform, NT 3.51 without an uninstall entry, and
// removed by running Uninstal.exe from the folder with that platform
// reported to it: its copy goes at the restart through wininit.ini on the
// Windows 95 family.
TEST_F(UninstallGuiTest, RemovedOnWindows95AndNt351)
{
    const struct {
        const char *Version;
        DWORD PlatformId, MajorVersion;
        bool Entry, Wininit;
    } cases[] = {
        { "win95", VER_PLATFORM_WIN32_WINDOWS, 4, true, true },
        { "nt351", VER_PLATFORM_WIN32_NT, 3, false, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Version);
        ResetMachine();
        ASSERT_TRUE(InstallInProcess(Folder, c.PlatformId, c.MajorVersion, SHORTCUT_CURRENT_USER));
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, UninstallEntryKey), c.Entry);
        ReportUninstallerVersion(c.Version);

        Run = StartUninstall(Folder);
        MessageBoxSeen question = WaitForUninstallBox();
        ASSERT_NE(question.Window, (HWND)NULL);
        Press(question, IDYES);
        EXPECT_EQ(AnswerBox(IDOK), "Brindlecast was removed from your computer.");
        EXPECT_EQ(Finish(Run), 0);
        ExpectProductGone();
        ExpectCopyScheduled(c.Wininit);
        // The next case starts from what this one found.
        RemoveTempCopies();
        PendingBefore = PendingDeletions();
        RestartLinesBefore = RestartLines();
    }
}
