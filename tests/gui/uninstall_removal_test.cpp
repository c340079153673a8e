// Removals by the real Uninstal.exe: through Wine's list of installed
// programs after a real installation, with the user's files kept, from
// read-only files, quietly, with the extension or a shortcut taken by
// someone else, and beside another installation.
#include "support/uninstall_run.h"
#include "support/gui.h"
#include "support/fault.h"
#include "support/installation.h"
#include "support/setupstate.h"
#include "support/child_process.h"
#include "install/install.h"
#include "resources/resource.h"
#include <shlobj.h>

static const char Removed[] = "Brindlecast was removed from your computer.";

static std::string Media(const char *file)
{
    return std::string(SETUP_MEDIA_DIR) + "\\" + file;
}

// Answers the question with Yes and the closing box with OK; returns the closing text.
static std::string AnswerYes()
{
    MessageBoxSeen question = WaitForUninstallBox();
    if (!question.Window)
        return "(no question)";
    EXPECT_EQ(question.Text, "Remove Brindlecast 1.26 from this computer?");
    EXPECT_EQ(ButtonsOf(question.Window), (std::vector<int>{ IDYES, IDNO }));
    Press(question, IDYES);
    MessageBoxSeen closing = WaitForUninstallBox();
    if (!closing.Window)
        return "(no closing box)";
    EXPECT_EQ(ButtonsOf(closing.Window), std::vector<int>{ IDOK });
    Press(closing, IDOK);
    return closing.Text;
}

TEST_F(UninstallGuiTest, InstalledThenRemovedThroughTheListOfInstalledPrograms)
{
    std::string media = StageSetupFolder("uninstall-list-media");
    Run = StartSetup(media);
    ASSERT_TRUE(ClickThroughPages(Run, Folder, IDC_SHORTCUT_USER));
    ASSERT_EQ(FinishRun(Run), 1);
    ASSERT_TRUE(ReadShortcut(CSIDL_STARTMENU).Found);

    // Wine's list runs the entry's UninstallString and waits for it.
    Run = StartProgram("uninstaller.exe --remove Brindlecast");
    EXPECT_EQ(AnswerYes(), Removed);
    Finish(Run);

    ExpectProductGone();
    ExpectCopyScheduled();
    DeleteTree(media);
}

TEST_F(UninstallGuiTest, SettingsFilesKeepTheFolderAndTheNextSetupFindsNoInstallation)
{
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
    WriteBytes(Folder + "\\Mine.tsl", "user settings");
    WriteBytes(Folder + "\\Notes.txt", "the user's notes");

    Run = StartUninstall(Folder);
    EXPECT_EQ(AnswerYes(), std::string(Removed) + "\n\nThe folder " + Folder
                               + " was kept: it holds files that Setup did not install, such as your settings files.");
    EXPECT_EQ(Finish(Run), 0);
    EXPECT_EQ(FilesIn(Folder), (std::vector<std::string>{ "Mine.tsl", "Notes.txt" }));
    EXPECT_EQ(ReadBytes(Folder + "\\Mine.tsl"), "user settings");
    ExpectNoRegistry();
    ExpectCopyScheduled();

    // The next installation is a first one: an earlier installation that the
    // registry pointed to would bring the question about the settings files
    // left in it before the finish page.
    std::string media = StageSetupFolder("uninstall-again-media");
    Run = StartSetup(media);
    ASSERT_TRUE(ClickThroughPages(Run, Scratch + "\\Again", IDC_SHORTCUT_NONE));
    EXPECT_EQ(FinishRun(Run), 1);
    EXPECT_EQ(FilesIn(Folder), (std::vector<std::string>{ "Mine.tsl", "Notes.txt" }));
    DeleteTree(media);
}

// A file of the user's whose name only looks like the uninstaller's own (a
// full-width letter or full stop in it, which the ANSI code page turns into
// the plain one) is the user's: the folder stays with it and the closing
// box names the folder. A full-width small n is U+FF4E: its low byte alone
// would read as 'N'.
TEST_F(UninstallGuiTest, LookAlikeOfTheUninstallersNameIsTheUsersFile)
{
    static const wchar_t *const names[] = { L"\uFF35ninstal.exe", L"Uninstal\uFF0Eexe", L"Uni\uFF4Estal.exe" };
    for (size_t i = 0; i < ARRAY_LENGTH(names); i++) {
        const wchar_t *name = names[i];
        SCOPED_TRACE(i);
        // Only where the code page converts the name so does the case mean something.
        ASSERT_EQ(AnsiText(name), UninstallerFile);
        ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
        WriteWideBytes(WideText(Folder) + L"\\" + name, "the user's program");

        Run = StartUninstall(Folder);
        EXPECT_EQ(AnswerYes(), std::string(Removed) + "\n\nThe folder " + Folder
                                   + " was kept: it holds files that Setup did not install, such as your settings files.");
        EXPECT_EQ(Finish(Run), 0);
        EXPECT_EQ(WideTree(WideText(Folder)),
                  (std::map<std::wstring, std::string>{ { std::wstring(L"\\") + name, "the user's program" } }));
        ExpectNoRegistry();
        RemoveTempCopies();
        DeleteTree(Folder);
    }
}

