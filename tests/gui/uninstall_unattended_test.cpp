// The uninstaller as deployment tools run it: switches read or refused with
// exit code 2, a log of what it did, and no removal while a setup or another
// uninstaller runs.
#include "support/uninstall_run.h"
#include "support/installation.h"
#include "support/sandbox.h"
#include "support/unattended.h"
#include "common/messages.h"
#include "setup/state.h"

static const char SwitchesText[] =
    "Uninstall takes these switches:\n\n/S\tno question and no box; the exit code tells the result\n"
    "/LOG=file\tadds what it does to the file (quote a path with spaces)\n/?\tthis list\n\nNothing was removed.";

TEST_F(UninstallGuiTest, SwitchesNotUnderstoodRemoveNothing)
{
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
    const struct {
        const char *Arguments;
        bool Box;
    } cases[] = {
        { "/?", true },
        { "/X", true },
        { "/S=1", true },
        { "remove", true },
        { "/LOG", true },
        { "/LOG=~\\no folder\\u.log", true },
        { "/LOG=\"~\\log.txt", true },
        { "/S /X", false },
        { "/X /s", false },
        { "/S /LOG=~\\no folder\\u.log", false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Arguments);
        Run = StartUninstall(Folder, Expand(c.Arguments, Scratch));
        if (c.Box) {
            MessageBoxSeen box = WaitForUninstallBox();
            ASSERT_NE(box.Window, (HWND)NULL);
            EXPECT_EQ(box.Text, SwitchesText);
            Press(box, IDOK);
        }
        EXPECT_EQ(WaitForExit(Run), EXIT_COMMAND_LINE);
        ExpectShippedFiles(Folder);
        ExpectInstalledRegistry(Folder);
    }
    EXPECT_EQ(FilesIn(Scratch), std::vector<std::string>{ "Brindle Apps" }) << "no log was made";
}

TEST_F(UninstallGuiTest, LogSaysWhatTheQuietRemovalDid)
{
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
    std::string log = Scratch + "\\Deploy Logs\\uninstall.log";
    CreateDirectoryA((Scratch + "\\Deploy Logs").c_str(), NULL);
    WriteBytes(log, "2026-01-01 00:00:00 an earlier line\r\n");

    Run = StartUninstall(Folder, "/LOG=\"" + log + "\" /s");
    EXPECT_EQ(Finish(Run), 0);
    ExpectProductGone();
    std::vector<std::string> lines = LogLines(log);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "an earlier line");
    EXPECT_EQ(lines[1], "Brindlecast 1.26 Uninstall: \"" + Folder + "\\Uninstal.exe\" /LOG=\"" + log + "\" /s");
    EXPECT_EQ(lines[2].rfind("Windows ", 0), 0u) << lines[2];
    // Its own file goes after it has ended, by the temporary copy.
    for (const char *file : ShippedFiles)
        EXPECT_EQ(HasLine(lines, "Deleted " + Folder + "\\" + file), std::string(file) != "Uninstal.exe") << file;
    EXPECT_TRUE(HasLine(lines, "Message 2: Brindlecast was removed from your computer."));
    EXPECT_EQ(lines.back(), "Exit code 0");
}

// While one uninstaller asks its question, a second one, quiet or not,
// removes nothing and says why; the first then goes on as asked.
TEST_F(UninstallGuiTest, SecondUninstallerWhileOneRunsRemovesNothing)
{
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
    Run = StartUninstall(Folder);
    MessageBoxSeen question = WaitForUninstallBox();
    ASSERT_NE(question.Window, (HWND)NULL);

    SetupRun quiet = StartUninstall(Folder, "/S");
    EXPECT_EQ(WaitForExit(quiet), IDS_ALREADY_RUNNING);
    SetupRun shown = StartUninstall(Folder);
    MessageBoxSeen running = WaitForMessageBox(shown);
    ASSERT_NE(running.Window, (HWND)NULL);
    EXPECT_EQ(running.Caption, "Brindlecast 1.26 Uninstall");
    EXPECT_EQ(running.Text, ALREADY_RUNNING_TEXT);
    Answer(running, IDOK);
    EXPECT_EQ(WaitForExit(shown), IDS_ALREADY_RUNNING);
    ExpectShippedFiles(Folder);

    Press(question, IDYES);
    MessageBoxSeen removed = WaitForMessageBox(Run);
    EXPECT_EQ(removed.Text, "Brindlecast was removed from your computer.");
    Answer(removed, IDOK);
    EXPECT_EQ(Finish(Run), 0);
    ExpectProductGone();
}
