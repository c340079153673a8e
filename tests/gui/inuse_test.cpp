// A product file in use, seen before anything changes: the setup and the
// uninstaller ask to close the program and retry, Cancel changes nothing,
// and their quiet runs end with message 225 and change nothing.
#include "support/gui.h"
#include "support/unattended.h"
#include "support/uninstall_run.h"
#include "setup/state.h"
#include "common/messages.h"
#include "resources/resource.h"
#include <memory>

static const char RunningText[] = "Brindlecast is running. Close it, then press Retry.";

// A product file held the two ways a user meets: the installed program
// running (it shows a box while it runs), or a file another program opened
// for itself alone.
class Holder {
public:
    Holder(const std::string &folder, const char *file) : Path(folder + "\\" + file)
    {
        if (std::string(file) == "Tessel.exe") {
            Program = StartProgram("\"" + Path + "\"");
            Box = WaitForMessageBox(Program);
        } else {
            File = CreateFileA(Path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        }
    }
    ~Holder()
    {
        if (File != INVALID_HANDLE_VALUE)
            CloseHandle(File);
        if (Program.Started)
            StopSetup(Program);
    }
    bool Holds() const { return File != INVALID_HANDLE_VALUE || Box.Window; }
    // Lets the file go: closes it, or ends the program as its user does.
    void Release()
    {
        if (Program.Started) {
            Answer(Box, IDOK);
            EXPECT_EQ(WaitForExit(Program), 0) << "the program ended";
            Program.Started = false;
        } else {
            CloseHandle(File);
            File = INVALID_HANDLE_VALUE;
        }
    }
    std::string Path;

private:
    HANDLE File = INVALID_HANDLE_VALUE;
    SetupRun Program = {};
    MessageBoxSeen Box = {};
};

class InUse : public UninstallGuiTest {
protected:
    std::string Media;
    void SetUp() override
    {
        UninstallGuiTest::SetUp();
        Media = StageSetupFolder("in-use media");
    }
    void TearDown() override
    {
        UninstallGuiTest::TearDown();
        DeleteTree(Media);
    }
    // An earlier installation in Folder, afresh.
    void Install()
    {
        ResetMachine();
        DeleteTree(Folder);
        ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
    }
    // The box, checked in full, with its owner and its caption.
    MessageBoxSeen ExpectRunningBox(const SetupRun &run, HWND owner, const char *caption)
    {
        MessageBoxSeen box = WaitForMessageBox(run);
        EXPECT_NE(box.Window, (HWND)NULL);
        EXPECT_EQ(box.Caption, caption);
        EXPECT_EQ(box.Text, RunningText);
        EXPECT_EQ(box.Owner, owner);
        EXPECT_NE(GetDlgItem(box.Window, IDRETRY), (HWND)NULL);
        EXPECT_NE(GetDlgItem(box.Window, IDCANCEL), (HWND)NULL);
        EXPECT_EQ(GetDlgItem(box.Window, IDOK), (HWND)NULL);
        return box;
    }
    MessageBoxSeen SetupBox()
    {
        return ExpectRunningBox(Run, BackdropOf(Run), SetupTitleText);
    }
};

// Reinstalling over an installation whose program runs, or whose file
// another program holds: the box comes before anything changed, Retry with
// the file still held asks again, Retry once it is free installs, and
// Cancel leaves everything as it was.
TEST_F(InUse, SetupAsksBeforeChangingAnything)
{
    for (const char *file : { "Tessel.exe", "Readme.txt" }) {
        SCOPED_TRACE(file);
        Install();
        {
            Holder holder(Folder, file);
            ASSERT_TRUE(holder.Holds());
            // Taken while held: a file held for one process alone reads as empty.
            const std::string held = InstalledState(Folder);
            Run = StartSetup(Media);
            ASSERT_TRUE(ClickThroughPages(Run, Folder, IDC_SHORTCUT_NONE));
            MessageBoxSeen box = SetupBox();
            EXPECT_EQ(InstalledState(Folder), held);
            Answer(box, IDRETRY);
            box = SetupBox();
            EXPECT_EQ(InstalledState(Folder), held);
            holder.Release();
            Answer(box, IDRETRY);
            EXPECT_EQ(FinishRun(Run), 1);
            ExpectShippedFiles(Folder);
            ExpectInstalledRegistry(Folder);
        }
        Install();
        const std::string before = InstalledState(Folder);
        Holder holder(Folder, file);
        ASSERT_TRUE(holder.Holds());
        const std::string held = InstalledState(Folder);
        Run = StartSetup(Media);
        ASSERT_TRUE(ClickThroughPages(Run, Folder, IDC_SHORTCUT_NONE));
        MessageBoxSeen box = SetupBox();
        EXPECT_EQ(InstalledState(Folder), held);
        Answer(box, IDCANCEL);
        EXPECT_EQ(WaitForExit(Run), 1);
        holder.Release();
        EXPECT_EQ(InstalledState(Folder), before);
    }
}

// Without pages nothing asks: the run ends with 225, changes nothing and
// its log names the file. A new install folder made for the run goes again.
TEST_F(InUse, UnattendedSetupEndsWithItsMessage)
{
    const std::string fresh = Scratch + "\\Fresh";
    const struct {
        const char *Switch, *File;
        std::string Target;
    } cases[] = {
        { "/S", "Order.txt", Folder },
        { "/P", "Tessel.exe", fresh },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Switch);
        Install();
        const std::string before = InstalledState(Folder), log = Scratch + "\\setup.log";
        DeleteFileA(log.c_str());
        Holder holder(Folder, c.File);
        ASSERT_TRUE(holder.Holds());
        WatchedRun run = RunWatched("\"" + Media + "\\Setup.exe\" " + c.Switch + " /LOG=\"" + log + "\" /D=" + c.Target);
        EXPECT_EQ(run.ExitCode, IDS_PRODUCT_RUNNING);
        holder.Release();
        EXPECT_EQ(InstalledState(Folder), before);
        EXPECT_FALSE(DirExists(fresh));
        std::vector<std::string> lines = LogLines(log);
        EXPECT_TRUE(HasLine(lines, "In use: " + holder.Path)) << ReadBytes(log);
        EXPECT_TRUE(HasLine(lines, "Message 225: " + std::string(RunningText) + "  See the readme.txt file for additional help."))
            << ReadBytes(log);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "Exit code 225");
    }
}

