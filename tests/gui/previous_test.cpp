// Whole runs of Setup.exe over an earlier installation that the registry
// points to: its product files, its settings files and its folder.
#include "support/gui.h"
#include "resources/resource.h"

static const std::string FirstSettings("first\0\x01\xff settings", 17), SecondSettings = "second settings\r\n";

// An earlier installation in its own folder, with two settings files.
class PreviousInstallTest : public GuiTest {
protected:
    std::string Old, New, Media;
    void SetUp() override
    {
        GuiTest::SetUp();
        std::string scratch = MakeScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        Old = scratch + "\\Old";
        New = scratch + "\\New";
        LayOutEarlierInstallation();
        Media = StageSetupFolder("previous-media");
    }

    // The earlier installation, afresh, and no new folder yet.
    void LayOutEarlierInstallation()
    {
        ResetMachine();
        DeleteTree(Old);
        DeleteTree(New);
        CreateDirectoryA(Old.c_str(), NULL);
        PutOldProductFiles(Old);
        WriteBytes(Old + "\\First.tsl", FirstSettings);
        WriteBytes(Old + "\\Second.tsl", SecondSettings);
        RecordPreviousInstall(WithTerminator(Old));
    }

    // The question the setup asks about the settings files, checked in full.
    MessageBoxSeen ExpectQuestion()
    {
        MessageBoxSeen box = WaitForMessageBox(Run);
        EXPECT_NE(box.Window, (HWND)NULL);
        EXPECT_EQ(box.Caption, SetupTitleText);
        EXPECT_EQ(box.Text, MoveSettingsQuestion);
        EXPECT_EQ(box.Owner, BackdropOf(Run));
        EXPECT_NE(GetDlgItem(box.Window, IDYES), (HWND)NULL);
        EXPECT_NE(GetDlgItem(box.Window, IDNO), (HWND)NULL);
        EXPECT_EQ(GetDlgItem(box.Window, IDOK), (HWND)NULL);
        EXPECT_EQ(GetDlgItem(box.Window, IDCANCEL), (HWND)NULL);
        return box;
    }

    void ExpectErrorBox(const char *text)
    {
        MessageBoxSeen box = WaitForMessageBox(Run);
        ASSERT_NE(box.Window, (HWND)NULL) << text;
        EXPECT_EQ(box.Caption, SetupTitleText);
        EXPECT_EQ(box.Text, text);
        EXPECT_EQ(box.Owner, BackdropOf(Run));
        EXPECT_NE(GetDlgItem(box.Window, IDOK), (HWND)NULL);
        Answer(box, IDOK);
    }
};

TEST_F(PreviousInstallTest, ReinstallIntoSameFolderReplacesProductFilesAndKeepsTheRest)
{
    // The registry's spelling of the folder may differ in case only.
    static const struct { const char *Name; bool Upper; } spellings[] = {
        { "as installed", false },
        { "upper case", true },
    };
    for (const auto &spelling : spellings) {
        SCOPED_TRACE(spelling.Name);
        PutOldProductFiles(Old);
        WriteBytes(Old + "\\Notes.doc", "the user's own file");
        RecordPreviousInstall(WithTerminator(spelling.Upper ? Upper(Old) : Old));

        Run = StartSetup(Media);
        ASSERT_TRUE(ClickThroughPages(Run, Old, IDC_SHORTCUT_NONE));
        // No question although settings files lie there, and no box at all.
        EXPECT_EQ(FinishRun(Run), 1);

        // Log.txt, Tessel.gid and Tessel.fts are gone, the shipped files are new.
        ExpectShippedFiles(Old, { "First.tsl", "Notes.doc", "Second.tsl" });
        EXPECT_EQ(ReadBytes(Old + "\\First.tsl"), FirstSettings);
        EXPECT_EQ(ReadBytes(Old + "\\Second.tsl"), SecondSettings);
        ExpectInstalledRegistry(Old);
    }
}

