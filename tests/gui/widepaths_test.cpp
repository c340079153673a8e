// Whole runs on Windows NT from and into folders whose names the ANSI code
// page lacks, or has only as a look-alike: the setup folder, the /D= folder,
// the log and the Start Menu. Everything installs, and every record names
// the true folder; a folder left without a usable form is refused with 224.
#include "support/uninstall_run.h"
#include "support/gui.h"
#include "support/unattended.h"
#include "resources/resource.h"
#include <shlobj.h>

class WidePaths : public FolderGuiTest {
protected:
    void TearDown() override
    {
        SetEnvironmentVariableA("BRINDLECAST_TEST_MISSING", NULL);
        FolderGuiTest::TearDown();
        DeleteTree(DefaultInstallFolder());
    }
    // Every folder of a path below the scratch folder.
    std::wstring MakeFolders(const std::wstring &relative)
    {
        const std::wstring path = WideText(Scratch) + L"\\" + relative;
        for (size_t cut = path.find(L'\\', Scratch.size() + 1); cut != std::wstring::npos;
             cut = path.find(L'\\', cut + 1))
            CreateDirectoryW(path.substr(0, cut).c_str(), NULL);
        CreateDirectoryW(path.c_str(), NULL);
        return path;
    }
    // A staged setup folder moved to a path below the scratch folder.
    std::wstring StageAt(const std::wstring &relative, const char *program = nullptr)
    {
        const std::string staged = Stage("wide setup");
        if (program)
            CopyFileA(program, (staged + "\\Setup.exe").c_str(), FALSE);
        const std::wstring path = MakeFolders(relative);
        RemoveDirectoryW(path.c_str());
        EXPECT_TRUE(MoveFileW(WideText(staged).c_str(), path.c_str()));
        return path;
    }
    static std::wstring Quoted(const std::wstring &path)
    {
        return L"\"" + path + L"\"";
    }
    // The folder by its short form, which the ANSI calls of the checks take.
    static std::string ShortForm(const std::wstring &path)
    {
        WCHAR to[MAX_PATH] = L"";
        GetShortPathNameW(path.c_str(), to, MAX_PATH);
        return AnsiText(to);
    }
    // The value a log line starts with, as logged.
    static std::string Logged(const std::string &log, const std::string &start)
    {
        for (const std::string &line : LogLines(log))
            if (line.compare(0, start.size(), start) == 0)
                return line.substr(start.size());
        return "";
    }
};

static const wchar_t Downloads[] = L"\u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0438\\Brindlecast";
static const wchar_t Programs[] = L"\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b";

// The setup folder under a Cyrillic and a Japanese name: a quiet run and one
// through the pages install from it; the records name the install folder
// exactly as for any setup folder.
TEST_F(WidePaths, InstallsFromASetupFolderTheCodePageLacks)
{
    ASSERT_EQ(GetACP(), 1252u);
    static const wchar_t *const folders[] = { Downloads, L"\u30c7\u30fc\u30bf\\\u30bb\u30c3\u30c8\u30a2\u30c3\u30d7" };
    const std::string log = Scratch + "\\setup.log";
    for (const wchar_t *relative : folders) {
        ResetMachine();
        DeleteFileA(log.c_str());
        const std::wstring setup = StageAt(relative);
        SCOPED_TRACE(AnsiText(setup));

        WatchedRun quiet = RunWatched(Quoted(setup + L"\\Setup.exe") + L" /S /LOG=" + WideText(log));
        EXPECT_EQ(quiet.ExitCode, 0) << ReadBytes(log);
        EXPECT_EQ(quiet.Windows, std::vector<std::string>{});
        ExpectShippedFiles(DefaultInstallFolder());
        ExpectInstalledRegistry(DefaultInstallFolder());
        const std::string logged = Logged(log, "Setup folder: ");
        EXPECT_EQ(WideText(logged), WideText(AnsiText(WideText(logged)))) << "only the code page's own characters";
        EXPECT_EQ(LongForm(WideText(logged)), LongForm(setup + L"\\"));
    }

    ResetMachine();
    const std::string folder = Scratch + "\\Apps";
    Run = StartProgram(Quoted(WideText(Scratch) + L"\\" + Downloads + L"\\Setup.exe"));
    ASSERT_TRUE(ClickThroughPages(Run, folder, IDC_SHORTCUT_USER));
    EXPECT_EQ(FinishRun(Run), 1);
    ExpectShippedFiles(folder);
    ExpectInstalledRegistry(folder);
}

