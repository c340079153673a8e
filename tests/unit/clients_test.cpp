// What the registry step and the shortcut leave, read by the programs that
// use them: Wine's uninstaller, the shell opening a settings file, reg.exe,
// and Debian's lnkinfo reading the shortcut file.
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <shlobj.h>
#include "install/install.h"
#include "support/child_process.h"
#include "support/installation.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

class Clients : public StepTest {
protected:
    std::string Folder, Program;

    void SetUp() override
    {
        StepTest::SetUp();
        // A space in the folder: the command lines only work when quoted.
        Folder = StageMedia(Scratch + "\\Brindle Apps");
        Program = Folder + "\\Tessel.exe";
        PrepareInstallState(Folder, VER_PLATFORM_WIN32_NT, 4, SHORTCUT_CURRENT_USER);
    }

    void TearDown() override
    {
        SetEnvironmentVariableA("TESSEL_ARGS_FILE", NULL);
        StepTest::TearDown();
    }
};

TEST_F(Clients, WineUninstallerListsTheProduct)
{
    ProgramRun before = RunCaptured("uninstaller.exe --list");
    ASSERT_TRUE(before.Finished);
    EXPECT_EQ(before.Output.find("Brindlecast|||"), std::string::npos) << before.Output;

    ASSERT_EQ((!WriteRegistryEntries() && !CreateStartMenuShortcut(NULL)), 1);
    ProgramRun after = RunCaptured("uninstaller.exe --list");
    ASSERT_TRUE(after.Finished);
    // One line: the key name, then the display name.
    std::string lines = "\n" + after.Output;
    lines.erase(std::remove(lines.begin(), lines.end(), '\r'), lines.end());
    EXPECT_NE(lines.find("\nBrindlecast|||Brindlecast\n"), std::string::npos) << after.Output;
}

TEST_F(Clients, OpeningASettingsFileStartsTheInstalledProgramWithIt)
{
    ASSERT_EQ((!WriteRegistryEntries() && !CreateStartMenuShortcut(NULL)), 1);
    std::string files = Scratch + "\\tsl-files";
    CreateDirectoryA(files.c_str(), NULL);
    std::string settings = files + "\\Window.tsl";
    std::string arguments = files + "\\arguments.txt";
    WriteBytes(settings, "[Window]\r\n");
    SetEnvironmentVariableA("TESSEL_ARGS_FILE", arguments.c_str());

    SHELLEXECUTEINFOA open = {};
    open.cbSize = sizeof open;
    open.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    open.lpVerb = "open";
    open.lpFile = settings.c_str();
    open.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExA(&open)) << "error " << GetLastError();
    ASSERT_NE(open.hProcess, (HANDLE)NULL);
    EXPECT_EQ(WaitForSingleObject(open.hProcess, 15000), (DWORD)WAIT_OBJECT_0);
    char image[MAX_PATH * 2] = "";
    DWORD size = sizeof image;
    QueryFullProcessImageNameA(open.hProcess, 0, image, &size);
    CloseHandle(open.hProcess);

    EXPECT_EQ(lstrcmpiA(image, Program.c_str()), 0) << image;
    EXPECT_EQ(ReadBytes(arguments), settings);
}

// reg.exe prints one line per value: four blanks, name, type and data, four blanks apart.
TEST_F(Clients, RegQueryReadsTheSameValues)
{
    ASSERT_EQ((!WriteRegistryEntries() && !CreateStartMenuShortcut(NULL)), 1);
    for (const InstalledValue &value : InstalledValues(Folder)) {
        std::string key = std::string(value.Root == HKEY_LOCAL_MACHINE ? "HKLM\\"
                                      : value.Root == HKEY_CURRENT_USER ? "HKCU\\"
                                                                        : "HKCR\\") + value.Key;
        std::string line = std::string("\n    ") + (value.Name ? value.Name : "(Default)")
                           + (value.Type == REG_SZ ? "    REG_SZ    " + value.Text
                                                  : "    REG_DWORD    0x" + std::to_string(value.Number)) + "\r\n";
        SCOPED_TRACE(key + line);
        ProgramRun query = RunCaptured("reg.exe query \"" + key + "\"");
        ASSERT_TRUE(query.Finished);
        EXPECT_EQ(query.ExitCode, 0u);
        EXPECT_NE(query.Output.find(line), std::string::npos) << query.Output;
    }
}

static std::string UnixPath(const std::string &windowsPath)
{
    typedef char *(CDECL * UnixName)(const WCHAR *);
    UnixName unixName = (UnixName)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    WCHAR wide[MAX_PATH * 2];
    if (!unixName)
        return "";
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH * 2);
    char *name = unixName(wide);
    std::string path = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

// Wine starts a Linux program but gives back no process to wait for and
// passes no pipe on, so lnkinfo writes a file that appears whole when done.
static std::string RunLnkinfo(const std::string &shortcut, const std::string &report)
{
    std::string command = "Z:\\bin\\sh -c \"lnkinfo \\\"$0\\\" > \\\"$1.part\\\" 2>&1; mv \\\"$1.part\\\" \\\"$1\\\"\" \""
                          + UnixPath(shortcut) + "\" \"" + UnixPath(report) + "\"";
    STARTUPINFOA startup = { sizeof startup };
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return "";
    if (process.hProcess) {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    for (int waited = 0; !FileExists(report) && waited < 15000; waited += 50)
        Sleep(50);
    return ReadBytes(report);
}

// lnkinfo's "Name<tabs>: value" lines.
static std::map<std::string, std::string> FieldsOf(const std::string &report)
{
    std::map<std::string, std::string> fields;
    size_t start = 0;
    while (start < report.size()) {
        size_t end = report.find('\n', start);
        if (end == std::string::npos)
            end = report.size();
        std::string line = report.substr(start, end - start);
        size_t colon = line.find(": ");
        if (colon != std::string::npos) {
            std::string name = line.substr(0, colon);
            name.erase(0, name.find_first_not_of("\t "));
            name.erase(name.find_last_not_of("\t ") + 1);
            fields.emplace(name, line.substr(colon + 2));
        }
        start = end + 1;
    }
    return fields;
}

TEST_F(Clients, LnkinfoReadsTargetFolderAndDescription)
{
    ASSERT_TRUE(FileExists("Z:\\usr\\bin\\lnkinfo")) << "liblnk-utils is not installed";
    ASSERT_EQ((!WriteRegistryEntries() && !CreateStartMenuShortcut(NULL)), 1);
    std::string report = RunLnkinfo(ShortcutPath(CSIDL_STARTMENU), Scratch + "\\report.txt");
    ASSERT_NE(report, "") << "lnkinfo gave no report";

    std::map<std::string, std::string> fields = FieldsOf(report);
    EXPECT_EQ(fields["Local path"], Program) << report;
    EXPECT_EQ(fields["Working directory"], Folder + "\\");
    EXPECT_EQ(fields["Description"], "Shortcut to Tessel.exe");
    EXPECT_EQ(fields["Hot Key value"], "0");
    EXPECT_EQ(report.find("command line arguments"), std::string::npos);
    EXPECT_EQ(report.find("icon location"), std::string::npos);
}

// Explorer and open folders learn of a changed association through the
// shell's change notifications; a window registered for them hears it too.
TEST_F(Clients, ShellIsToldOfTheNewAssociation)
{
    SetupState.ShortcutChoice = SHORTCUT_NONE;
    int written = 0;
    EXPECT_TRUE(ShellHearsOfAssociations([&] { written = !WriteRegistryEntries() && !CreateStartMenuShortcut(NULL); }));
    EXPECT_EQ(written, 1);
}