// Only files the run would delete or replace count: all ten of the earlier
// installation's, the seven shipped ones of another install folder; not a
// settings file, a read-only file, a file the run leaves alone, nor the
// files of an earlier installation in the setup folder, which stay.
TEST_F(InUse, OnlyFilesTheSetupWouldChangeCount)
{
    const std::string other = Scratch + "\\Other";
    const struct {
        const char *Name;
        std::string Recorded, Into, Held;
        bool ReadOnly;
        UINT Exit;
    } cases[] = {
        { "a file only the product makes, earlier installation elsewhere", Folder, other, Folder + "\\Tessel.gid", false,
          IDS_PRODUCT_RUNNING },
        { "a shipped file in an install folder nothing records", "", Folder, Folder + "\\Tessel.hlp", false,
          IDS_PRODUCT_RUNNING },
        { "a settings file", Folder, Folder, Folder + "\\Mine.tsl", false, 0 },
        { "a read-only product file", Folder, Folder, Folder + "\\Readme.txt", true, 0 },
        { "a file the run leaves in another install folder", Folder, other, other + "\\Log.txt", false, 0 },
        { "the setup folder as earlier installation", Media, Folder, Media + "\\Log.txt", false, 0 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        DeleteTree(Folder);
        DeleteTree(other);
        for (const std::string &folder : { Folder, other }) {
            CreateDirectoryA(folder.c_str(), NULL);
            PutOldProductFiles(folder);
        }
        WriteBytes(Folder + "\\Mine.tsl", "settings");
        WriteBytes(Media + "\\Log.txt", "the product's log");
        if (!c.Recorded.empty())
            RecordPreviousInstall(WithTerminator(c.Recorded));
        if (c.ReadOnly)
            SetFileAttributesA(c.Held.c_str(), FILE_ATTRIBUTE_READONLY);
        const std::string before = InstalledState(Folder) + InstalledState(other);
        HANDLE held = c.ReadOnly ? INVALID_HANDLE_VALUE
                                 : CreateFileA(c.Held.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_EQ(held == INVALID_HANDLE_VALUE, c.ReadOnly);
        WatchedRun run = RunWatched("\"" + Media + "\\Setup.exe\" /S /SHORTCUT=none /D=" + c.Into);
        EXPECT_EQ(run.ExitCode, (int)c.Exit);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        if (c.Exit)
            EXPECT_EQ(InstalledState(Folder) + InstalledState(other), before);
        else
            ExpectInstalledRegistry(c.Into);
        SetFileAttributesA(c.Held.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA((Media + "\\Log.txt").c_str());
    }
    DeleteTree(other);
}

// The uninstaller asks after its question and before anything goes: Retry
// with the program still running asks again, Cancel leaves everything, and
// Retry once it has ended removes the product.
TEST_F(InUse, UninstallerAsksBeforeRemovingAnything)
{
    Install();
    Holder holder(Folder, "Tessel.exe");
    ASSERT_TRUE(holder.Holds());
    for (int button : { IDCANCEL, IDRETRY }) {
        SCOPED_TRACE(button);
        Run = StartUninstall(Folder);
        MessageBoxSeen question = WaitForUninstallBox();
        ASSERT_NE(question.Window, (HWND)NULL);
        Press(question, IDYES);
        MessageBoxSeen box = ExpectRunningBox(Run, NULL, "Brindlecast 1.26 Uninstall");
        ExpectShippedFiles(Folder);
        ExpectInstalledRegistry(Folder);
        EXPECT_EQ(TempCopyFolders(), std::vector<std::string>{}) << "no helper made yet";
        Answer(box, IDRETRY);
        box = ExpectRunningBox(Run, NULL, "Brindlecast 1.26 Uninstall");
        if (button == IDRETRY)
            holder.Release();
        Answer(box, button);
        if (button == IDCANCEL) {
            EXPECT_EQ(WaitForExit(Run), 1);
            ExpectShippedFiles(Folder);
            ExpectInstalledRegistry(Folder);
            EXPECT_EQ(TempCopyFolders(), std::vector<std::string>{});
        } else {
            MessageBoxSeen removed = WaitForMessageBox(Run);
            EXPECT_EQ(removed.Text, "Brindlecast was removed from your computer.");
            Answer(removed, IDOK);
            EXPECT_EQ(Finish(Run), 0);
            ExpectProductGone();
        }
    }
}

TEST_F(InUse, QuietUninstallerEndsWithItsMessage)
{
    Install();
    const std::string log = Scratch + "\\uninstall.log";
    Holder holder(Folder, "Readme.txt");
    ASSERT_TRUE(holder.Holds());
    Run = StartUninstall(Folder, "/S /LOG=\"" + log + "\"");
    EXPECT_EQ(WaitForExit(Run), IDS_PRODUCT_RUNNING);
    holder.Release();
    ExpectShippedFiles(Folder);
    ExpectInstalledRegistry(Folder);
    EXPECT_EQ(TempCopyFolders(), std::vector<std::string>{});
    std::vector<std::string> lines = LogLines(log);
    EXPECT_TRUE(HasLine(lines, "In use: " + holder.Path)) << ReadBytes(log);
    EXPECT_TRUE(HasLine(lines, "Message 225: " + std::string(RunningText))) << ReadBytes(log);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Exit code 225");
}
