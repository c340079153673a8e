// Setup.exe as deployment tools run it: /S installs exactly what the pages
// would, without a window, and ends with 0 or the number of its message;
// /P shows only its progress; the log; the command lines it refuses; and one
// run at a time.
#include "support/gui.h"
#include "support/unattended.h"
#include "support/uninstall_run.h"
#include "support/held_copy.h"
#include "setup/state.h"
#include "common/messages.h"
#include <algorithm>
#include <shlobj.h>

class Unattended : public FolderGuiTest {
protected:
    std::string Media;
    void SetUp() override
    {
        FolderGuiTest::SetUp();
        Media = Stage("unattended setup");
    }
    void TearDown() override
    {
        FolderGuiTest::TearDown();
        DeleteTree(DefaultInstallFolder());
        SetReportedVersion("");
        SetEnvironmentVariableA(HELD_COPY_VARIABLE, NULL);
    }
    std::string Command(const std::string &arguments)
    {
        return "\"" + Media + "\\Setup.exe\" " + Expand(arguments.c_str(), Scratch);
    }
};

// Into the default folder, one with spaces, a drive root and a folder two
// levels down (quoted too): the same files, registry values and shortcut as
// the pages leave for that folder and the shortcut they propose.
TEST_F(Unattended, QuietRunInstallsWhatThePagesWouldWithoutAWindow)
{
    // R: is a drive of the test prefix of its own (scripts/wine-env.sh).
    ASSERT_TRUE(DirExists("R:\\"));
    CreateDirectoryA((Scratch + "\\Deploy").c_str(), NULL);
    const struct {
        const char *Arguments, *Folder;
    } cases[] = {
        { "/S", "" },
        { "/s /D=~\\Brindle Apps", "~\\Brindle Apps" },
        { "/S /D=R:\\", "R:\\" },
        { "/S /D=\"~\\Deploy\\Brindle Cast\"", "~\\Deploy\\Brindle Cast" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Arguments);
        std::string folder = *c.Folder ? Expand(c.Folder, Scratch) : DefaultInstallFolder();
        ResetMachine();
        WatchedRun quiet = RunWatched(Command(c.Arguments));
        EXPECT_EQ(quiet.ExitCode, 0);
        EXPECT_EQ(quiet.Windows, std::vector<std::string>{});
        ExpectShippedFiles(folder);
        ExpectInstalledRegistry(folder);
        std::string unattended = InstalledState(folder);

        ResetMachine();
        for (const char *file : ShippedFiles)
            DeleteFileA((folder + (folder.back() == '\\' ? "" : "\\") + file).c_str());
        Run = StartSetup(Media);
        ASSERT_TRUE(ClickThroughPages(Run, folder, IDC_SHORTCUT_ALL));
        EXPECT_EQ(FinishRun(Run), 1);
        EXPECT_EQ(InstalledState(folder), unattended);
    }
    for (const char *file : ShippedFiles)
        DeleteFileA((std::string("R:\\") + file).c_str());
}