// /D= names a folder whose name the code page lacks: it is made by that
// name, the files go there, the registry values and the shortcut hold the
// true name in wide characters; the log of such a name is written by it. A
// parent that does not exist is refused as for any folder.
TEST_F(WidePaths, InstallsIntoAFolderTheCodePageLacks)
{
    ASSERT_EQ(GetACP(), 1252u);
    const std::wstring folder = MakeFolders(Programs) + L"\\Brindlecast";
    const std::wstring log = WideText(Scratch) + L"\\\u0436\u0443\u0440\u043d\u0430\u043b.log";
    const std::wstring program = Quoted(WideText(Stage("wide setup")) + L"\\Setup.exe");
    WatchedRun quiet = RunWatched(program + L" /S /LOG=" + Quoted(log) + L" /D=" + folder);
    const std::string logged = ReadWideBytes(log);
    EXPECT_EQ(quiet.ExitCode, 0) << logged;
    EXPECT_EQ(quiet.Windows, std::vector<std::string>{});
    EXPECT_NE(logged.find("Exit code 0\r\n"), std::string::npos) << logged;
    ASSERT_NE(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    ExpectShippedFiles(ShortForm(folder));
    ExpectWideInstalledRegistry(folder);
    WideShortcutInfo shortcut = ReadWideShortcut(CSIDL_COMMON_STARTMENU);
    EXPECT_TRUE(shortcut.Found);
    EXPECT_EQ(shortcut.Target, folder + L"\\Tessel.exe");
    EXPECT_EQ(shortcut.WorkingDir, folder + L"\\");

    // The uninstaller, started by the folder's true name as the list of
    // programs starts it, finds all of it by that name and removes it.
    WatchedRun removal = RunWatched(Quoted(folder + L"\\Uninstal.exe") + L" /S");
    EXPECT_EQ(removal.ExitCode, 0);
    EXPECT_TRUE(WaitForTempCopies());
    RemoveTempCopies();
    EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES) << "the install folder";
    ExpectNoRegistry();
    EXPECT_FALSE(ReadWideShortcut(CSIDL_COMMON_STARTMENU).Found);

    ResetMachine();
    const std::wstring orphan = WideText(Scratch) + L"\\\u041d\u0435\u0442\\Brindlecast";
    quiet = RunWatched(program + L" /S /D=" + orphan);
    EXPECT_EQ(quiet.ExitCode, (int)IDS_NO_PARENT_DIR);
    EXPECT_EQ(GetFileAttributesW(orphan.c_str()), INVALID_FILE_ATTRIBUTES);
    ExpectNoRegistry();
}

// With pages, a /D= folder whose name the code page lacks is proposed by
// its short form, which names it; one that does not exist yet has none, and
// the default folder is proposed.
TEST_F(WidePaths, PagesProposeTheGivenFolderByItsShortFormElseTheDefault)
{
    const std::wstring program = Quoted(WideText(Stage("wide setup")) + L"\\Setup.exe");
    const std::wstring existing = MakeFolders(Programs);
    const struct {
        const char *Name;
        std::wstring Folder;
        std::string Proposed;
    } cases[] = {
        { "existing", existing, ShortForm(existing) },
        { "not yet there", existing + L"\\Brindlecast", DefaultInstallFolder() },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        Run = StartProgram(program + L" /D=" + c.Folder);
        HWND directory = WalkToDirectoryPage(Run);
        ASSERT_NE(directory, (HWND)NULL);
        EXPECT_EQ(ControlText(directory, IDC_INSTALL_DIR), c.Proposed);
        Click(directory, IDCANCEL);
        EXPECT_EQ(WaitForExit(Run, 5000), 1);
    }
}

// The current user's Start Menu moved to a folder with a Cyrillic name: the
// shortcut goes into it.
static const wchar_t *const ShellFolderKeys[] = {
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
};

// The user's "Start Menu" in both keys names the folder while it lives, and
// is put back after, whatever the test asserted.
struct StartMenuMoved {
    struct Saved {
        HKEY Key;
        DWORD Type, Size;
        BYTE Data[2048];
        bool Found;
    } Values[2];
    explicit StartMenuMoved(const std::wstring &folder)
    {
        for (size_t i = 0; i < 2; i++) {
            Saved &value = Values[i];
            value.Key = NULL;
            RegCreateKeyExW(HKEY_CURRENT_USER, ShellFolderKeys[i], 0, NULL, 0, KEY_ALL_ACCESS, NULL, &value.Key, NULL);
            value.Size = sizeof value.Data;
            value.Found = RegQueryValueExW(value.Key, L"Start Menu", NULL, &value.Type, value.Data, &value.Size)
                          == ERROR_SUCCESS;
            EXPECT_EQ(RegSetValueExW(value.Key, L"Start Menu", 0, REG_SZ, (const BYTE *)folder.c_str(),
                                     (folder.size() + 1) * sizeof(WCHAR)),
                      ERROR_SUCCESS);
        }
    }
    ~StartMenuMoved()
    {
        for (Saved &value : Values) {
            if (value.Found)
                RegSetValueExW(value.Key, L"Start Menu", 0, value.Type, value.Data, value.Size);
            else
                RegDeleteValueW(value.Key, L"Start Menu");
            RegCloseKey(value.Key);
        }
    }
};

