// The install folder: typed folders trimmed, validated and created against
// Wine's real file system, and the default folder proposed from the registry.
#include <gtest/gtest.h>
#include "install/install.h"
#include "support/fault.h"
#include "support/generated.h"
#include "support/messages.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

class FolderTest : public ::testing::Test {
protected:
    std::string Scratch, StartDir;

    void SetUp() override
    {
        ResetSetupState();
        Scratch = ScratchOnC("folder-tests");
        CreateDirectoryA((Scratch + "\\Apps").c_str(), NULL);
        CreateDirectoryA((Scratch + "\\Start").c_str(), NULL);
        WriteBytes(Scratch + "\\File", "in the way");
        // Validation runs from wherever the process happens to be.
        SetCurrentDirectoryA((Scratch + "\\Start").c_str());
        StartDir = CurrentDir();
    }
    void TearDown() override
    {
        RemoveScratchOnC(Scratch);
    }

    // What the install-folder page does on Next: trim, then validate. The
    // step shows nothing itself: the page reports what it returns.
    UINT Typed(const std::string &text)
    {
        lstrcpynA(SetupState.InstallPath, text.c_str(), INSTALL_DIR_CHARS);
        TrimBlanks(SetupState.InstallPath);
        BoxCapture boxes;
        UINT refusal = PrepareInstallDir();
        EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Boxes[0].Text;
        return refusal;
    }
};

struct FolderCase {
    const char *Typed;
    int Message;             // 0: taken
    const char *PathAfter;   // InstallPath afterwards
    const char *CurrentAfter;   // NULL: the current folder is not changed
    const char *Exists;      // a folder there afterwards, or NULL
    const char *Absent;      // nothing of that name afterwards, or NULL
};

static const FolderCase FolderCases[] = {
    // Blanks around are trimmed; a new folder one level deep is created and its parent left current.
    { "  \t~\\Apps\\Tool \t ", 0, "~\\Apps\\Tool", "~\\Apps", "~\\Apps\\Tool", NULL },
    { "~\\Apps\\Tool\\", 0, "~\\Apps\\Tool", "~\\Apps", "~\\Apps\\Tool", "~\\Apps\\Tool\\Tool" },
    // Of two trailing backslashes one goes; the folder is taken with the other.
    { "~\\Apps\\\\", 0, "~\\Apps\\", "~\\Apps", "~\\Apps", NULL },
    // An existing folder is entered.
    { "~\\Apps", 0, "~\\Apps", "~\\Apps", "~\\Apps", NULL },
    { "\t~\\Apps ", 0, "~\\Apps", "~\\Apps", "~\\Apps", NULL },
    // A drive root is taken as it is, without touching the disk.
    { "C:\\", 0, "C:\\", NULL, NULL, NULL },
    { "  C:\\  ", 0, "C:\\", NULL, NULL, NULL },
    // A root with one backslash too many is entered like a folder.
    { "C:\\\\", 0, "C:\\", "C:\\", NULL, NULL },
    // No letter, colon and backslash at the start.
    { "1:\\Tool", IDS_BAD_DRIVE, "1:\\Tool", NULL, NULL, NULL },
    { "C:Tool", IDS_BAD_DRIVE, "C:Tool", NULL, NULL, NULL },
    { "\\\\server\\share", IDS_BAD_DRIVE, "\\\\server\\share", NULL, NULL, NULL },
    { "C:/Tool", IDS_BAD_DRIVE, "C:/Tool", NULL, NULL, NULL },
    { " \t ", IDS_BAD_DRIVE, "", NULL, NULL, NULL },
    { "", IDS_BAD_DRIVE, "", NULL, NULL, NULL },
    // Two backslashes before the last component.
    { "C:\\\\Data", IDS_DOUBLE_BACKSLASH, "C:\\\\Data", NULL, NULL, "C:\\Data" },
    { "~\\Data\\\\Tools", IDS_DOUBLE_BACKSLASH, "~\\Data\\\\Tools", NULL, NULL, "~\\Data" },
    { "~\\Apps\\\\Tools\\", IDS_DOUBLE_BACKSLASH, "~\\Apps\\\\Tools", NULL, NULL, "~\\Apps\\Tools" },
    // Two backslashes earlier on are not looked at: the file calls take them.
    { "C:\\\\bc-folder-tests\\Apps\\Deep", 0, "C:\\\\bc-folder-tests\\Apps\\Deep", "~\\Apps", "~\\Apps\\Deep", NULL },
    // A name the platform reads from the drive's root ("/" is a separator
    // to it too) is made where the path names it, not in the root.
    { "~\\Apps\\/Slash", 0, "~\\Apps\\/Slash", "~\\Apps", "~\\Apps\\Slash", "C:\\Slash" },
    // The parent must exist; nothing is created then.
    { "~\\Missing\\Tool", IDS_NO_PARENT_DIR, "~\\Missing\\Tool", NULL, NULL, "~\\Missing" },
    { "~\\Apps\\Missing\\Tool\\", IDS_NO_PARENT_DIR, "~\\Apps\\Missing\\Tool", NULL, NULL, "~\\Apps\\Missing" },
    { "Q:\\Tool", IDS_NO_PARENT_DIR, "Q:\\Tool", NULL, NULL, NULL },
    // A file of that name is in the way; its parent has been entered.
    { "~\\File", IDS_NO_ACCESS_DIR, "~\\File", "~", NULL, NULL },
    { "~\\File\\", IDS_NO_ACCESS_DIR, "~\\File", "~", NULL, NULL },
    // A file in the way of the parent.
    { "~\\File\\Tool", IDS_NO_PARENT_DIR, "~\\File\\Tool", NULL, NULL, NULL },
};

