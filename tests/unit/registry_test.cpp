// The registry step: the keys and values it leaves, the old version keys it
// removes, the window position it keeps, and where it stops when a key or a
// value cannot be written.
#include <gtest/gtest.h>
#include <cstring>
#include <shlobj.h>
#include "install/install.h"
#include "support/fault.h"
#include "support/installation.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

static void ExpectDword(HKEY root, const std::string &key, const char *value, DWORD number)
{
    SCOPED_TRACE(key + " : " + value);
    RegValue found = ReadRegValue(root, key, value);
    ASSERT_TRUE(found.Found);
    EXPECT_EQ(found.Type, (DWORD)REG_DWORD);
    ASSERT_EQ(found.Size, 4u);
    EXPECT_EQ(*(const DWORD *)found.Data.data(), number);
}

struct KeyCounts {
    bool Found;
    DWORD Subkeys, Values;
};

static KeyCounts CountsOf(HKEY root, const std::string &subkey)
{
    KeyCounts counts = { false, 0, 0 };
    HKEY key;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return counts;
    counts.Found = RegQueryInfoKeyA(key, NULL, NULL, NULL, &counts.Subkeys, NULL, NULL, &counts.Values, NULL, NULL,
                                    NULL, NULL) == ERROR_SUCCESS;
    RegCloseKey(key);
    return counts;
}

// Which of the five stages got to their last write, as "11000" for the first two.
static std::string CompletedStages()
{
    bool done[] = {
        KeyExists(HKEY_LOCAL_MACHINE, VersionKey),
        ReadRegValue(HKEY_LOCAL_MACHINE, AppPathsEntryKey, NULL).Found,
        ReadRegValue(HKEY_LOCAL_MACHINE, UninstallEntryKey, "UninstallString").Found,
        ReadRegValue(HKEY_CURRENT_USER, UserSettingsKey, "WindowTop").Found,
        ReadRegValue(HKEY_CLASSES_ROOT, OpenCommandKey, NULL).Found,
    };
    std::string marks;
    for (bool stage : done)
        marks += stage ? '1' : '0';
    return marks;
}

static std::string FirstStages(int count)
{
    return std::string(count, '1') + std::string(5 - count, '0');
}

class RegistryStep : public StepTest {
protected:
    std::string Folder;

    void SetUp() override
    {
        StepTest::SetUp();
        // A space in the folder: the values that are not command lines stay unquoted.
        Folder = StageMedia(Scratch + "\\reg step");
        Prepare(VER_PLATFORM_WIN32_NT, 5, SHORTCUT_NONE);
    }

    void Prepare(DWORD platformId, DWORD majorVersion, BYTE choice)
    {
        PrepareInstallState(Folder, platformId, majorVersion, choice);
    }
};

TEST_F(RegistryStep, WritesTheWholeLayoutAndKeepsTheFolder)
{
    ASSERT_EQ((!WriteRegistryEntries() && !CreateStartMenuShortcut(NULL)), 1);
    ExpectInstalledRegistry(Folder);
    ExpectDword(HKEY_CURRENT_USER, UserSettingsKey, "WindowLeft", 0);
    ExpectDword(HKEY_CURRENT_USER, UserSettingsKey, "WindowTop", 0);
    // The install folder stays as the other steps read it.
    EXPECT_EQ(std::string(SetupState.InstallPath), Folder);
}

// Validation keeps the backslash of a drive root, and every path built on it gets a second one.
TEST_F(RegistryStep, DriveRootGivesDoubledBackslashes)
{
    PrepareInstallState("C:\\", VER_PLATFORM_WIN32_NT, 5, SHORTCUT_NONE);
    ASSERT_EQ((!WriteRegistryEntries() && !CreateStartMenuShortcut(NULL)), 1);

    ExpectStoredString(HKEY_LOCAL_MACHINE, AppPathsEntryKey, "Path", "C:\\");
    ExpectStoredString(HKEY_LOCAL_MACHINE, AppPathsEntryKey, NULL, "C:\\\\Tessel.exe");
    ExpectStoredString(HKEY_LOCAL_MACHINE, UninstallEntryKey, "UninstallString", "\"C:\\\\Uninstal.exe\"");
    ExpectStoredString(HKEY_LOCAL_MACHINE, UninstallEntryKey, "QuietUninstallString", "\"C:\\\\Uninstal.exe\" /S");
    ExpectStoredString(HKEY_LOCAL_MACHINE, UninstallEntryKey, "DisplayIcon", "C:\\\\Tessel.exe");
    ExpectStoredString(HKEY_LOCAL_MACHINE, UninstallEntryKey, "InstallLocation", "C:\\");
    ExpectStoredString(HKEY_CLASSES_ROOT, "Brindlecast\\DefaultIcon", NULL, "C:\\\\Tessel.exe");
    ExpectStoredString(HKEY_CLASSES_ROOT, OpenCommandKey, NULL, "\"C:\\\\Tessel.exe\" %1");
    EXPECT_STREQ(SetupState.InstallPath, "C:\\");
}

