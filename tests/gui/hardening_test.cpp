// Whole installations under each Windows version Wine can report, with DLLs
// planted beside Setup.exe under the names of system DLLs that are loaded by
// name after start-up: none of them is ever loaded, the installation
// completes, and the program sees the version Windows reports to a program
// that names it in its manifest.
#include "setup/state.h"
#include <tlhelp32.h>
#include <fstream>
#include <shlobj.h>
#include <sstream>
#include "support/gui.h"
#include "resources/resource.h"

// The setup's state record as the running program holds it, found through
// the link map: SetupState's address and the base the image was linked at,
// moved with the image if it was.
static bool ReadSetupState(const SetupRun &run, SETUPSTATE *state)
{
    std::ifstream map(SETUP_MAP_FILE);
    std::string line, address, base;
    while ((address.empty() || base.empty()) && std::getline(map, line)) {
        std::istringstream words(line);
        std::string first, second;
        if (!(words >> first >> second))
            continue;
        if (second == "SetupState" && !(words >> second))
            address = first;
        else if (second == "__image_base__")
            base = first;
    }
    if (address.empty() || base.empty())
        return false;
    HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, run.Process.dwProcessId);
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    bool found = modules != INVALID_HANDLE_VALUE && Module32First(modules, &module);
    if (modules != INVALID_HANDLE_VALUE)
        CloseHandle(modules);
    if (!found)
        return false;
    ULONG_PTR where = (ULONG_PTR)module.modBaseAddr + std::stoull(address, nullptr, 16) - std::stoull(base, nullptr, 16);
    SIZE_T read = 0;
    return ReadProcessMemory(run.Process.hProcess, (void *)where, state, sizeof *state, &read) && read == sizeof *state;
}

struct VersionCase {
    const char *Version;
    DWORD MajorSeen;
    bool UninstallEntry;   // not on Windows NT before 4.0
    int Shortcut, Menu;
    // Wine loads the theme engine's delay-loaded msimg32 by bare name past
    // SetDefaultDllDirectories; Windows resolves delay loads through the
    // default directories. So msimg32 is planted where the setup preloads
    // instead: under Vista, where SetDefaultDllDirectories is not used.
    bool Preloads;
};

static void PrintTo(const VersionCase &c, std::ostream *out)
{
    *out << c.Version;
}

class WholeInstallation : public GuiTest, public ::testing::WithParamInterface<VersionCase> {
protected:
    std::string Setup, Folder;

    void TearDown() override
    {
        GuiTest::TearDown();
        ResetMachine();
        DeleteTree(Setup);
    }

    void Plant(const char *name)
    {
        ASSERT_TRUE(CopyFileA(PLANTED_DLL, (Setup + "\\" + name + ".dll").c_str(), FALSE)) << name;
        SetRegString(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Setup.exe\\DllOverrides", name,
                     "native,builtin");
    }
};

TEST_P(WholeInstallation, NoPlantedDllIsLoadedAndTheInstallationCompletes)
{
    const VersionCase &c = GetParam();
    Setup = StageSetupFolder(std::string("planted-") + c.Version);
    Folder = Setup + "\\Brindle Apps";
    SetReportedVersion(c.Version);
    Plant("uxtheme");
    if (c.Preloads)
        Plant("msimg32");

    Run = StartSetup(Setup);
    ASSERT_NE(WaitForPage(Run, IDD_WELCOME), (HWND)NULL);
    SETUPSTATE seen;
    ASSERT_TRUE(ReadSetupState(Run, &seen));
    EXPECT_EQ(seen.MajorVersion, c.MajorSeen);
    ASSERT_TRUE(ClickThroughPages(Run, Folder, c.Shortcut));
    EXPECT_EQ(FinishRun(Run), 1);

    for (const std::string &file : FilesIn(Setup))
        EXPECT_EQ(file.find(".loaded"), std::string::npos) << "a planted DLL ran: " << file;
    ExpectShippedFiles(Folder);
    if (c.UninstallEntry) {
        ExpectInstalledRegistry(Folder);
    } else {
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brindlecast"));
        EXPECT_EQ(ReadRegValue(HKEY_LOCAL_MACHINE, AppPathsEntryKey, "Path").Data, WithTerminator(Folder));
    }
    ShortcutInfo link = ReadShortcut(c.Menu);
    ASSERT_TRUE(link.Found);
    EXPECT_EQ(link.Target, Folder + "\\Tessel.exe");
}

// Windows 10 is seen as 10: without the manifest's supportedOS entry it
// would report 6.2, the subsystem version in the header being 3.10.
INSTANTIATE_TEST_SUITE_P(Versions, WholeInstallation,
    ::testing::Values(
        VersionCase{ "win95", 4, true, IDC_SHORTCUT_USER, CSIDL_STARTMENU, false },
        VersionCase{ "nt351", 3, false, IDC_SHORTCUT_ALL, CSIDL_COMMON_STARTMENU, false },
        VersionCase{ "nt40", 4, true, IDC_SHORTCUT_ALL, CSIDL_COMMON_STARTMENU, false },
        VersionCase{ "winxp", 5, true, IDC_SHORTCUT_USER, CSIDL_STARTMENU, false },
        VersionCase{ "vista", 6, true, IDC_SHORTCUT_ALL, CSIDL_COMMON_STARTMENU, true },
        VersionCase{ "win7", 6, true, IDC_SHORTCUT_USER, CSIDL_STARTMENU, false },
        VersionCase{ "win10", 10, true, IDC_SHORTCUT_ALL, CSIDL_COMMON_STARTMENU, false }),
    [](const ::testing::TestParamInfo<VersionCase> &info) { return std::string(info.param.Version); });
