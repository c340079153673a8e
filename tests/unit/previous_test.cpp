// Removal of an earlier installation, called in-process: how the registry's
// "Path" value is read, the message boxes' kinds, and room for long names.
#include <gtest/gtest.h>
#include "install/install.h"
#include "support/binding_fault.h"
#include "support/fault.h"
#include "support/generated.h"
#include "support/installation.h"
#include "support/messages.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

class RemovePrevious : public StepTest {
protected:
    std::string Old, New;
    HWND Owner = GetDesktopWindow();
    std::unique_ptr<StateGuard> Guard;

    void SetUp() override
    {
        StepTest::SetUp();
        Old = Scratch + "\\Old";
        New = Scratch + "\\New";
        CreateDirectoryA(Old.c_str(), NULL);
        CreateDirectoryA(New.c_str(), NULL);
        PutOldProductFiles(Old);
        lstrcpyA(SetupState.InstallPath, New.c_str());
        Guard.reset(new StateGuard);
        Guard->Allow(SetupState.InstallPath, sizeof SetupState.InstallPath);
    }

    // Nothing written past the install path, nor anywhere else in the record.
    void ExpectStateIntact(const std::string &installPath)
    {
        EXPECT_EQ(std::string(SetupState.InstallPath), installPath);
        EXPECT_EQ(Guard->Damage(), "");
    }
};

// A folder whose full path has exactly the given length, empty.
static std::string FolderOfLength(const std::string &scratch, size_t length, char fill)
{
    std::string folder = scratch + "\\" + std::string(length - scratch.size() - 1, fill);
    CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}