static DWORD WINAPI WriteEntriesThread(void *result)
{
    *(int *)result = (!WriteRegistryEntries() && !CreateStartMenuShortcut(NULL));
    return 0;
}

// An enumeration that never ends would hang the whole run; give up after a while.
static bool WriteEntriesWithin(DWORD timeout, int &result)
{
    HANDLE thread = CreateThread(NULL, 0, WriteEntriesThread, &result, 0, NULL);
    bool finished = WaitForSingleObject(thread, timeout) == WAIT_OBJECT_0;
    if (!finished)
        TerminateThread(thread, 1);
    CloseHandle(thread);
    return finished;
}

TEST_F(RegistryStep, RemovesShortVersionKeysAndCreatesTheCurrentOneAfresh)
{
    SetRegString(HKEY_LOCAL_MACHINE, std::string(ProductKey) + "\\1.2", "Left", "over");
    SetRegString(HKEY_LOCAL_MACHINE, std::string(ProductKey) + "\\1.25", "Left", "over");
    SetRegString(HKEY_LOCAL_MACHINE, VersionKey, "Stale", "value");
    SetRegString(HKEY_LOCAL_MACHINE, std::string(ProductKey) + "\\Backup", "Kept", "yes");
    // A short name whose key has a subkey: Wine, like NT, refuses to delete it.
    SetRegString(HKEY_LOCAL_MACHINE, std::string(ProductKey) + "\\abcd\\sub", "Kept", "yes");

    int result = -1;
    ASSERT_TRUE(WriteEntriesWithin(10000, result)) << "the removal of old version keys does not end";
    EXPECT_EQ(result, 1);

    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(ProductKey) + "\\1.2"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(ProductKey) + "\\1.25"));
    KeyCounts version = CountsOf(HKEY_LOCAL_MACHINE, VersionKey);
    EXPECT_TRUE(version.Found);
    EXPECT_EQ(version.Values, 0u);
    EXPECT_EQ(version.Subkeys, 0u);
    ExpectStoredString(HKEY_LOCAL_MACHINE, std::string(ProductKey) + "\\Backup", "Kept", "yes");
    ExpectStoredString(HKEY_LOCAL_MACHINE, std::string(ProductKey) + "\\abcd\\sub", "Kept", "yes");
    EXPECT_EQ(CountsOf(HKEY_LOCAL_MACHINE, ProductKey).Subkeys, 3u);   // 1.26, abcd, Backup
    // The step went on past the removal.
    EXPECT_EQ(CompletedStages(), FirstStages(5));
}

TEST_F(RegistryStep, KeepsWindowPositionOnlyWhenBothAreDwords)
{
    struct Preset {
        DWORD Type;   // REG_NONE: missing
        DWORD Number;
    };
    const struct {
        const char *Name;
        Preset Left, Top;
        DWORD ExpectLeft, ExpectTop;
    } cases[] = {
        { "both dwords", { REG_DWORD, 120 }, { REG_DWORD, 80 }, 120, 80 },
        { "left only", { REG_DWORD, 120 }, { REG_NONE, 0 }, 0, 0 },
        { "top only", { REG_NONE, 0 }, { REG_DWORD, 80 }, 0, 0 },
        { "top a string", { REG_DWORD, 120 }, { REG_SZ, 80 }, 0, 0 },
        { "left binary", { REG_BINARY, 120 }, { REG_DWORD, 80 }, 0, 0 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        Prepare(VER_PLATFORM_WIN32_NT, 5, SHORTCUT_NONE);
        const std::pair<const char *, Preset> presets[] = { { "WindowLeft", c.Left }, { "WindowTop", c.Top } };
        for (const auto &preset : presets) {
            HKEY key;
            ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, UserSettingsKey, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL),
                      ERROR_SUCCESS);
            std::string text = std::to_string(preset.second.Number);
            if (preset.second.Type == REG_SZ)
                RegSetValueExA(key, preset.first, 0, REG_SZ, (const BYTE *)text.c_str(), text.size() + 1);
            else if (preset.second.Type != REG_NONE)
                RegSetValueExA(key, preset.first, 0, preset.second.Type, (const BYTE *)&preset.second.Number, 4);
            RegCloseKey(key);
        }
        ASSERT_EQ((!WriteRegistryEntries() && !CreateStartMenuShortcut(NULL)), 1);
        ExpectDword(HKEY_CURRENT_USER, UserSettingsKey, "WindowLeft", c.ExpectLeft);
        ExpectDword(HKEY_CURRENT_USER, UserSettingsKey, "WindowTop", c.ExpectTop);
    }
}