// Yes moves both settings files and the emptied folder goes; No leaves
// them, and the folder with them, and says so. The product files go either way.
TEST_F(PreviousInstallTest, SettingsFilesMoveOnYesAndStayWithTheOldFolderOnNo)
{
    const struct {
        const char *Name;
        int Answer;
        const char *Message;   // the box after the answer, or NULL
        bool OldFolderKept;
    } answers[] = {
        { "Yes", IDYES, NULL, false },
        { "No", IDNO, RemoveFolderFailed, true },
    };
    for (const auto &c : answers) {
        SCOPED_TRACE(c.Name);
        LayOutEarlierInstallation();
        Run = StartSetup(Media);
        ASSERT_TRUE(ClickThroughPages(Run, New, IDC_SHORTCUT_NONE));
        MessageBoxSeen question = ExpectQuestion();
        ASSERT_NE(question.Window, (HWND)NULL);
        Answer(question, c.Answer);
        if (c.Message)
            ExpectErrorBox(c.Message);
        EXPECT_EQ(FinishRun(Run), 1);

        const std::vector<std::string> settings = { "First.tsl", "Second.tsl" };
        const std::string &kept = c.OldFolderKept ? Old : New;
        EXPECT_EQ(DirExists(Old), c.OldFolderKept);
        if (c.OldFolderKept) {
            EXPECT_EQ(FilesIn(Old), settings);
        }
        ExpectShippedFiles(New, c.OldFolderKept ? std::vector<std::string>{} : settings);
        EXPECT_EQ(ReadBytes(kept + "\\First.tsl"), FirstSettings);
        EXPECT_EQ(ReadBytes(kept + "\\Second.tsl"), SecondSettings);
        ExpectInstalledRegistry(New);
    }
}

TEST_F(PreviousInstallTest, SettingsFileAlreadyInNewFolderStopsTheMoving)
{
    // The file the search yields first is the one that cannot move; the
    // other one must then stay behind as well.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((Old + "\\*.tsl").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    std::string first = found.cFileName;
    std::string second = first == "First.tsl" ? "Second.tsl" : "First.tsl";
    std::string secondBytes = ReadBytes(Old + "\\" + second);
    CreateDirectoryA(New.c_str(), NULL);
    WriteBytes(New + "\\" + first, "already in the new folder");

    Run = StartSetup(Media);
    ASSERT_TRUE(ClickThroughPages(Run, New, IDC_SHORTCUT_NONE));
    MessageBoxSeen question = ExpectQuestion();
    ASSERT_NE(question.Window, (HWND)NULL);
    Answer(question, IDYES);
    ExpectErrorBox(MoveSettingsFailed);
    ExpectErrorBox(RemoveFolderFailed);
    EXPECT_EQ(FinishRun(Run), 1);

    EXPECT_EQ(ReadBytes(New + "\\" + first), "already in the new folder");
    EXPECT_EQ(FilesIn(Old), (std::vector<std::string>{ "First.tsl", "Second.tsl" }));
    EXPECT_EQ(ReadBytes(Old + "\\" + second), secondBytes);
    ExpectShippedFiles(New, { first });
}

