// The Start Menu shortcut, the last stage of the registry step: where it is
// saved, what it records, and every way it fails without undoing the registry.
#include <gtest/gtest.h>
#include <shlobj.h>
#include "install/install.h"
#include "support/binding_fault.h"
#include "support/fault.h"
#include "support/handles.h"
#include "support/installation.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

// True when nothing is left initialised on this thread: a fresh start is S_OK.
static bool ComponentSystemStopped()
{
    HRESULT started = CoInitialize(NULL);
    if (SUCCEEDED(started))
        CoUninitialize();
    return started == S_OK;
}

class ShortcutStage : public StepTest {
protected:
    std::string Folder;

    void SetUp() override
    {
        StepTest::SetUp();
        Folder = StageMedia(Scratch + "\\shortcut stage");
        PrepareInstallState(Folder, VER_PLATFORM_WIN32_NT, 5, SHORTCUT_CURRENT_USER);
    }

    void TearDown() override
    {
        for (int folder : { CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU })
            RemoveDirectoryA(ShortcutPath(folder).c_str());
        StepTest::TearDown();
    }

    // The shortcut fails the step, the registry stays written, and no
    // shortcut file is anywhere.
    void ExpectFailsWithoutShortcut()
    {
        ASSERT_EQ(WriteRegistryEntries(), 0u);
        EXPECT_EQ(CreateStartMenuShortcut(NULL), (UINT)IDS_REGISTRY_FAILED);
        EXPECT_TRUE(ReadRegValue(HKEY_LOCAL_MACHINE, AppPathsEntryKey, "Path").Found);
        EXPECT_TRUE(ReadRegValue(HKEY_CLASSES_ROOT, OpenCommandKey, NULL).Found);
        EXPECT_FALSE(FileExists(ShortcutPath(CSIDL_STARTMENU)));
        EXPECT_FALSE(FileExists(ShortcutPath(CSIDL_COMMON_STARTMENU)));
    }
};