TEST_F(RegistryStep, WritesTheUninstallEntryExceptOnNt351)
{
    const struct {
        const char *Name;
        DWORD PlatformId, MajorVersion;
        bool Entry;
    } cases[] = {
        { "Windows 95", VER_PLATFORM_WIN32_WINDOWS, 4, true },
        { "NT 3.51", VER_PLATFORM_WIN32_NT, 3, false },
        { "NT 4.0", VER_PLATFORM_WIN32_NT, 4, true },
    };
    const std::string program = Folder + "\\Tessel.exe";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        Prepare(c.PlatformId, c.MajorVersion, SHORTCUT_NONE);
        ASSERT_EQ((!WriteRegistryEntries() && !CreateStartMenuShortcut(NULL)), 1);
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, UninstallEntryKey), c.Entry);
        if (c.Entry)
            ExpectStoredString(HKEY_LOCAL_MACHINE, UninstallEntryKey, "UninstallString", "\"" + Folder + "\\Uninstal.exe\"");
        // Either way the later stages still get the program path, and the folder stays.
        ExpectStoredString(HKEY_CLASSES_ROOT, "Brindlecast\\DefaultIcon", NULL, program);
        ExpectStoredString(HKEY_CLASSES_ROOT, OpenCommandKey, NULL, "\"" + program + "\" %1");
        EXPECT_EQ(std::string(SetupState.InstallPath), Folder);
    }
}

// Stand-ins that deny the Nth opening or creation of one named subkey and
// pass every other call on to the registry.
static struct {
    bool Create;          // RegCreateKeyExA, else RegOpenKeyExA
    const char *Name;
    int Nth, Seen;
    void *Original;
} Denial;

static bool Denied(bool create, const char *name)
{
    return create == Denial.Create && name && strcmp(name, Denial.Name) == 0 && ++Denial.Seen == Denial.Nth;
}

static LONG WINAPI DenyCreate(HKEY parent, LPCSTR name, DWORD reserved, LPSTR kind, DWORD options, REGSAM access,
                              LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition)
{
    if (Denied(true, name))
        return ERROR_ACCESS_DENIED;
    return ((decltype(&RegCreateKeyExA))Denial.Original)(parent, name, reserved, kind, options, access, security,
                                                          key, disposition);
}

static LONG WINAPI DenyOpen(HKEY parent, LPCSTR name, DWORD options, REGSAM access, PHKEY key)
{
    if (Denied(false, name))
        return ERROR_ACCESS_DENIED;
    return ((decltype(&RegOpenKeyExA))Denial.Original)(parent, name, options, access, key);
}

TEST_F(RegistryStep, KeyThatCannotBeOpenedOrCreatedEndsTheStepThere)
{
    const struct {
        bool Create;
        const char *Name;
        int Nth;
        int StagesDone;
    } cases[] = {
        { false, "SOFTWARE", 1, 0 },
        { true, "Tarnwicke", 1, 0 },
        { true, "Brindlecast", 1, 0 },
        { false, "Brindlecast", 1, 0 },
        { true, "1.26", 1, 0 },
        { false, "Microsoft", 1, 1 },
        { false, "Windows", 1, 1 },
        { false, "CurrentVersion", 1, 1 },
        { false, "App Paths", 1, 1 },
        { true, "Tessel.exe", 1, 1 },
        { true, "Uninstall", 1, 2 },
        { true, "Brindlecast", 2, 2 },
        { false, "Software", 1, 3 },
        { true, "Tarnwicke", 2, 3 },
        { true, "Brindlecast", 3, 3 },
        { true, "Settings", 1, 3 },
        { true, "Software\\Classes\\.tsl", 1, 4 },
        { true, "Software\\Classes\\Brindlecast", 1, 4 },
        { true, "DefaultIcon", 1, 4 },
        { true, "shell", 1, 4 },
        { true, "open", 1, 4 },
        { true, "command", 1, 4 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.Create ? "create " : "open ") + c.Name + " #" + std::to_string(c.Nth));
        ResetMachine();
        Prepare(VER_PLATFORM_WIN32_NT, 5, SHORTCUT_CURRENT_USER);
        int result;
        {
            Denial = { c.Create, c.Name, c.Nth, 0, NULL };
            ImportSwap swap("advapi32.dll", c.Create ? "RegCreateKeyExA" : "RegOpenKeyExA",
                            c.Create ? (void *)DenyCreate : (void *)DenyOpen);
            Denial.Original = swap.Original;
            result = (!WriteRegistryEntries() && !CreateStartMenuShortcut(NULL));
        }
        ASSERT_GE(Denial.Seen, c.Nth) << "the key was never asked for";
        EXPECT_EQ(result, 0);
        EXPECT_EQ(CompletedStages(), FirstStages(c.StagesDone));
        EXPECT_FALSE(FileExists(ShortcutPath(CSIDL_STARTMENU)));
    }
}