// Each failure the machine can be made to show: its message number as the
// exit code, nothing on the screen, the message in the log.
TEST_F(Unattended, QuietFailuresEndWithTheirMessageNumber)
{
    WriteBytes(Scratch + "\\A File", "not a folder");
    const struct {
        const char *Name, *Arguments;
        UINT Message;
        std::function<void(const std::string &media)> Spoil;
    } cases[] = {
        { "no drive", "/S /D=1:\\Tool", IDS_BAD_DRIVE, nullptr },
        { "two backslashes", "/S /D=~\\\\Tool", IDS_DOUBLE_BACKSLASH, nullptr },
        { "no parent", "/S /D=~\\Missing\\Tool", IDS_NO_PARENT_DIR, nullptr },
        { "a file of that name", "/S /D=~\\A File", IDS_NO_ACCESS_DIR, nullptr },
        { "licence missing", "/S /D=~\\Apps", IDS_BAD_AGREEMENT,
          [](const std::string &media) { DeleteFileA((media + "\\License.txt").c_str()); } },
        { "licence altered", "/S /D=~\\Apps", IDS_BAD_AGREEMENT,
          [](const std::string &media) { WriteBytes(media + "\\License.txt", "abc"); } },
        { "product file missing", "/S /D=~\\Apps", IDS_COPY_FAILED,
          [](const std::string &media) { DeleteFileA((media + "\\Readme.txt").c_str()); } },
        { "product file changed", "/S /D=~\\Apps", IDS_DAMAGED_FILE,
          [](const std::string &media) { WriteBytes(media + "\\Order.txt", "changed"); } },
        { "shortcut name taken", "/S /SHORTCUT=user /D=~\\Apps", IDS_REGISTRY_FAILED,
          [](const std::string &) { CreateDirectoryA(ShortcutPath(CSIDL_STARTMENU).c_str(), NULL); } },
        { "maker key locked", "/S /D=~\\Apps", IDS_REGISTRY_FAILED, [](const std::string &) { LockMakerKey(); } },
        { "old Windows", "/S /D=~\\Apps", IDS_BAD_WINDOWS,
          [](const std::string &) { SetReportedVersion("win31"); } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        DeleteTree(Media);
        Media = Stage("unattended setup");
        if (c.Spoil)
            c.Spoil(Media);
        std::string log = Scratch + "\\setup.log";
        DeleteFileA(log.c_str());
        WatchedRun quiet = RunWatched(Command("/LOG=\"" + log + "\" " + c.Arguments));
        EXPECT_EQ(quiet.ExitCode, (int)c.Message);
        EXPECT_EQ(quiet.Windows, std::vector<std::string>{});
        std::vector<std::string> lines = LogLines(log);
        std::string report = ExpectedReport(c.Message, c.Message == IDS_DAMAGED_FILE ? "Order.txt" : "");
        for (char &ch : report)
            if (ch == '\r' || ch == '\n')
                ch = ' ';
        EXPECT_TRUE(HasLine(lines, "Message " + std::to_string(c.Message) + ": " + report)) << ReadBytes(log);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "Exit code " + std::to_string(c.Message));
        SetReportedVersion("");
        RemoveDirectoryA(ShortcutPath(CSIDL_STARTMENU).c_str());
        DeleteTree(Scratch + "\\Apps");
    }
}

