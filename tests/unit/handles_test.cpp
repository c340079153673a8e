// Every step of the setup and of the uninstaller gives back what it takes
// from the platform: registry keys, file searches, the shell's item lists
// and allocator, and the link object, when it succeeds and when it stops
// halfway. (Memory blocks: the start-up and agreement tests and the install
// phase of a whole run.)
#include <gtest/gtest.h>
#include <shlobj.h>
#include "install/install.h"
#include "uninstall/uninstall.h"
#include "support/fault.h"
#include "support/handles.h"
#include "support/installation.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

static std::string Names(const std::map<HKEY, std::string> &open)
{
    std::string names;
    for (const auto &key : open)
        names += " \"" + key.second + "\"";
    return names;
}

// Nothing left open and nothing closed that was not open.
static void ExpectBalanced(const KeyWatch &keys)
{
    EXPECT_GT(keys.Opened, 0) << "no key was opened at all";
    EXPECT_TRUE(keys.Open.empty()) << "left open:" << Names(keys.Open);
    EXPECT_FALSE(keys.BadClose) << "a key was closed that was not open";
}

class HandleBalance : public StepTest {};

// Found or not, wherever the walk to the program-files value stops.
TEST_F(HandleBalance, DefaultFolderClosesEveryKeyItOpened)
{
    for (const char *denied : { "", "Microsoft", "Windows", "CurrentVersion" }) {
        SCOPED_TRACE(std::string("denied: ") + denied);
        KeyWatch keys;
        keys.DenyName = denied;
        keys.DenyNth = 1;
        DefaultInstallDir();
        EXPECT_EQ(keys.Asked, *denied ? 1 : 0);
        ExpectBalanced(keys);
    }
}