TEST_F(WidePaths, ShortcutGoesIntoAStartMenuTheCodePageLacks)
{
    const std::wstring menu = MakeFolders(L"\u041c\u0435\u043d\u044e");
    const std::wstring shortcut = menu + L"\\Brindlecast.lnk";
    const std::string folder = Scratch + "\\Apps";
    {
        StartMenuMoved moved(menu);
        WatchedRun quiet = RunWatched("\"" + Stage("wide setup") + "\\Setup.exe\" /S /SHORTCUT=user /D=" + folder);
        EXPECT_EQ(quiet.ExitCode, 0);
        WideShortcutInfo read = ReadWideShortcut(CSIDL_STARTMENU);
        EXPECT_TRUE(read.Found);
        EXPECT_EQ(read.Target, WideText(folder) + L"\\Tessel.exe");
    }
    EXPECT_NE(GetFileAttributesW(shortcut.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(shortcut.c_str());
}

// A volume without short names leaves a Cyrillic folder no form the program
// can use: the setup folder and the /D= folder alike end the run with 224,
// its message naming the folder as far as the code page shows it, and
// nothing installed.
TEST_F(WidePaths, AFolderWithoutAUsableFormEndsWith224)
{
    const std::string log = Scratch + "\\setup.log";
    const std::wstring setup = StageAt(Downloads, FAULT_SETUP);
    const std::wstring folder = MakeFolders(Programs) + L"\\Brindlecast";
    SetEnvironmentVariableA("BRINDLECAST_TEST_MISSING", "GetShortPathNameW");
    const struct {
        const char *Name;
        std::wstring Program, Arguments, Named;
    } cases[] = {
        { "setup folder", setup, L"", setup + L"\\" },
        { "install folder", WideText(Stage("ansi setup")), L" /D=" + folder, folder },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        DeleteFileA(log.c_str());
        if (c.Program != setup) {
            ASSERT_TRUE(CopyFileA(FAULT_SETUP, (AnsiText(c.Program) + "\\Setup.exe").c_str(), FALSE));
        }
        WatchedRun quiet = RunWatched(Quoted(c.Program + L"\\Setup.exe") + L" /S /LOG=" + WideText(log) + c.Arguments);
        EXPECT_EQ(quiet.ExitCode, (int)IDS_NO_ANSI_FORM);
        EXPECT_EQ(quiet.Windows, std::vector<std::string>{});
        std::string report = ExpectedReport(IDS_NO_ANSI_FORM, AnsiText(c.Named));
        for (char &ch : report)
            if (ch == '\r' || ch == '\n')
                ch = ' ';
        EXPECT_TRUE(HasLine(LogLines(log), "Message 224: " + report)) << ReadBytes(log);
        EXPECT_FALSE(FileExists(DefaultInstallFolder() + "\\Tessel.exe"));
        ExpectNoRegistry();
    }
}

// Under code page 932 a Cyrillic setup folder converts exactly, and the yen
// sign of a /D= folder would come back as a backslash: the files go into the
// true folder, never into one the backslash would name.
class CodePage932WidePaths : public WidePaths {};

TEST_F(CodePage932WidePaths, InstallsFromCyrillicAndIntoAYenSignFolder)
{
    ASSERT_EQ(GetACP(), 932u);
    const std::wstring setup = StageAt(Downloads);
    const std::wstring folder = WideText(Scratch) + L"\\ab\u00a5cd";
    WatchedRun quiet = RunWatched(Quoted(setup + L"\\Setup.exe") + L" /S /D=" + folder);
    EXPECT_EQ(quiet.ExitCode, 0);
    EXPECT_EQ(quiet.Windows, std::vector<std::string>{});
    ASSERT_NE(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    ExpectShippedFiles(ShortForm(folder));
    EXPECT_FALSE(DirExists(Scratch + "\\ab")) << "the yen sign taken for a backslash";
    ExpectWideInstalledRegistry(folder);
    WideShortcutInfo shortcut = ReadWideShortcut(CSIDL_COMMON_STARTMENU);
    EXPECT_EQ(shortcut.Target, folder + L"\\Tessel.exe");
}
