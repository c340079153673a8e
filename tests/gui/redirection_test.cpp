// A .local file or folder beside Setup.exe or Uninstal.exe, whatever the
// program is called: Windows 2000 and later would load DLLs from it in
// place of those the program names, so the program refuses before it does
// anything, names what to delete, changes nothing and ends with 1.
#include "support/uninstall_run.h"
#include "setup/state.h"
#include <shlobj.h>

TEST_F(UninstallGuiTest, LocalRedirectionBesideEitherProgramIsRefused)
{
    const struct {
        bool Setup;            // else the uninstaller of an installation
        const char *Program;   // the program's file name
        bool Folder;           // the .local is a folder, else a file
    } cases[] = {
        { true, "Setup.exe", false },
        { true, "Setup.exe", true },
        { true, "Brindlecast 1.26 Setup.exe", false },
        { false, "Uninstal.exe", false },
        { false, "Uninstal.exe", true },
        { false, "Uninstall Brindlecast.exe", true },
    };
    for (const auto &c : cases) {
        const std::string local = std::string(c.Program) + ".local";
        SCOPED_TRACE(local + (c.Folder ? ", a folder" : ", a file"));
        ResetMachine();
        std::string folder = Folder;
        if (c.Setup) {
            folder = StageSetupFolder("local-redirection");
        } else {
            ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_CURRENT_USER));
        }
        const std::string program = folder + "\\" + c.Program;
        CopyFileA((folder + "\\" + (c.Setup ? "Setup.exe" : "Uninstal.exe")).c_str(), program.c_str(), TRUE);
        if (c.Folder)
            ASSERT_TRUE(CreateDirectoryA((folder + "\\" + local).c_str(), NULL));
        else
            WriteBytes(folder + "\\" + local, "");
        const std::vector<std::string> before = FilesIn(folder);

        Run = StartProgram("\"" + program + "\"");
        MessageBoxSeen box = WaitForMessageBox(Run);
        ASSERT_NE(box.Window, (HWND)NULL);
        EXPECT_EQ(box.Owner, (HWND)NULL);
        if (c.Setup) {
            EXPECT_EQ(box.Caption, "Error");
            EXPECT_EQ(box.Text, ExpectedReport(IDS_LOCAL_REDIRECT, local));
            EXPECT_EQ(BackdropOf(Run), (HWND)NULL) << "the refusal comes before the backdrop";
        } else {
            EXPECT_EQ(box.Caption, "Brindlecast 1.26 Uninstall");
            EXPECT_EQ(box.Text, "Uninstall cannot run with a .local file or folder beside it, which would make "
                                "Windows load other files in place of its own. Delete " + local
                                    + ", then run Uninstall again. Nothing was removed.");
        }
        Answer(box, IDOK);
        EXPECT_EQ(WaitForExit(Run), 1);
        if (!c.Setup) {
            // Quietly, without a box, which would keep the run from ending.
            Run = StartProgram("\"" + program + "\" /S");
            EXPECT_EQ(WaitForExit(Run), 1);
        }

        EXPECT_EQ(FilesIn(folder), before);
        if (c.Setup) {
            ExpectNoRegistry();
            DeleteTree(folder);
        } else {
            ExpectInstalledRegistry(Folder);
            EXPECT_TRUE(ReadShortcut(CSIDL_STARTMENU).Found);
            EXPECT_EQ(TempCopies(), std::vector<std::string>());
            DeleteTree(Folder);
        }
    }
}
