// The product file copy in a real Setup.exe run: a failed copy is reported
// over the progress panel, and the setup folder survives being chosen as
// the install folder.
#include "support/gui.h"
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

TEST_F(CopyGuiTest, AMissingReadmeIsReportedOverTheProgressPanelAfterSixFiles)
{
    std::string setup = Stage("copy-no-readme");
    DeleteFileA((setup + "\\Readme.txt").c_str());
    Run = StartSetup(setup);

    MessageBoxSeen box = InstallInto(Scratch + "\\Product");
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

    Click(box.Window, IDOK);
    EXPECT_EQ(WaitForExit(Run), 1);
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(ReadBytes(Scratch + "\\Product\\" + ShippedFiles[i]), ReadBytes(setup + "\\" + ShippedFiles[i]))
            << ShippedFiles[i];
    EXPECT_FALSE(FileExists(Scratch + "\\Product\\Readme.txt"));
    // The setup ended before the registry step.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, AppPathsEntryKey));
}

// A program of the setup folder changed in one byte is refused by name; the
// files before it are installed, it and the files after it are not.
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
    EXPECT_EQ(FilesIn(Scratch + "\\Product"), (std::vector<std::string>{ "License.txt", "Order.txt" }));
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