TEST_F(UninstallGuiTest, ReadonlyFilesFromReadonlyMediaAreRemoved)
{
    std::string media = StageSetupFolder("uninstall-readonly-media");
    for (const char *file : ShippedFiles)
        ASSERT_TRUE(SetFileAttributesA((media + "\\" + file).c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE, media));
    // The setup drops the attribute from its copies; a user or a tool may set it again.
    WriteBytes(Folder + "\\Log.txt", "log of the product");
    for (const char *file : ProductFileNames)
        if (FileExists(Folder + "\\" + file)) {
            SetFileAttributesA((Folder + "\\" + file).c_str(), FILE_ATTRIBUTE_READONLY);
            ASSERT_TRUE(GetFileAttributesA((Folder + "\\" + file).c_str()) & FILE_ATTRIBUTE_READONLY) << file;
        }

    Run = StartUninstall(Folder, "/S");
    EXPECT_EQ(Finish(Run), 0);
    ExpectProductGone();
    ExpectCopyScheduled();
    DeleteTree(media);
}

// The command package tools run: the quoted path and /S, with no box at all;
// a box would keep the run from ending.
TEST_F(UninstallGuiTest, QuietCommandOfTheEntryRemovesWithoutABox)
{
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_ALL_USERS));
    ASSERT_TRUE(ReadShortcut(CSIDL_COMMON_STARTMENU).Found);
    std::string quiet = ReadRegValue(HKEY_LOCAL_MACHINE, UninstallEntryKey, "QuietUninstallString").Data.c_str();
    ASSERT_EQ(quiet, "\"" + Folder + "\\Uninstal.exe\" /S");

    Run = StartProgram(quiet);
    EXPECT_EQ(Finish(Run), 0);
    ExpectProductGone();
    ExpectCopyScheduled();
}

TEST_F(UninstallGuiTest, ExtensionTakenOverByAnotherProgramStays)
{
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
    SetRegString(HKEY_CLASSES_ROOT, ".tsl", NULL, "Quilter.Pattern");

    Run = StartUninstall(Folder, "/S");
    EXPECT_EQ(Finish(Run), 0);
    EXPECT_EQ(ReadRegValue(HKEY_CLASSES_ROOT, ".tsl", NULL).Data, std::string("Quilter.Pattern") + '\0');
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Brindlecast"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallEntryKey));
    EXPECT_FALSE(DirExists(Folder));
}

// Both Start Menus are looked at; a shortcut goes only when it points into the folder.
TEST_F(UninstallGuiTest, ShortcutsIntoTheFolderGoInBothStartMenus)
{
    const struct {
        const char *Name;
        bool UserShortcutHere;
    } cases[] = {
        { "both into the folder", true },
        { "the user's into another folder", false },
    };
    std::string elsewhere = Scratch + "\\Elsewhere";
    CreateDirectoryA(elsewhere.c_str(), NULL);
    CopyFileA(Media("Tessel.exe").c_str(), (elsewhere + "\\Tessel.exe").c_str(), FALSE);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_ALL_USERS));
        PrepareInstallState(c.UserShortcutHere ? Folder : elsewhere, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_CURRENT_USER);
        ASSERT_EQ(CreateStartMenuShortcut(NULL), 0u);

        Run = StartUninstall(Folder, "/S");
        EXPECT_EQ(Finish(Run), 0);
        EXPECT_FALSE(ReadShortcut(CSIDL_COMMON_STARTMENU).Found);
        ShortcutInfo user = ReadShortcut(CSIDL_STARTMENU);
        EXPECT_EQ(user.Found, !c.UserShortcutHere);
        if (user.Found) {
            EXPECT_EQ(user.Target, elsewhere + "\\Tessel.exe");
        }
        EXPECT_FALSE(DirExists(Folder));
    }
}

// The registry names another folder: only this folder's files go, and the
// other installation keeps its registry entries, files and shortcut.
TEST_F(UninstallGuiTest, AnotherInstallationKeepsItsEntries)
{
    std::string other = Scratch + "\\Other";
    ASSERT_TRUE(InstallInProcess(other, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_CURRENT_USER));
    StageMedia(Folder);

    Run = StartUninstall(Folder, "/S");
    EXPECT_EQ(Finish(Run), 0);
    EXPECT_FALSE(DirExists(Folder));
    ExpectShippedFiles(other);
    ExpectInstalledRegistry(other);
    EXPECT_EQ(ReadShortcut(CSIDL_STARTMENU).Target, other + "\\Tessel.exe");
}

// A DLL planted beside the uninstaller under the name of a system DLL that
// the message boxes load by name is never loaded; as a file Setup did not
// install, it keeps the folder.
TEST_F(UninstallGuiTest, DllPlantedBesideTheUninstallerIsNeverLoaded)
{
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
    ASSERT_TRUE(CopyFileA(PLANTED_DLL, (Folder + "\\uxtheme.dll").c_str(), FALSE));
    SetRegString(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Uninstal.exe\\DllOverrides", "uxtheme",
                 "native,builtin");

    Run = StartUninstall(Folder);
    EXPECT_NE(AnswerYes().find("The folder " + Folder + " was kept"), std::string::npos);
    EXPECT_EQ(Finish(Run), 0);
    EXPECT_EQ(FilesIn(Folder), std::vector<std::string>{ "uxtheme.dll" });
}