TEST_F(HandleBalance, RegistryStepClosesEveryKeyItOpened)
{
    std::string folder = StageSetupFolder("balance-registry");
    const struct {
        const char *Name;
        DWORD Major;
        bool PositionsKept;
    } cases[] = {
        { "first installation", 5, false },
        { "window position already there", 5, true },
        { "Windows NT 3.51, no uninstall entry", 3, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        if (c.PositionsKept) {
            SetRegDword(HKEY_CURRENT_USER, UserSettingsKey, "WindowLeft", 10);
            SetRegDword(HKEY_CURRENT_USER, UserSettingsKey, "WindowTop", 20);
        }
        PrepareInstallState(folder, VER_PLATFORM_WIN32_NT, c.Major, SHORTCUT_NONE);
        KeyWatch keys;
        EXPECT_EQ(WriteRegistryEntries(), 0u);
        ExpectBalanced(keys);
    }
    DeleteTree(folder);
}

// Wherever a stage stops, at a key it cannot open or create or at a value
// it cannot write, every key opened on the way is closed.
TEST_F(HandleBalance, RegistryStepStoppedAnywhereClosesEveryKeyItOpened)
{
    std::string folder = StageSetupFolder("balance-registry-halfway");
    const struct {
        const char *Key;     // a key denied, or NULL
        const char *Value;   // a value denied ("": a default value), or NULL
        int Nth;
    } cases[] = {
        // Of "Brindlecast": the product key created, opened, the uninstall
        // entry, the user's product key.
        { "Tarnwicke", NULL, 1 },
        { "Brindlecast", NULL, 1 },
        { "Brindlecast", NULL, 2 },
        { "1.26", NULL, 1 },
        { "Microsoft", NULL, 1 },
        { "Windows", NULL, 1 },
        { "CurrentVersion", NULL, 1 },
        { "App Paths", NULL, 1 },
        { "Tessel.exe", NULL, 1 },
        { "Uninstall", NULL, 1 },
        { "Brindlecast", NULL, 3 },
        { "Tarnwicke", NULL, 2 },
        { "Brindlecast", NULL, 4 },
        { "Settings", NULL, 1 },
        { "Software\\Classes\\.tsl", NULL, 1 },
        { "Software\\Classes\\Brindlecast", NULL, 1 },
        { "DefaultIcon", NULL, 1 },
        { "shell", NULL, 1 },
        { "open", NULL, 1 },
        { "command", NULL, 1 },
        { NULL, "Path", 1 },
        { NULL, "", 1 },     // the App Paths entry's default value
        { NULL, "DisplayName", 1 },
        { NULL, "UninstallString", 1 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Key ? std::string("key ") + c.Key + " #" + std::to_string(c.Nth)
                           : std::string("value \"") + c.Value + "\"");
        ResetMachine();
        PrepareInstallState(folder, VER_PLATFORM_WIN32_NT, 5, SHORTCUT_NONE);
        KeyWatch keys;
        if (c.Key) {
            keys.DenyName = c.Key;
            keys.DenyNth = c.Nth;
        } else {
            keys.DenyValue = c.Value;
            keys.DenyValueNth = c.Nth;
        }
        EXPECT_EQ(WriteRegistryEntries(), (UINT)IDS_REGISTRY_FAILED);
        EXPECT_EQ(c.Key ? keys.Asked : keys.ValueAsked, c.Nth) << "the denial was never met";
        ExpectBalanced(keys);
    }
    DeleteTree(folder);
}

TEST_F(HandleBalance, RemovalOfAnEarlierInstallationClosesItsKeysAndSearches)
{
    const std::string old = Scratch + "\\Old", now = Scratch + "\\New";
    enum Recorded { Nothing, MakerOnly, GoneFolder, OtherFolder, SameFolder };
    const struct {
        const char *Name;
        Recorded What;
        int Answer;
        bool Clash;        // a settings file already in the new folder
        int Searches;
        const char *Denied = "";   // a key that cannot be opened
    } cases[] = {
        { "no earlier installation", Nothing, IDOK, false, 0 },
        { "maker key without an application path", MakerOnly, IDOK, false, 0 },
        { "old folder gone", GoneFolder, IDOK, false, 0 },
        { "settings files moved", OtherFolder, IDYES, false, 1 },
        { "settings files left", OtherFolder, IDNO, false, 1 },
        { "a settings file cannot move", OtherFolder, IDYES, true, 1 },
        { "reinstallation into the same folder", SameFolder, IDOK, false, 0 },
        { "maker key denied", OtherFolder, IDYES, false, 0, "Tarnwicke" },
        { "Microsoft denied", OtherFolder, IDYES, false, 0, "Microsoft" },
        { "CurrentVersion denied", OtherFolder, IDYES, false, 0, "CurrentVersion" },
        { "App Paths denied", OtherFolder, IDYES, false, 0, "App Paths" },
        { "the program's entry denied", OtherFolder, IDYES, false, 0, "Tessel.exe" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        DeleteTree(old);
        DeleteTree(now);
        CreateDirectoryA(old.c_str(), NULL);
        CreateDirectoryA(now.c_str(), NULL);
        PutOldProductFiles(old);
        WriteBytes(old + "\\First.tsl", "first");
        WriteBytes(old + "\\Second.tsl", "second");
        if (c.Clash)
            WriteBytes(now + "\\First.tsl", "already here");
        if (c.What == MakerOnly)
            SetRegString(HKEY_LOCAL_MACHINE, MakerKey, "Kept", "yes");
        else if (c.What != Nothing)
            RecordPreviousInstall(WithTerminator(c.What == GoneFolder ? old + "-gone"
                                                 : c.What == SameFolder ? now
                                                                        : old));
        PrepareInstallState(now, VER_PLATFORM_WIN32_NT, 5, SHORTCUT_NONE);
        SetCurrentDirectoryA(Before.c_str());

        BoxCapture boxes(c.Answer);
        KeyWatch keys;
        keys.DenyName = c.Denied;
        keys.DenyNth = 1;
        SearchWatch searches;
        RemovePreviousInstall(NULL);
        EXPECT_EQ(keys.Asked, *c.Denied ? 1 : 0);
        ExpectBalanced(keys);
        if (*c.Denied) {
            EXPECT_TRUE(FileExists(old + "\\Tessel.exe")) << "an installation it could not read was removed";
        }
        EXPECT_EQ(searches.Begun, c.Searches);
        EXPECT_TRUE(searches.Open.empty()) << "a search was left open";
        EXPECT_FALSE(searches.BadClose);
    }
}

TEST_F(HandleBalance, ShortcutGivesBackTheFolderListTheAllocatorAndTheLinkObject)
{
    std::string folder = StageSetupFolder("balance-shortcut");
    const struct {
        const char *Name;
        BYTE Choice;
        bool Blocked;   // a folder in the way of the shortcut makes the save fail
        UINT Failure;
        size_t Lists, Links;
    } cases[] = {
        { "current user", SHORTCUT_CURRENT_USER, false, 0, 1, 1 },
        { "all users", SHORTCUT_ALL_USERS, false, 0, 1, 1 },
        { "save fails", SHORTCUT_CURRENT_USER, true, IDS_REGISTRY_FAILED, 1, 1 },
        { "no shortcut wanted", SHORTCUT_NONE, false, 0, 0, 0 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        if (c.Blocked) {
            ASSERT_TRUE(CreateDirectoryA(ShortcutPath(CSIDL_STARTMENU).c_str(), NULL));
        }
        PrepareInstallState(folder, VER_PLATFORM_WIN32_NT, 5, c.Choice);
        {
            ShellWatch shell;
            EXPECT_EQ(CreateStartMenuShortcut(NULL), c.Failure);
            EXPECT_EQ(shell.Lists.size(), c.Lists);
            EXPECT_EQ(shell.Freed, shell.Lists) << "a folder item list was not freed";
            EXPECT_EQ(shell.AllocatorReferences, 0) << "the shell's allocator was not released";
            EXPECT_EQ(shell.Links.size(), c.Links);
            for (ULONG left : shell.LinkReferencesLeft())
                EXPECT_EQ(left, 0u) << "the link object or its file interface was not released";
        }
        RemoveDirectoryA(ShortcutPath(CSIDL_STARTMENU).c_str());
    }
    DeleteTree(folder);
}

// The uninstaller looks its installation up, reads the shortcuts' targets
// through the link object, searches the folder and removes the registry
// entries: all of it is given back.
TEST_F(HandleBalance, UninstallerStepsGiveBackWhatTheyTake)
{
    std::string folder = StageMedia(Scratch + "\\Brindle Apps");
    PrepareInstallState(folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_CURRENT_USER);
    ASSERT_EQ(WriteRegistryEntries(), 0u);
    ASSERT_EQ(CreateStartMenuShortcut(NULL), 0u);
    ZeroMemory(&UninstallState, sizeof UninstallState);
    UninstallState.PlatformId = VER_PLATFORM_WIN32_NT;
    UninstallState.MajorVersion = 6;
    lstrcpyA(UninstallState.Folder, folder.c_str());

    KeyWatch keys;
    SearchWatch searches;
    {
        ShellWatch shell;
        EXPECT_TRUE(IsInstalled());
        EXPECT_TRUE(FolderHolds(folder.c_str(), NULL));
        RemoveShortcuts();
        RemoveRegistryEntries();
        RemoveInstallationRecord();
        EXPECT_EQ(shell.Freed, shell.Lists) << "a folder item list was not freed";
        EXPECT_EQ(shell.AllocatorReferences, 0) << "the shell's allocator was not released";
        EXPECT_GE(shell.Links.size(), 1u);
        for (ULONG left : shell.LinkReferencesLeft())
            EXPECT_EQ(left, 0u) << "the link object or its file interface was not released";
    }
    ExpectBalanced(keys);
    EXPECT_GE(searches.Begun, 1);
    EXPECT_TRUE(searches.Open.empty()) << "a search was left open";
    EXPECT_FALSE(searches.BadClose);
    // The steps did their work: nothing of the product is left but its files.
    EXPECT_FALSE(FileExists(ShortcutPath(CSIDL_STARTMENU)));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, AppPathsEntryKey));
}