TEST_F(FolderTest, TypedFoldersAreTrimmedValidatedAndCreatedOneLevelDeep)
{
    for (const FolderCase &c : FolderCases) {
        SCOPED_TRACE(std::string("typed \"") + c.Typed + "\"");
        SetCurrentDirectoryA(StartDir.c_str());

        EXPECT_EQ(Typed(Expand(c.Typed, Scratch)), (UINT)c.Message);
        EXPECT_EQ(std::string(SetupState.InstallPath), Expand(c.PathAfter, Scratch));
        EXPECT_EQ(CurrentDir(), c.CurrentAfter ? Expand(c.CurrentAfter, Scratch) : StartDir);
        if (c.Exists) {
            EXPECT_TRUE(DirExists(Expand(c.Exists, Scratch)));
        }
        if (c.Absent) {
            EXPECT_EQ(GetFileAttributesA(Expand(c.Absent, Scratch).c_str()), INVALID_FILE_ATTRIBUTES);
        }
        EXPECT_EQ(ReadBytes(Scratch + "\\File"), "in the way");
        RemoveDirectoryA((Scratch + "\\Apps\\Tool").c_str());
        RemoveDirectoryA((Scratch + "\\Apps\\Deep").c_str());
        RemoveDirectoryA((Scratch + "\\Apps\\Slash").c_str());
        RemoveDirectoryA("C:\\Slash");
    }
}

static BOOL WINAPI RefuseCreation(LPCSTR, LPSECURITY_ATTRIBUTES)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

// A missing folder that cannot be made (a parent that refuses it, a full
// disk) is refused with its own message.
TEST_F(FolderTest, AFolderThatCannotBeCreatedIsRefused)
{
    SetCurrentDirectoryA(StartDir.c_str());
    {
        ImportSwap refuse("kernel32.dll", "CreateDirectoryA", (void *)RefuseCreation);
        EXPECT_EQ(Typed(Scratch + "\\Apps\\Tool"), (UINT)IDS_NO_CREATE_DIR);
    }
    EXPECT_FALSE(DirExists(Scratch + "\\Apps\\Tool"));
}