// Fails the Nth write of one named value (NULL: a default value).
static struct {
    const char *Name;
    int Nth, Seen;
    void *Original;
} FailedWrite;

static LONG WINAPI FailSetValue(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size)
{
    bool same = name && FailedWrite.Name ? strcmp(name, FailedWrite.Name) == 0 : name == FailedWrite.Name;
    if (same && ++FailedWrite.Seen == FailedWrite.Nth)
        return ERROR_ACCESS_DENIED;
    return ((decltype(&RegSetValueExA))FailedWrite.Original)(key, name, reserved, type, data, size);
}

TEST_F(RegistryStep, OnlyTheFourMainValuesFailTheStepWhenNotWritten)
{
    const struct {
        const char *Name;
        int Nth;
        HKEY Root;
        const char *Key;
        bool Fails;
        int StagesDone;   // when it fails
    } cases[] = {
        { "Path", 1, HKEY_LOCAL_MACHINE, AppPathsEntryKey, true, 1 },
        { NULL, 1, HKEY_LOCAL_MACHINE, AppPathsEntryKey, true, 1 },
        { "DisplayName", 1, HKEY_LOCAL_MACHINE, UninstallEntryKey, true, 2 },
        { "UninstallString", 1, HKEY_LOCAL_MACHINE, UninstallEntryKey, true, 2 },
        // The values for the list of installed programs and package tools come on top.
        { "DisplayVersion", 1, HKEY_LOCAL_MACHINE, UninstallEntryKey, false, 0 },
        { "Publisher", 1, HKEY_LOCAL_MACHINE, UninstallEntryKey, false, 0 },
        { "DisplayIcon", 1, HKEY_LOCAL_MACHINE, UninstallEntryKey, false, 0 },
        { "InstallLocation", 1, HKEY_LOCAL_MACHINE, UninstallEntryKey, false, 0 },
        { "NoModify", 1, HKEY_LOCAL_MACHINE, UninstallEntryKey, false, 0 },
        { "NoRepair", 1, HKEY_LOCAL_MACHINE, UninstallEntryKey, false, 0 },
        { "QuietUninstallString", 1, HKEY_LOCAL_MACHINE, UninstallEntryKey, false, 0 },
        { "WindowLeft", 1, HKEY_CURRENT_USER, UserSettingsKey, false, 0 },
        { "WindowTop", 1, HKEY_CURRENT_USER, UserSettingsKey, false, 0 },
        { NULL, 2, HKEY_CLASSES_ROOT, ".tsl", false, 0 },
        { NULL, 3, HKEY_CLASSES_ROOT, "Brindlecast", false, 0 },
        { NULL, 4, HKEY_CLASSES_ROOT, "Brindlecast\\DefaultIcon", false, 0 },
        { NULL, 5, HKEY_CLASSES_ROOT, OpenCommandKey, false, 0 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.Key) + " : " + (c.Name ? c.Name : "(default)"));
        ResetMachine();
        Prepare(VER_PLATFORM_WIN32_NT, 5, SHORTCUT_CURRENT_USER);
        int result;
        {
            FailedWrite = { c.Name, c.Nth, 0, NULL };
            ImportSwap swap("advapi32.dll", "RegSetValueExA", (void *)FailSetValue);
            FailedWrite.Original = swap.Original;
            result = (!WriteRegistryEntries() && !CreateStartMenuShortcut(NULL));
        }
        ASSERT_GE(FailedWrite.Seen, c.Nth) << "the value was never written";
        EXPECT_FALSE(ReadRegValue(c.Root, c.Key, c.Name).Found);
        if (c.Fails) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(CompletedStages(), FirstStages(c.StagesDone));
            EXPECT_FALSE(FileExists(ShortcutPath(CSIDL_STARTMENU)));
        } else {
            // The step goes on to its end, the shortcut included.
            EXPECT_EQ(result, 1);
            EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, OpenCommandKey));
            EXPECT_TRUE(FileExists(ShortcutPath(CSIDL_STARTMENU)));
        }
    }
}