// The value is taken as the text it holds, with a terminator added: a
// folder stored without one, even one of 260 characters, is that folder; a
// value longer than 260 bytes is read in wide characters and taken by its
// short form.
TEST_F(RemovePrevious, PathValueNamesTheFolderItsBytesSpell)
{
    enum Folder { OldFolder, Chars259, Chars260 };
    static const struct { const char *Name; Folder Which; bool Terminated; bool Removed; } cases[] = {
        { "another folder without terminator", OldFolder, false, true },
        { "259 characters and terminator: 260 bytes", Chars259, true, true },
        { "260 characters without terminator", Chars260, false, true },
        { "260 characters and terminator: 261 bytes, by its short form", Chars260, true, true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        std::string folder = c.Which == OldFolder ? Old
                             : FolderOfLength(Scratch, c.Which == Chars259 ? 259 : 260, 'x');
        ASSERT_TRUE(DirExists(folder));
        if (c.Which == OldFolder)
            PutOldProductFiles(Old);
        RecordPreviousInstall(c.Terminated ? WithTerminator(folder) : folder);
        SetCurrentDirectoryA(Before.c_str());

        BoxCapture boxes;
        RemovePreviousInstall(Owner);
        EXPECT_EQ(boxes.Boxes.size(), 0u);
        // An empty old folder, product files deleted, goes without a word.
        EXPECT_EQ(DirExists(folder), !c.Removed);
        EXPECT_EQ(CurrentDir(), c.Removed ? New : Before);
        ExpectStateIntact(New);
        DeleteTree(folder);
    }
}

// The install folder written another way in the registry is still the
// install folder: nothing is asked, its settings files stay, its product
// files go, and the folder itself is never removed, not even when it holds
// nothing else.
TEST_F(RemovePrevious, InstallFolderWrittenAnotherWayIsStillTheInstallFolder)
{
    char shortName[MAX_PATH] = "";
    GetShortPathNameA(New.c_str(), shortName, sizeof shortName);
    std::string upper = Upper(New);
    const struct { const char *Name; std::string Stored; } cases[] = {
        { "without terminator", New },
        { "with characters after the terminator", New + std::string("\0junk", 6) },
        { "with a trailing backslash", WithTerminator(New + "\\") },
        { "in upper case, without terminator", upper },
        { "through its parent", WithTerminator(Scratch + "\\Old\\..\\New") },
        { "by its short name", WithTerminator(shortName) },
    };
    for (const auto &c : cases) {
        for (bool settings : { false, true }) {
            SCOPED_TRACE(std::string(c.Name) + (settings ? ", with settings" : ", nothing else in it"));
            PutOldProductFiles(New);
            if (settings)
                WriteBytes(New + "\\Kept.tsl", "kept settings");
            RecordPreviousInstall(c.Stored);
            SetCurrentDirectoryA(Before.c_str());

            BoxCapture boxes(IDYES);
            RemovePreviousInstall(Owner);
            EXPECT_EQ(boxes.Boxes.size(), 0u);
            ASSERT_TRUE(DirExists(New));
            EXPECT_EQ(FilesIn(New), settings ? std::vector<std::string>{ "Kept.tsl" } : std::vector<std::string>{});
            EXPECT_EQ(CurrentDir(), Before);
            ExpectStateIntact(New);
            DeleteFileA((New + "\\Kept.tsl").c_str());
        }
    }
}

// A folder not given from a drive's root is not an installation of this
// setup: read against the current folder it could name any folder at all.
TEST_F(RemovePrevious, RelativeFolderIsNotAnEarlierInstallation)
{
    std::string scratchName = Scratch.substr(Scratch.rfind('\\') + 1);
    // Each names the old folder, or with "C:" its parent, from the scratch folder.
    const std::string stored[] = {
        "C:", "Old", "C:Old", ".\\Old", "..\\" + scratchName + "\\Old", Scratch.substr(2) + "\\Old",
    };
    for (const std::string &folder : stored) {
        SCOPED_TRACE(folder);
        WriteBytes(Old + "\\Mine.tsl", "settings");
        RecordPreviousInstall(WithTerminator(folder));
        ASSERT_TRUE(SetCurrentDirectoryA(Scratch.c_str()));
        std::vector<std::string> before = FilesIn(Old);

        BoxCapture boxes(IDYES);
        RemovePreviousInstall(Owner);
        EXPECT_EQ(boxes.Boxes.size(), 0u);
        EXPECT_EQ(FilesIn(Old), before);
        ASSERT_TRUE(DirExists(New));
        EXPECT_EQ(FilesIn(New), std::vector<std::string>{});
        EXPECT_EQ(CurrentDir(), Scratch);
        ExpectStateIntact(New);
    }
}

TEST_F(RemovePrevious, BoxesAreOwnedCaptionedAndOfTheirKind)
{
    WriteBytes(Old + "\\Clash.tsl", "old");
    WriteBytes(New + "\\Clash.tsl", "new");
    RecordPreviousInstall(WithTerminator(Old));

    BoxCapture boxes(IDYES);
    RemovePreviousInstall(Owner);
    ASSERT_EQ(boxes.Boxes.size(), 3u);
    static const UINT kinds[] = { MB_YESNO | MB_ICONQUESTION, MB_ICONERROR, MB_ICONERROR };
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(boxes.Boxes[i].Owner, Owner) << i;
        EXPECT_FALSE(boxes.Boxes[i].NullCaption) << i;
        EXPECT_EQ(boxes.Boxes[i].Caption, SetupTitleText) << i;
        EXPECT_EQ(boxes.Boxes[i].Type, kinds[i]) << i;
    }
    EXPECT_EQ(ReadBytes(New + "\\Clash.tsl"), "new");
    EXPECT_EQ(FilesIn(Old), std::vector<std::string>{ "Clash.tsl" });
    ExpectStateIntact(New);
}

