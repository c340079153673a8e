// Where the file association goes and whence it is removed. Windows 2000
// and later write through HKEY_CLASSES_ROOT into the current user's classes
// when the user has a key of that name, so there the setup and the
// uninstaller name HKEY_LOCAL_MACHINE\Software\Classes; before, the classes
// root is the machine's own key. Wine never sends a write to the user's
// classes, so the keys each program asks for are recorded at the
// platform-call boundary, with the user's own .tsl key present.
#include <gtest/gtest.h>
#include <algorithm>
#include "install/install.h"
#include "uninstall/uninstall.h"
#include "support/fault.h"
#include "support/installation.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

static const char UserExtensionKey[] = "Software\\Classes\\.tsl";

static const struct {
    const char *Name;
    DWORD PlatformId, MajorVersion;
    bool Machine;   // HKEY_LOCAL_MACHINE\Software\Classes, else HKEY_CLASSES_ROOT
} Cases[] = {
    { "Windows 95", VER_PLATFORM_WIN32_WINDOWS, 4, false },
    { "NT 3.51", VER_PLATFORM_WIN32_NT, 3, false },
    { "NT 4.0", VER_PLATFORM_WIN32_NT, 4, false },
    { "Windows 2000 and XP", VER_PLATFORM_WIN32_NT, 5, true },
    { "Windows Vista and 7", VER_PLATFORM_WIN32_NT, 6, true },
    { "Windows 10", VER_PLATFORM_WIN32_NT, 10, true },
};

// Every call that names a key of the classes, below HKEY_CLASSES_ROOT or
// below HKEY_LOCAL_MACHINE, as "create HKLM Software\Classes\.tsl"; the keys
// opened below those follow wherever they are.
static struct {
    std::vector<std::string> Calls;
    void *Create, *Open, *Delete;
} Seen;

static void Note(const char *kind, HKEY root, const char *name)
{
    static const char Classes[] = "Software\\Classes";
    std::string key = name ? name : "";
    if (root == HKEY_CLASSES_ROOT)
        Seen.Calls.push_back(std::string(kind) + " HKCR " + key);
    else if (root == HKEY_LOCAL_MACHINE && lstrcmpiA(key.substr(0, sizeof Classes - 1).c_str(), Classes) == 0)
        Seen.Calls.push_back(std::string(kind) + " HKLM " + key);
}

static LONG WINAPI NoteCreate(HKEY parent, LPCSTR name, DWORD reserved, LPSTR kind, DWORD options, REGSAM access,
                              LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition)
{
    Note("create", parent, name);
    return ((decltype(&RegCreateKeyExA))Seen.Create)(parent, name, reserved, kind, options, access, security, key,
                                                      disposition);
}

static LONG WINAPI NoteOpen(HKEY parent, LPCSTR name, DWORD options, REGSAM access, PHKEY key)
{
    Note("open", parent, name);
    return ((decltype(&RegOpenKeyExA))Seen.Open)(parent, name, options, access, key);
}

static LONG WINAPI NoteDelete(HKEY parent, LPCSTR name)
{
    Note("delete", parent, name);
    return ((decltype(&RegDeleteKeyA))Seen.Delete)(parent, name);
}

// The calls the action made, each once, in order of their text.
template <typename Action> static std::vector<std::string> CallsOf(Action action)
{
    Seen.Calls.clear();
    {
        ImportSwap create("advapi32.dll", "RegCreateKeyExA", (void *)NoteCreate);
        ImportSwap open("advapi32.dll", "RegOpenKeyExA", (void *)NoteOpen);
        ImportSwap remove("advapi32.dll", "RegDeleteKeyA", (void *)NoteDelete);
        Seen.Create = create.Original;
        Seen.Open = open.Original;
        Seen.Delete = remove.Original;
        action();
    }
    std::vector<std::string> calls = Seen.Calls;
    std::sort(calls.begin(), calls.end());
    calls.erase(std::unique(calls.begin(), calls.end()), calls.end());
    return calls;
}

// "HKLM Software\Classes\<name>" or "HKCR <name>", after the kind of call.
static std::string Key(const char *kind, bool machine, const char *name)
{
    return std::string(kind) + (machine ? " HKLM Software\\Classes\\" : " HKCR ") + name;
}

class Association : public ::testing::Test {
protected:
    const std::string Folder = "C:\\Brindle Apps";

    void SetUp() override
    {
        ResetMachine();
        // The user's own choice for the extension.
        SetRegString(HKEY_CURRENT_USER, UserExtensionKey, NULL, "Quilter.Pattern");
    }

    void TearDown() override
    {
        ResetMachine();
        DeleteKeyTree(HKEY_CURRENT_USER, UserExtensionKey);
    }

    void ExpectUsersKeyUntouched()
    {
        EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, UserExtensionKey, NULL).Data, std::string("Quilter.Pattern") + '\0');
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Classes\\Brindlecast"));
    }
};

TEST_F(Association, SetupWritesTheMachinesClassesFromWindows2000On)
{
    const std::string program = Folder + "\\Tessel.exe";
    for (const auto &c : Cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        PrepareInstallState(Folder, c.PlatformId, c.MajorVersion, SHORTCUT_NONE);
        UINT failure = IDS_REGISTRY_FAILED;
        std::vector<std::string> calls = CallsOf([&] { failure = WriteRegistryEntries(); });
        ASSERT_EQ(failure, 0u);
        EXPECT_EQ(calls, (std::vector<std::string>{ Key("create", c.Machine, ".tsl"),
                                                    Key("create", c.Machine, "Brindlecast") }));
        // Read back from the machine's classes, whatever the root was called.
        ExpectStoredString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.tsl", NULL, "Brindlecast");
        ExpectStoredString(HKEY_LOCAL_MACHINE, "Software\\Classes\\Brindlecast", NULL, "Brindlecast File");
        ExpectStoredString(HKEY_LOCAL_MACHINE, "Software\\Classes\\Brindlecast\\DefaultIcon", NULL, program);
        ExpectStoredString(HKEY_LOCAL_MACHINE, std::string("Software\\Classes\\") + OpenCommandKey, NULL,
                           "\"" + program + "\" %1");
        ExpectUsersKeyUntouched();
    }
}

// The check that .tsl still names the product reads where the key is removed.
TEST_F(Association, UninstallerRemovesItFromWhereTheSetupWroteIt)
{
    for (const auto &c : Cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        PrepareInstallState(Folder, c.PlatformId, c.MajorVersion, SHORTCUT_NONE);
        ASSERT_EQ(WriteRegistryEntries(), 0u);
        ZeroMemory(&UninstallState, sizeof UninstallState);
        UninstallState.PlatformId = c.PlatformId;
        UninstallState.MajorVersion = c.MajorVersion;

        std::vector<std::string> calls = CallsOf([] { RemoveRegistryEntries(); });
        EXPECT_EQ(calls, (std::vector<std::string>{ Key("delete", c.Machine, ".tsl"),
                                                    Key("delete", c.Machine, "Brindlecast"),
                                                    Key("open", c.Machine, ".tsl"),
                                                    Key("open", c.Machine, "Brindlecast") }));
        EXPECT_STREQ(UninstallState.Remaining, "");
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\.tsl"));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\Brindlecast"));
        ExpectUsersKeyUntouched();
    }
}
