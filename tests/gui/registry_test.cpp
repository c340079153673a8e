// Whole runs of Setup.exe whose registry step fails for real under Wine: the
// user sees the registry message in the error box, whatever failed, and
// nothing written before it stays.
#include <memory>
#include <shlobj.h>
#include "support/gui.h"
#include "resources/resource.h"

class RegistryRun : public GuiTest {
protected:
    std::string Setup, Folder;

    void TearDown() override
    {
        GuiTest::TearDown();
        RemoveDirectoryA(ShortcutPath(CSIDL_STARTMENU).c_str());
        ResetMachine();
        DeleteTree(Setup);
    }

    // Walks the pages to the install phase: a new folder with a space in its
    // name, a shortcut for the current user.
    void Install()
    {
        Setup = StageSetupFolder("registry run");
        Folder = Setup + "\\Brindle Apps";
        Run = StartSetup(Setup);
        ASSERT_TRUE(Run.Started);
        HWND page = WalkToDirectoryPage(Run);
        ASSERT_NE(page, (HWND)NULL);
        SetControlText(page, IDC_INSTALL_DIR, Folder);
        Click(page, IDC_SHORTCUT_USER);
        Click(page, IDOK);
    }

    void ExpectRegistryMessageThenExit()
    {
        MessageBoxSeen box = WaitForMessageBox(Run);
        ASSERT_NE(box.Window, (HWND)NULL) << "no error box";
        EXPECT_EQ(box.Caption, "Error");
        EXPECT_EQ(box.Text, ExpectedReport(IDS_REGISTRY_FAILED));
        EXPECT_EQ(ClassOf(box.Owner), "SetupClass");
        // The progress panel behind the box tells how far the installation got.
        HWND panel = WaitForPage(Run, IDD_PROGRESS, 0);
        ASSERT_NE(panel, (HWND)NULL);
        EXPECT_EQ(ControlText(panel, IDC_STATUS_COPY), "Copying files...");
        EXPECT_EQ(ControlText(panel, IDC_STATUS_REGISTRY), "Updating registry...");
        Click(box.Window, IDOK);
        EXPECT_EQ(WaitForExit(Run), 1);
    }
};

TEST_F(RegistryRun, LockedMakerKeyIsReportedAndNothingIsWritten)
{
    LockMakerKey();
    ASSERT_NO_FATAL_FAILURE(Install());
    ExpectRegistryMessageThenExit();

    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ProductKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, AppPathsEntryKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallEntryKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UserMakerKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".tsl"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Brindlecast"));
    EXPECT_FALSE(FileExists(ShortcutPath(CSIDL_STARTMENU)));
    // Nor the files copied before the registry step, nor the folder made for them.
    EXPECT_FALSE(DirExists(Folder));
}

// A shortcut that cannot be placed is reported as the registry failure, and
// the registry entries and files written before it are gone again.
TEST_F(RegistryRun, ShortcutFailureIsReportedAsTheRegistryFailure)
{
    const struct {
        const char *Name;
        bool LoseStartMenu;   // else a folder takes the shortcut's name
    } cases[] = {
        { "Start Menu not found", true },
        { "shortcut name taken by a folder", false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        {
            std::unique_ptr<LostStartMenu> lost;
            if (c.LoseStartMenu)
                lost.reset(new LostStartMenu);
            else
                ASSERT_TRUE(CreateDirectoryA(ShortcutPath(CSIDL_STARTMENU).c_str(), NULL));
            ASSERT_NO_FATAL_FAILURE(Install());
            ExpectRegistryMessageThenExit();
        }
        ExpectNoRegistry();
        EXPECT_FALSE(DirExists(Folder));
        EXPECT_FALSE(FileExists(ShortcutPath(CSIDL_STARTMENU)));
        RemoveDirectoryA(ShortcutPath(CSIDL_STARTMENU).c_str());
        DeleteTree(Setup);
    }
}