// The longest folder the page lets through, and a settings file name as long
// as a name may be: the destination path still fits the install path, and
// nothing after it in the state is touched. Paths this long exceed what the
// platform's ANSI calls take for a current folder, so only the move is
// looked at, not the old folder's removal.
TEST_F(RemovePrevious, LongSettingsFileNameMovesIntoTheLongestFolder)
{
    std::string folder = New;
    while (folder.size() < INSTALL_DIR_CHARS - 1) {
        size_t part = std::min<size_t>(200, INSTALL_DIR_CHARS - 1 - folder.size() - 1);
        folder += "\\" + std::string(part, 'd');
        ASSERT_TRUE(CreateDeepFolder(folder));
    }
    ASSERT_EQ(folder.size(), (size_t)INSTALL_DIR_CHARS - 1);
    std::string name = std::string(MAX_PATH - 5 - 4, 's') + ".tsl";
    WriteDeepBytes(Old + "\\" + name, "long named settings");
    RecordPreviousInstall(WithTerminator(Old));
    lstrcpyA(SetupState.InstallPath, folder.c_str());

    BoxCapture boxes(IDYES);
    RemovePreviousInstall(Owner);
    ASSERT_GE(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Type, (UINT)(MB_YESNO | MB_ICONQUESTION));
    for (const RecordedBox &box : boxes.Boxes)
        EXPECT_EQ(box.Text.find("could not move"), std::string::npos);
    EXPECT_EQ(ReadDeepBytes(folder + "\\" + name), "long named settings");
    ExpectStateIntact(folder);
}

// A setup program in a drive root runs from "C:\", not from "C:": the bare
// drive would name the drive's current folder, which at that moment is the
// old installation's, and its product files would be wrongly kept.
TEST_F(RemovePrevious, SetupInDriveRootIsNotTakenForTheOldFolder)
{
    RecordPreviousInstall(WithTerminator(Old));
    ModulePathSwap setupInRoot("C:\\Setup.exe");

    BoxCapture boxes;
    RemovePreviousInstall(Owner);
    EXPECT_EQ(boxes.Boxes.size(), 0u);
    EXPECT_FALSE(DirExists(Old)) << "the old product files should be gone and the folder with them";
}

// Settings files named with characters that the ANSI code page lacks. Their
// ANSI forms are look-alikes, path characters among them, or question
// marks; each file must move into the new folder under its own name, and
// nothing outside the old folder may be touched. The Windows 95 family has
// only failing stand-ins of the wide file calls and keeps to ANSI names.
static HANDLE WINAPI WideSearchOfWindows95(LPCWSTR, LPWIN32_FIND_DATAW)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return INVALID_HANDLE_VALUE;
}

TEST_F(RemovePrevious, SettingsFilesMoveUnderTheirOwnNames)
{
    static const struct {
        const char *Name;
        const wchar_t *File;
        const char *AnsiForm;   // the name as an ANSI search would hand it back
        DWORD Platform;
    } cases[] = {
        { "full-width backslashes", L"..\uFF3C..\uFF3CVictim.tsl", "..\\..\\Victim.tsl", VER_PLATFORM_WIN32_NT },
        { "division slashes", L"..\u2215..\u2215Victim.tsl", "../../Victim.tsl", VER_PLATFORM_WIN32_NT },
        { "Cyrillic", L"\u0416urnal.tsl", "?urnal.tsl", VER_PLATFORM_WIN32_NT },
        { "ordinary", L"Ordinary.tsl", "Ordinary.tsl", VER_PLATFORM_WIN32_NT },
        { "ordinary, Windows 95", L"Ordinary.tsl", "Ordinary.tsl", VER_PLATFORM_WIN32_WINDOWS },
    };
    Guard->Allow(&SetupState.PlatformId, sizeof SetupState.PlatformId);
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        // Each case means something only where the code page converts its name so.
        ASSERT_EQ(AnsiText(c.File), c.AnsiForm);
        std::string top = Scratch + "\\Case" + std::to_string(++n);
        std::unique_ptr<ProcedureSwap> stubs;
        if (c.Platform != VER_PLATFORM_WIN32_NT)
            stubs.reset(new ProcedureSwap("FindFirstFileW", (void *)WideSearchOfWindows95));

        SettingsRemoval removal = RemoveWithSettingsFile(top, c.File, c.Platform);
        EXPECT_EQ(removal.Boxes, std::vector<std::string>{ MoveSettingsQuestion });
        EXPECT_EQ(removal.After, SettingsFileMovedByName(c.File));
        ExpectStateIntact(top + "\\Apps\\Tarn\\New");
        SetCurrentDirectoryA(Before.c_str());
        DeleteTree(top);
    }
}
