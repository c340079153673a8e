// The product file copy in a real Setup.exe run: a failed copy is reported
// over the progress panel, and the setup folder survives being chosen as
// the install folder.
#include "support/gui.h"
#include "support/uninstall_run.h"
#include "setup/state.h"
#include "resources/resource.h"

class CopyGuiTest : public FolderGuiTest {
protected:
    // Next with a folder; the copy fails and its report is awaited.
    MessageBoxSeen InstallInto(const std::string &folder)
    {
        HWND page = WalkToDirectoryPage(Run);
        if (!page)
            return { NULL, "", "", NULL };
        SetControlText(page, IDC_INSTALL_DIR, folder);
        Click(page, IDOK);
        return WaitForMessageBox(Run);
    }
};

// After six files were copied over an earlier installation in the same
// folder: by the time the box shows, the six are gone again and the earlier
// installation is back as it was, its own changes included.
TEST_F(CopyGuiTest, AMissingReadmeIsReportedOverTheProgressPanelAfterSixFilesAndTheEarlierInstallationStays)
{
    std::string setup = Stage("copy-no-readme"), folder = Scratch + "\\Product";
    ASSERT_TRUE(InstallInProcess(folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
    WriteBytes(folder + "\\Order.txt", "the user's filled-in order form");
    WriteBytes(folder + "\\Log.txt", "the product's log");
    std::map<std::wstring, std::string> earlier = WideTree(WideText(folder));
    DeleteFileA((setup + "\\Readme.txt").c_str());
    Run = StartSetup(setup);

    MessageBoxSeen box = InstallInto(folder);
    ASSERT_NE(box.Window, (HWND)NULL);
    EXPECT_EQ(box.Caption, "Error");
    EXPECT_EQ(box.Text, ExpectedReport(IDS_COPY_FAILED));
    EXPECT_EQ(ClassOf(box.Owner), "SetupClass");

    HWND panel = WaitForPage(Run, IDD_PROGRESS, 0);
    ASSERT_NE(panel, (HWND)NULL);
    EXPECT_EQ(WindowText(GetWindow(panel, GW_CHILD)), "Installing Brindlecast");
    EXPECT_EQ(ControlText(panel, IDC_STATUS_COPY), "Copying files...");
    EXPECT_EQ(ControlText(panel, IDC_STATUS_REGISTRY), "");
    EXPECT_TRUE(IsAbove(box.Window, panel));

    EXPECT_EQ(WideTree(WideText(folder)), earlier);
    Click(box.Window, IDOK);
    EXPECT_EQ(WaitForExit(Run), 1);
    ExpectInstalledRegistry(folder);
}

// A program of the setup folder changed in one byte is refused by name, and
// nothing is installed.
TEST_F(CopyGuiTest, AChangedProgramIsRefusedByNameAndNotInstalled)
{
    std::string setup = Stage("copy-changed-program");
    std::string program = ReadBytes(setup + "\\Tessel.exe");
    program[program.size() / 2] ^= 1;
    WriteBytes(setup + "\\Tessel.exe", program);
    Run = StartSetup(setup);

    MessageBoxSeen box = InstallInto(Scratch + "\\Product");
    ASSERT_NE(box.Window, (HWND)NULL);
    EXPECT_EQ(box.Caption, "Error");
    EXPECT_EQ(box.Text, ExpectedReport(IDS_DAMAGED_FILE, "Tessel.exe"));
    Click(box.Window, IDOK);
    EXPECT_EQ(WaitForExit(Run), 1);
    // The two files before it went with the folder the run made.
    EXPECT_FALSE(DirExists(Scratch + "\\Product"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, AppPathsEntryKey));
}

TEST_F(CopyGuiTest, InstallingIntoTheSetupFolderFailsAndTheSetupFolderSurvives)
{
    std::string setup = Stage("copy-into-setup");
    Run = StartSetup(setup);

    MessageBoxSeen box = InstallInto(setup);
    ASSERT_NE(box.Window, (HWND)NULL);
    EXPECT_EQ(box.Text, ExpectedReport(IDS_COPY_FAILED));
    Click(box.Window, IDOK);
    EXPECT_EQ(WaitForExit(Run), 1);

    for (const char *file : { "Setup.exe", "License.txt", "Order.txt", "Tessel.exe", "Tessel.hlp", "Tessel.cnt",
                              "Uninstal.exe", "Readme.txt" }) {
        std::string shipped = ReadBytes(std::string(SETUP_MEDIA_DIR) + "\\" + file);
        ASSERT_FALSE(shipped.empty()) << file;
        EXPECT_EQ(ReadBytes(setup + "\\" + file), shipped) << file;
    }
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, AppPathsEntryKey));
}
