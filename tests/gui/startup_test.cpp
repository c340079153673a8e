// Whole runs of Setup.exe: start-up and the first pages.
#include "support/gui.h"
#include "resources/resource.h"

TEST_F(GuiTest, WelcomeThenCancelEndsWithExitCodeOne)
{
    Run = StartSetup(StageSetupFolder("welcome-cancel"));
    ASSERT_TRUE(Run.Started);
    HWND welcome = WaitForPage(Run, IDD_WELCOME);
    ASSERT_NE(welcome, (HWND)NULL);
    EXPECT_EQ(WindowText(welcome), SetupTitleText);
    Click(welcome, IDCANCEL);
    EXPECT_EQ(WaitForExit(Run), 1);
}

// Wine reports win95 as platform 1, version 4.0; nt351 as platform 2,
// version 3.51; nt40 as platform 2, version 4.0. The install-directory page
// shows which platform the setup recorded: only NT offers the all-users
// shortcut.
TEST_F(GuiTest, SupportedWindowsVersionsReachTheWelcomePage)
{
    static const struct {
        const char *Version;
        bool Nt;
    } versions[] = { { "win95", false }, { "nt351", true }, { "nt40", true } };
    for (const auto &version : versions) {
        SCOPED_TRACE(version.Version);
        SetReportedVersion(version.Version);
        Run = StartSetup(StageSetupFolder(std::string("version-") + version.Version));
        ASSERT_TRUE(Run.Started);
        HWND welcome = WaitForPage(Run, IDD_WELCOME);
        ASSERT_NE(welcome, (HWND)NULL);
        Click(welcome, IDOK);
        HWND agreement = WaitForPage(Run, IDD_AGREEMENT);
        ASSERT_NE(agreement, (HWND)NULL);
        Click(agreement, IDOK);
        HWND directory = WaitForPage(Run, IDD_DIRECTORY);
        ASSERT_NE(directory, (HWND)NULL);
        EXPECT_EQ(ControlEnabled(directory, IDC_SHORTCUT_ALL), version.Nt);
        Click(directory, IDCANCEL);
        EXPECT_EQ(WaitForExit(Run, 5000), 1);
    }
}

static void RemoveLicense(const std::string &folder)
{
    DeleteFileA((folder + "\\License.txt").c_str());
}

static void AlterLicense(const std::string &folder)
{
    std::string text = ReadBytes(folder + "\\License.txt");
    text[10] ^= 0x20;
    WriteBytes(folder + "\\License.txt", text);
}

static void GrowLicense(const std::string &folder)
{
    WriteBytes(folder + "\\License.txt", std::string(4097, ' '));
}

static void Unchanged(const std::string &) {}

TEST_F(GuiTest, StartupRefusalsShowTheirMessageOverTheBackdropAndEndTheRun)
{
    static const struct {
        const char *Name;
        void (*Prepare)(const std::string &folder);
        const char *Version;
        UINT Message;
    } refusals[] = {
        { "license-missing", RemoveLicense, "", IDS_BAD_AGREEMENT },
        { "license-altered", AlterLicense, "", IDS_BAD_AGREEMENT },
        { "license-oversized", GrowLicense, "", IDS_BAD_AGREEMENT },
        // Wine reports win31 as Win32s (platform 0), version 3.10.
        { "version-win31", Unchanged, "win31", IDS_BAD_WINDOWS },
    };
    for (const auto &refusal : refusals) {
        SCOPED_TRACE(refusal.Name);
        std::string folder = StageSetupFolder(refusal.Name);
        refusal.Prepare(folder);
        SetReportedVersion(refusal.Version);
        Run = StartSetup(folder);
        ASSERT_TRUE(Run.Started);
        MessageBoxSeen box = WaitForMessageBox(Run);
        ASSERT_NE(box.Window, (HWND)NULL);
        EXPECT_EQ(box.Caption, "Error");
        EXPECT_EQ(box.Text, ExpectedReport(refusal.Message));
        HWND backdrop = BackdropOf(Run);
        EXPECT_NE(backdrop, (HWND)NULL);
        EXPECT_EQ(box.Owner, backdrop);
        EXPECT_EQ(WindowText(backdrop), SetupTitleText);
        EXPECT_EQ(WaitForPage(Run, IDD_WELCOME, 0), (HWND)NULL);
        Click(box.Window, IDOK);
        EXPECT_EQ(WaitForExit(Run, 5000), 1);
    }
}

// 259 characters to Setup.exe, the longest path from which Wine starts a
// program: it does not fit the first 256 bytes the setup asks it into.
TEST_F(GuiTest, SetupFolderWithALongPathIsEnteredAndItsAgreementShown)
{
    std::string folder = StageDeepSetupFolder("deep", 249);
    ASSERT_EQ(folder.size(), 249u);
    Run = StartSetup(folder);
    ASSERT_TRUE(Run.Started);
    HWND welcome = WaitForPage(Run, IDD_WELCOME);
    ASSERT_NE(welcome, (HWND)NULL) << WaitForMessageBox(Run, 0).Text;
    Click(welcome, IDOK);
    HWND agreement = WaitForPage(Run, IDD_AGREEMENT);
    ASSERT_NE(agreement, (HWND)NULL);
    EXPECT_TRUE(ControlText(agreement, IDC_AGREEMENT_TEXT) == ShippedLicense());
    Click(agreement, IDCANCEL);
    EXPECT_EQ(WaitForExit(Run, 5000), 1);
    DeleteTree(folder.substr(0, folder.find("\\bc-deep") + 8));
}