TEST_F(PreviousInstallTest, EarlierInstallationNotRecognisedIsLeftAlone)
{
    static const struct { const char *Name; bool MakerKey; bool FolderExists; } cases[] = {
        { "App Paths entry without the maker key", false, true },
        { "old folder no longer there", true, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        DeleteTree(New);
        std::string old = c.FolderExists ? Old : Old + "-gone";
        RecordPreviousInstall(WithTerminator(old), c.MakerKey);
        std::vector<std::string> before = FilesIn(Old);

        Run = StartSetup(Media);
        ASSERT_TRUE(ClickThroughPages(Run, New, IDC_SHORTCUT_NONE));
        // No question and no message: the finish page comes straight away.
        EXPECT_EQ(FinishRun(Run), 1);

        EXPECT_EQ(FilesIn(Old), before);
        EXPECT_EQ(ReadBytes(Old + "\\Order.txt"), "old Order.txt");
        EXPECT_FALSE(DirExists(Old + "-gone"));
        ExpectShippedFiles(New);
    }
}

// Ways the registry may write a folder that the setup accepted when it was typed.
enum Spelling { AsIs, UpperCase, TrailingBackslash, ShortName, DotDot, ForwardSlash, DoubledBackslash };

static std::string Spell(const std::string &folder, Spelling spelling)
{
    size_t last = folder.rfind('\\');
    size_t parent = folder.rfind('\\', last - 1);
    char shortName[MAX_PATH] = "";
    std::string text = folder;
    switch (spelling) {
    case AsIs:
        break;
    case UpperCase:
        text = Upper(folder);
        break;
    case TrailingBackslash:
        text = folder + "\\";
        break;
    case ShortName:
        GetShortPathNameA(folder.c_str(), shortName, sizeof shortName);
        text = shortName;
        break;
    case DotDot:
        text = folder.substr(0, last) + "\\.." + folder.substr(parent);
        break;
    case ForwardSlash:
        text[last] = '/';
        break;
    case DoubledBackslash:
        text.insert(last, "\\");
        break;
    }
    return text;
}

// The earlier installation's folder is the one the setup runs from: the
// product files there are the setup's own and stay, however the registry
// writes the folder.
TEST_F(PreviousInstallTest, OldFolderThatIsTheSetupFolderKeepsTheMedia)
{
    static const Spelling spellings[] = {
        AsIs, UpperCase, TrailingBackslash, ShortName, DotDot, ForwardSlash, DoubledBackslash,
    };
    for (Spelling spelling : spellings) {
        ResetMachine();
        DeleteTree(New);
        std::string media = StageSetupFolder("previous-is-media");
        std::string stored = Spell(media, spelling);
        SCOPED_TRACE(stored);
        ASSERT_NE(stored, "");
        RecordPreviousInstall(WithTerminator(stored));

        Run = StartSetup(media);
        ASSERT_TRUE(ClickThroughPages(Run, New, IDC_SHORTCUT_NONE));
        // The folder cannot go, and the user hears of it.
        ExpectErrorBox(RemoveFolderFailed);
        EXPECT_EQ(FinishRun(Run), 1);

        ExpectShippedFiles(media, { "Setup.exe" });
        ExpectShippedFiles(New);
        ExpectInstalledRegistry(New);
    }
}

// Installing into the setup folder copies each file onto itself, which
// fails; the media must survive it, with or without an earlier installation
// recorded there.
TEST_F(PreviousInstallTest, InstallIntoTheSetupFolderFailsAndKeepsTheMedia)
{
    static const struct { const char *Name; Spelling Typed; bool Recorded; } cases[] = {
        { "no earlier installation", AsIs, false },
        { "earlier installation in the setup folder", AsIs, true },
        { "short name typed, earlier installation there", ShortName, true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        std::string media = StageSetupFolder("install-into-media");
        std::string typed = Spell(media, c.Typed);
        if (c.Recorded)
            RecordPreviousInstall(WithTerminator(typed));

        Run = StartSetup(media);
        ASSERT_TRUE(ClickThroughPages(Run, typed, IDC_SHORTCUT_NONE));
        MessageBoxSeen box = WaitForMessageBox(Run);
        ASSERT_NE(box.Window, (HWND)NULL);
        EXPECT_EQ(box.Text, ExpectedReport(IDS_COPY_FAILED));
        EXPECT_EQ(box.Owner, BackdropOf(Run));
        Answer(box, IDOK);
        EXPECT_EQ(WaitForExit(Run), 1);

        ExpectShippedFiles(media, { "Setup.exe" });
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallEntryKey));
    }
}