// The settings files of an earlier installation elsewhere come along without
// a question, and its folder goes; the log tells each step.
TEST_F(Unattended, QuietRunCarriesOverTheSettingsOfAnEarlierInstallation)
{
    std::string old = Scratch + "\\Old Place", folder = Scratch + "\\New Place";
    ASSERT_TRUE(InstallInProcess(old, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
    WriteBytes(old + "\\one.tsl", "first");
    WriteBytes(old + "\\two.tsl", "second");
    std::string log = Scratch + "\\setup.log";

    WatchedRun quiet = RunWatched(Command("/S /LOG=" + log + " /D=" + folder));
    EXPECT_EQ(quiet.ExitCode, 0);
    EXPECT_EQ(quiet.Windows, std::vector<std::string>{});
    ExpectShippedFiles(folder, { "one.tsl", "two.tsl" });
    EXPECT_EQ(ReadBytes(folder + "\\two.tsl"), "second");
    EXPECT_FALSE(DirExists(old));
    std::vector<std::string> lines = LogLines(log);
    EXPECT_TRUE(HasLine(lines, "Earlier installation: " + old));
    EXPECT_TRUE(HasLine(lines, "Moved " + old + "\\one.tsl to " + folder + "\\one.tsl"));
    EXPECT_TRUE(HasLine(lines, "Set aside " + old + "\\Tessel.exe"));
    EXPECT_TRUE(HasLine(lines, "Removed the folder " + old));
}

// The log of a whole run: what it was started with, where from and to, each
// file, each registry value, the shortcut and the end.
TEST_F(Unattended, LogTellsEveryStepOfTheRun)
{
    std::string folder = Scratch + "\\Brindle Apps", log = Scratch + "\\Deploy Logs\\setup.log";
    CreateDirectoryA((Scratch + "\\Deploy Logs").c_str(), NULL);
    std::string command = Command("/S /SHORTCUT=User /LOG=\"" + log + "\" /D=" + folder);
    EXPECT_EQ(RunWatched(command).ExitCode, 0);

    std::vector<std::string> lines = LogLines(log);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Brindlecast 1.26 Trial Setup: " + command);
    EXPECT_EQ(lines[1].rfind("Windows ", 0), 0u) << lines[1];
    EXPECT_TRUE(HasLine(lines, "Setup folder: " + Media + "\\"));
    EXPECT_TRUE(HasLine(lines, "Install folder: " + folder));
    for (const char *file : ShippedFiles)
        EXPECT_TRUE(HasLine(lines, "Copied " + folder + "\\" + file)) << file;
    for (const InstalledValue &value : InstalledValues(folder))
        if (value.Type == REG_SZ) {
            EXPECT_TRUE(HasLine(lines, std::string("Registry value ") + (value.Name ? value.Name : "(default)") + " = "
                                           + value.Text))
                << value.Key << " " << (value.Name ? value.Name : "");
        }
    EXPECT_TRUE(HasLine(lines, "Shortcut: " + ShortcutPath(CSIDL_STARTMENU)));
    EXPECT_EQ(lines[lines.size() - 2], "Installed.");
    EXPECT_EQ(lines.back(), "Exit code 0");
}

// What the setup does not understand installs nothing and ends with 2, the
// list of switches shown except in a quiet run; what it understands works
// in any case and with any blanks.
TEST_F(Unattended, CommandLinesNotUnderstoodInstallNothing)
{
    const struct {
        const char *Arguments, *Windows;
        bool Box;
    } cases[] = {
        { "/?", "", true },
        { "/X", "", true },
        { "/D", "", true },
        { "/D=", "", true },
        { "/SHORTCUT=everyone", "", true },
        { "/S /P", "", false },
        { "/S /X", "", false },
        { "/S /LOG=~\\no folder\\setup.log", "", false },
        { "/S /LOG=\"~\\no folder\\setup.log\"", "", false },
        { "/S /SHORTCUT=all", "win95", false },
        { "/SHORTCUT=ALL /D=~\\Apps", "win95", true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Arguments);
        SetReportedVersion(c.Windows);
        Run = StartProgram(Command(c.Arguments));
        if (c.Box) {
            MessageBoxSeen box = WaitForMessageBox(Run);
            ASSERT_NE(box.Window, (HWND)NULL);
            EXPECT_EQ(box.Caption, SetupTitleText);
            EXPECT_EQ(box.Text, SetupSwitchesText);
            Answer(box, IDOK);
        }
        EXPECT_EQ(WaitForExit(Run), EXIT_COMMAND_LINE);
        ExpectNoRegistry();
        EXPECT_FALSE(DirExists(Scratch + "\\Apps"));
        EXPECT_FALSE(DirExists(Scratch + "\\no folder"));
    }
    SetReportedVersion("");
    std::string folder = Scratch + "\\Blank Apps";
    EXPECT_EQ(RunWatched(Command("  /s   /shortcut=NONE\t/d=" + folder + "  ")).ExitCode, 0);
    ExpectShippedFiles(folder);
    EXPECT_FALSE(ReadShortcut(CSIDL_COMMON_STARTMENU).Found);
}

// Passive: the backdrop and the progress panel, no page and no question
// (not even for an earlier installation's settings files), and done. The
// panel is up for moments only, so the run (the setup's test build) is held
// at its first copy until the panel has been seen there; let go, it ends by
// itself: nothing waits for a click.
TEST_F(Unattended, PassiveRunShowsOnlyItsProgress)
{
    std::string old = Scratch + "\\Old Place", folder = Scratch + "\\New Place";
    ASSERT_TRUE(InstallInProcess(old, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
    WriteBytes(old + "\\one.tsl", "first");
    ASSERT_TRUE(CopyFileA(FAULT_SETUP, (Media + "\\Setup.exe").c_str(), FALSE));
    static const char holdName[] = "Brindlecast passive run held";
    HANDLE release = CreateEventA(NULL, TRUE, FALSE, holdName);
    ASSERT_NE(release, (HANDLE)NULL);
    SetEnvironmentVariableA(HELD_COPY_VARIABLE, holdName);

    HWND panel = NULL;
    std::vector<std::string> filesWhileHeld, panelButtons;
    WatchedRun passive = RunWatched(Command("/P /D=" + folder), "", 60000, [&](const SetupRun &run, HWND window) {
        if (panel || PageOf(window) != IDD_PROGRESS || GetWindow(window, GW_OWNER) != BackdropOf(run))
            return;
        panel = window;
        filesWhileHeld = FilesIn(folder);
        for (HWND control = GetWindow(window, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT))
            if (ClassOf(control) == "Button")
                panelButtons.push_back(std::to_string(GetDlgCtrlID(control)));
        SetEvent(release);
    });
    CloseHandle(release);
    EXPECT_NE(panel, (HWND)NULL) << "no visible progress panel owned by the backdrop";
    // The settings file came along before, and the journal was begun; no product file yet.
    EXPECT_EQ(filesWhileHeld, (std::vector<std::string>{ JournalFile, "one.tsl" }))
        << "the run was not held before its first copy";
    EXPECT_EQ(panelButtons, std::vector<std::string>{});
    EXPECT_EQ(passive.ExitCode, 0);
    // The backdrop may be listed after the panel that stands above it.
    EXPECT_TRUE(std::any_of(passive.Windows.begin(), passive.Windows.end(),
                            [](const std::string &window) { return window.rfind("SetupClass: ", 0) == 0; }));
    const std::string progress = "(page " + std::to_string(IDD_PROGRESS) + ")";
    for (const std::string &window : passive.Windows)
        EXPECT_TRUE(window.rfind("SetupClass: ", 0) == 0
                    || (window.rfind("#32770: ", 0) == 0 && window.find(progress) != std::string::npos))
            << window;
    ExpectShippedFiles(folder, { "one.tsl" });
    ExpectInstalledRegistry(folder);
}

// While one setup shows its pages, a second one, quiet or not, and a quiet
// uninstaller change nothing and end; the first then installs.
TEST_F(Unattended, OneRunAtATime)
{
    std::string earlier = Scratch + "\\Earlier", folder = Scratch + "\\Brindle Apps";
    ASSERT_TRUE(InstallInProcess(earlier, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
    Run = StartSetup(Media);
    ASSERT_NE(WaitForPage(Run, IDD_WELCOME), (HWND)NULL);

    WatchedRun quiet = RunWatched(Command("/S /D=" + folder));
    EXPECT_EQ(quiet.ExitCode, IDS_ALREADY_RUNNING);
    EXPECT_EQ(quiet.Windows, std::vector<std::string>{});
    SetupRun uninstall = StartUninstall(earlier, "/S");
    EXPECT_EQ(WaitForExit(uninstall), IDS_ALREADY_RUNNING);
    SetupRun second = StartSetup(Media);
    MessageBoxSeen box = WaitForMessageBox(second);
    ASSERT_NE(box.Window, (HWND)NULL);
    EXPECT_EQ(box.Text, ExpectedReport(IDS_ALREADY_RUNNING));
    EXPECT_EQ(BackdropOf(second), (HWND)NULL) << "the first run's pages stay in sight";
    Answer(box, IDOK);
    EXPECT_EQ(WaitForExit(second), 1);
    ExpectShippedFiles(earlier);
    EXPECT_FALSE(DirExists(folder));

    ASSERT_TRUE(ClickThroughPages(Run, folder, IDC_SHORTCUT_ALL));
    EXPECT_EQ(FinishRun(Run), 1);
    ExpectShippedFiles(folder);
    EXPECT_FALSE(DirExists(earlier));
}