// The validation tells a missing folder from one it cannot enter by the
// error of entering it: only ERROR_FILE_NOT_FOUND means "create it".
TEST_F(FolderTest, EnteringAMissingFolderOrAFileGivesTheErrorsTheValidationTellsApart)
{
    SetLastError(0);
    EXPECT_FALSE(SetCurrentDirectoryA((Scratch + "\\Missing").c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
    SetLastError(0);
    EXPECT_FALSE(SetCurrentDirectoryA((Scratch + "\\File").c_str()));
    DWORD fileError = GetLastError();
    EXPECT_NE(fileError, (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(fileError, (DWORD)ERROR_DIRECTORY);
}

// A folder typed right up to the field's limit: the file calls refuse a path
// past MAX_PATH, and the user gets a validation message, not a crash.
TEST_F(FolderTest, FoldersPastMaxPathGetAValidationMessage)
{
    StateGuard guard;   // nothing written past the install folder
    guard.Allow(SetupState.InstallPath, sizeof SetupState.InstallPath);
    std::string longParent = Scratch + "\\Apps\\" + std::string(250, 'p');
    ASSERT_TRUE(CreateDeepFolder(longParent));
    struct { std::string Typed; int Message; } cases[] = {
        // An existing parent that is too long to enter.
        { longParent + "\\" + std::string(519 - longParent.size() - 1, 'n'), IDS_NO_PARENT_DIR },
        // A short parent and a name too long to enter.
        { Scratch + "\\Apps\\" + std::string(519 - Scratch.size() - 6, 'n'), IDS_NO_ACCESS_DIR },
    };
    for (const auto &c : cases) {
        ASSERT_EQ(c.Typed.size(), 519u);
        EXPECT_EQ(Typed(c.Typed), (UINT)c.Message);
        EXPECT_EQ(std::string(SetupState.InstallPath), c.Typed);
    }
    EXPECT_EQ(guard.Damage(), "");
    EXPECT_FALSE(DirExists(Scratch + "\\Apps\\" + std::string(519 - Scratch.size() - 6, 'n')));
}

TEST(HasDrivePrefix, TakesAnAsciiLetterColonAndBackslashOnly)
{
    static const struct { const char *Text; int Expected; } cases[] = {
        { "C:\\", 1 }, { "c:\\", 1 }, { "A:\\x", 1 }, { "a:\\x", 1 }, { "Z:\\", 1 }, { "z:\\Tool", 1 },
        { "@:\\", 0 }, { "[:\\", 0 }, { "`:\\", 0 }, { "{:\\", 0 }, { "1:\\", 0 }, { ":\\", 0 },
        { "\xC3:\\", 0 }, { "\xE1:\\", 0 }, { "C:/", 0 }, { "C;\\", 0 }, { "C:", 0 }, { "C", 0 }, { "", 0 },
        { "\\\\server", 0 }, { " C:\\", 0 },
    };
    for (const auto &c : cases)
        EXPECT_EQ(HasDrivePrefix(c.Text), c.Expected) << "\"" << c.Text << "\"";
}

TEST(TrimBlanks, RemovesSpacesAndTabsAroundOnly)
{
    static const struct { const char *Text; const char *Expected; } cases[] = {
        { "  C:\\Apps\\Tool  ", "C:\\Apps\\Tool" }, { "\t C:\\A B\t\\x \t", "C:\\A B\t\\x" },
        { "C:\\x", "C:\\x" }, { " \t \t", "" }, { "", "" }, { "\r\nC:\\x\n", "\r\nC:\\x\n" }, { " x", "x" },
    };
    for (const auto &c : cases) {
        char text[64];
        memset(text, '#', sizeof text);
        lstrcpyA(text, c.Text);
        TrimBlanks(text);
        EXPECT_STREQ(text, c.Expected) << "\"" << c.Text << "\"";
    }
}

// The program-files folder of the machine is shared by everything in the
// prefix: it is put back exactly as it was, type and bytes.
class DefaultFolderTest : public ::testing::Test {
protected:
    HKEY Key = NULL;
    bool HadValue = false;
    DWORD Type = 0;
    std::string Saved;

    void SetUp() override
    {
        ResetSetupState();
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                                KEY_QUERY_VALUE | KEY_SET_VALUE, &Key), ERROR_SUCCESS);
        BYTE data[2048];
        DWORD size = sizeof data;
        HadValue = RegQueryValueExW(Key, L"ProgramFilesDir", NULL, &Type, data, &size) == ERROR_SUCCESS;
        Saved.assign((char *)data, HadValue ? size : 0);
    }
    void TearDown() override
    {
        if (HadValue)
            RegSetValueExW(Key, L"ProgramFilesDir", 0, Type, (const BYTE *)Saved.data(), Saved.size());
        else
            RegDeleteValueW(Key, L"ProgramFilesDir");
        RegCloseKey(Key);
    }
    void Store(DWORD type, const std::string &bytes)
    {
        ASSERT_EQ(RegSetValueExA(Key, "ProgramFilesDir", 0, type, (const BYTE *)bytes.data(), bytes.size()),
                  ERROR_SUCCESS);
    }
    // The buffer holds something else before, as it does after a Back.
    std::string Proposed()
    {
        memset(SetupState.InstallPath, 'X', sizeof SetupState.InstallPath);
        DefaultInstallDir();
        return std::string(SetupState.InstallPath, strnlen(SetupState.InstallPath, sizeof SetupState.InstallPath));
    }
};

TEST_F(DefaultFolderTest, WithoutTheProgramFilesValueTheFallbackIsProposed)
{
    RegDeleteValueA(Key, "ProgramFilesDir");
    EXPECT_EQ(Proposed(), "C:\\Brindlecast");
}

TEST_F(DefaultFolderTest, TheProductFolderGoesBelowTheProgramFilesFolder)
{
    ASSERT_TRUE(HadValue);
    Store(REG_SZ, std::string("D:\\Apps", 8));
    EXPECT_EQ(Proposed(), "D:\\Apps\\Brindlecast");
    // The type is not looked at; a value without a terminator does not run on.
    Store(REG_BINARY, "D:\\Progs");
    EXPECT_EQ(Proposed(), "D:\\Progs\\Brindlecast");
    Store(REG_SZ, "D:\\Progs");
    EXPECT_EQ(Proposed(), "D:\\Progs\\Brindlecast");
}

// 507 characters of the value fit, leaving room for "\Brindlecast" and the
// terminator in the 520-byte folder; one more falls back. Text is read in
// wide characters, its terminator its own; other types as their bytes.
TEST_F(DefaultFolderTest, AValuePastTheRoomLeftForTheProductFolderFallsBack)
{
    StateGuard guard;   // nothing written past the install folder
    guard.Allow(SetupState.InstallPath, sizeof SetupState.InstallPath);
    std::string folder = "D:\\" + std::string(503, 'f');   // 506 characters
    Store(REG_SZ, folder + '\0');
    EXPECT_EQ(Proposed(), folder + "\\Brindlecast");
    Store(REG_SZ, folder + "g" + '\0');
    EXPECT_EQ(Proposed(), folder + "g\\Brindlecast");
    Store(REG_SZ, folder + "gh" + '\0');
    EXPECT_EQ(Proposed(), "C:\\Brindlecast");
    Store(REG_BINARY, folder + "g");
    EXPECT_EQ(Proposed(), folder + "g\\Brindlecast");
    EXPECT_EQ(strlen(SetupState.InstallPath), 519u);
    Store(REG_BINARY, folder + "gh");
    EXPECT_EQ(Proposed(), "C:\\Brindlecast");
    EXPECT_EQ(guard.Damage(), "");
}