TEST_F(ShortcutStage, SavedInTheChosenStartMenuWithTargetFolderAndDescription)
{
    const struct {
        const char *Name;
        BYTE Choice;
        int Folder, Other;
    } cases[] = {
        { "all users", SHORTCUT_ALL_USERS, CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU },
        { "current user", SHORTCUT_CURRENT_USER, CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        PrepareInstallState(Folder, VER_PLATFORM_WIN32_NT, 5, c.Choice);
        ASSERT_EQ((!WriteRegistryEntries() && !CreateStartMenuShortcut(NULL)), 1);

        EXPECT_FALSE(FileExists(ShortcutPath(c.Other)));
        EXPECT_FALSE(FileExists(StartMenuFolder(c.Folder) + "\\Programs\\Brindlecast.lnk"));
        ShortcutInfo link = ReadShortcut(c.Folder);
        ASSERT_TRUE(link.Found);
        EXPECT_EQ(link.Target, Folder + "\\Tessel.exe");
        EXPECT_EQ(link.WorkingDir, Folder + "\\");
        EXPECT_EQ(link.Description, "Shortcut to Tessel.exe");
        EXPECT_EQ(link.Arguments, "");
        EXPECT_EQ(link.IconPath, "");
        EXPECT_EQ(link.Hotkey, 0);
        // The install folder stays as the other steps read it.
        EXPECT_EQ(std::string(SetupState.InstallPath), Folder);
        EXPECT_TRUE(ComponentSystemStopped());
    }
}

TEST_F(ShortcutStage, NoneWantedWritesNoFile)
{
    SetupState.ShortcutChoice = SHORTCUT_NONE;
    EXPECT_EQ((!WriteRegistryEntries() && !CreateStartMenuShortcut(NULL)), 1);
    EXPECT_FALSE(FileExists(ShortcutPath(CSIDL_STARTMENU)));
    EXPECT_FALSE(FileExists(ShortcutPath(CSIDL_COMMON_STARTMENU)));
}

TEST_F(ShortcutStage, OverwritesAnExistingShortcut)
{
    WriteBytes(ShortcutPath(CSIDL_STARTMENU), "not a shortcut");
    ASSERT_EQ((!WriteRegistryEntries() && !CreateStartMenuShortcut(NULL)), 1);
    ShortcutInfo link = ReadShortcut(CSIDL_STARTMENU);
    ASSERT_TRUE(link.Found);
    EXPECT_EQ(link.Target, Folder + "\\Tessel.exe");
}

TEST_F(ShortcutStage, StartMenuThatCannotBeFoundFails)
{
    std::string menu = StartMenuFolder(CSIDL_STARTMENU);
    {
        LostStartMenu lost;
        ExpectFailsWithoutShortcut();
    }
    EXPECT_EQ(StartMenuFolder(CSIDL_STARTMENU), menu);
}

static HRESULT WINAPI NoFolderLocation(HWND, int, LPITEMIDLIST *list)
{
    *list = NULL;
    return E_FAIL;
}

static HRESULT WINAPI EmptyFolderLocation(HWND, int, LPITEMIDLIST *list)
{
    *list = NULL;
    return S_OK;
}

// Answers the ANSI and the wide call alike: nothing is written.
static BOOL WINAPI NoPathFromList(LPCITEMIDLIST, void *)
{
    return FALSE;
}

TEST_F(ShortcutStage, FolderLookupThatGivesNoPathFails)
{
    const struct {
        const char *Name, *Function;
        void *StandIn;
        const char *AlsoFunction;
    } cases[] = {
        { "no item list", "SHGetSpecialFolderLocation", (void *)NoFolderLocation, nullptr },
        { "success without a list", "SHGetSpecialFolderLocation", (void *)EmptyFolderLocation, nullptr },
        // Windows NT asks in wide characters and Windows 95 in ANSI ones.
        { "no path for the list", "SHGetPathFromIDListA", (void *)NoPathFromList, "SHGetPathFromIDListW" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        PrepareInstallState(Folder, VER_PLATFORM_WIN32_NT, 5, SHORTCUT_ALL_USERS);
        ProcedureSwap swap(c.Function, c.StandIn, c.AlsoFunction);
        ExpectFailsWithoutShortcut();
    }
}

static HRESULT WINAPI NoLinkObject(REFCLSID, LPUNKNOWN, DWORD, REFIID, void **object)
{
    *object = NULL;
    return REGDB_E_CLASSNOTREG;
}

TEST_F(ShortcutStage, MissingLinkObjectFailsAndStopsTheComponentSystem)
{
    {
        ImportSwap swap("ole32.dll", "CoCreateInstance", (void *)NoLinkObject);
        ExpectFailsWithoutShortcut();
    }
    EXPECT_TRUE(ComponentSystemStopped());
}

// Each call of the link object that can fail fails the step, and on every
// one the link object and its file interface are released and the
// component system is stopped again.
TEST_F(ShortcutStage, EveryFailingLinkCallReleasesTheLinkAndStopsTheComponentSystem)
{
    const struct {
        const char *Name;
        LinkCall Call;
    } cases[] = {
        { "no file interface", LINK_FILE_INTERFACE },
        { "target refused", LINK_SET_PATH },
        { "working folder refused", LINK_SET_WORKING_DIRECTORY },
        { "description refused", LINK_SET_DESCRIPTION },
        { "save fails", LINK_SAVE },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        PrepareInstallState(Folder, VER_PLATFORM_WIN32_NT, 5, SHORTCUT_CURRENT_USER);
        {
            ShellWatch shell;
            LinkFault fault(c.Call);
            EXPECT_EQ(CreateStartMenuShortcut(NULL), (UINT)IDS_REGISTRY_FAILED);
            EXPECT_EQ(fault.Failed, 1);
            ASSERT_EQ(shell.Links.size(), 1u);
            for (ULONG left : shell.LinkReferencesLeft())
                EXPECT_EQ(left, 0u) << "the link object or its file interface was not released";
        }
        EXPECT_TRUE(ComponentSystemStopped());
        EXPECT_FALSE(FileExists(ShortcutPath(CSIDL_STARTMENU)));
    }
}

// A folder in the way of the shortcut's name makes the link object's Save fail for real.
TEST_F(ShortcutStage, SaveThatFailsFailsTheStep)
{
    ASSERT_TRUE(CreateDirectoryA(ShortcutPath(CSIDL_STARTMENU).c_str(), NULL));
    ExpectFailsWithoutShortcut();
    EXPECT_TRUE(DirExists(ShortcutPath(CSIDL_STARTMENU)));
    EXPECT_TRUE(ComponentSystemStopped());
}

TEST_F(ShortcutStage, ComponentSystemAlreadyStartedCountsAsFailure)
{
    ASSERT_EQ(CoInitialize(NULL), S_OK);
    ExpectFailsWithoutShortcut();
    CoUninitialize();
}
