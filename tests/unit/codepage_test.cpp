// Folder names under a double-byte ANSI code page (932, Japanese): the
// second byte of a character may be 0x5C, the backslash, and must never be
// taken for one. These tests run only under code page 932: ctest runs them
// with a Japanese locale in the environment, which Wine turns into the
// process's ANSI code page.
#include <gtest/gtest.h>
#include <shlobj.h>
#include "install/install.h"
#include "support/fault.h"
#include "support/gui.h"
#include "support/installation.h"
#include "support/setupstate.h"
#include "support/child_process.h"
#include "support/sandbox.h"
#include "support/handles.h"
#include "support/driving.h"

// Characters whose second byte is 0x5C, and one whose second byte is not.
#define HYO "\x95\x5C"    // U+8868
#define SO "\x83\x5C"     // U+30BD
#define JU "\x8F\x5C"     // U+5341
#define SHI "\x8E\xA6"    // U+793A

static bool WideDirExists(const std::wstring &path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class CodePage932 : public StepTest {
protected:
    void SetUp() override
    {
        StepTest::SetUp();
        ASSERT_EQ(GetACP(), 932u) << "run with LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 (the cp932 ctest entries)";
        ASSERT_EQ(WideText(HYO), std::wstring(L"\u8868"));
    }
};

// The text helpers step over a trail byte 0x5C: it is neither the last
// backslash, nor a trailing one, nor part of the blanks around a text.
TEST_F(CodePage932, TextHelpersTakeNoTrailByteForABackslash)
{
    static const struct { const char *Text; int Last; const char *Dropped; } backslashes[] = {
        { "C:\\a" HYO, 2, "C:\\a" HYO },
        { "C:\\" HYO "\\", 5, "C:\\" HYO },
        { "C:\\" HYO "\\\\", 6, "C:\\" HYO "\\" },
        { "C:\\" SO JU "\\x" HYO, 7, "C:\\" SO JU "\\x" HYO },
        { HYO, -1, HYO },
        { "\\", 0, "" },
        { "", -1, "" },
    };
    for (const auto &c : backslashes) {
        SCOPED_TRACE(c.Text);
        char text[64];
        lstrcpyA(text, c.Text);
        char *last = LastBackslash(text);
        EXPECT_EQ(last ? last - text : -1, c.Last);
        DropTrailingBackslash(text);
        EXPECT_STREQ(text, c.Dropped);
    }

    static const struct { const char *Text, *Trimmed; } blanks[] = {
        { "  C:\\" HYO "  ", "C:\\" HYO },
        { "\t" SO " " JU "\t", SO " " JU },
        { HYO, HYO },
        { " \t ", "" },
    };
    for (const auto &c : blanks) {
        char text[64];
        lstrcpyA(text, c.Text);
        TrimBlanks(text);
        EXPECT_STREQ(text, c.Trimmed) << c.Text;
    }
}

// A path's folder is cut at its last real backslash, never inside a character.
TEST_F(CodePage932, FolderOfCutsAtNoTrailByte)
{
    static const struct { const char *Path, *Alone, *WithBackslash; } cases[] = {
        { "C:\\" HYO "\\Setup.exe", "C:\\" HYO, "C:\\" HYO "\\" },
        { "C:\\" SO JU, "C:\\", "C:\\" },
        { "C:\\a\\" SHI HYO, "C:\\a", "C:\\a\\" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Path);
        char to[64];
        FolderOf(to, c.Path, FOLDER_ALONE);
        EXPECT_STREQ(to, c.Alone);
        FolderOf(to, c.Path, FOLDER_AND_BACKSLASH);
        EXPECT_STREQ(to, c.WithBackslash);
    }
    char to[8];
    EXPECT_EQ(FolderOf(to, HYO, FOLDER_ALONE), nullptr);
}

struct TypedCase {
    const char *Typed;
    int Message;              // 0: accepted
    const char *PathAfter;
    const wchar_t *Created;   // the folder made, by its wide name below the scratch folder, or NULL
    const char *Parent;       // where it is made: the one entry added there
};

// Folder names ending in such a character, holding one, and under a parent
// ending in one: the trailing-backslash removal, the separator test, the
// parent check and the folder's creation all see the name as typed.
TEST_F(CodePage932, TypedFoldersWithTrailBytesAreValidatedAndCreated)
{
    ASSERT_TRUE(CreateDirectoryA((Scratch + "\\Apps" HYO).c_str(), NULL));
    static const TypedCase cases[] = {
        { "~\\" HYO, 0, "~\\" HYO, L"\\\u8868", "~" },
        { "~\\Tool" SO "\\", 0, "~\\Tool" SO, L"\\Tool\u30BD", "~" },
        { "  ~\\a" HYO "b  ", 0, "~\\a" HYO "b", L"\\a\u8868b", "~" },
        { "~\\Apps" HYO "\\" JU SHI, 0, "~\\Apps" HYO "\\" JU SHI, L"\\Apps\u8868\\\u5341\u793A", "~\\Apps" HYO },
        { "~\\Apps" HYO, 0, "~\\Apps" HYO, NULL, "~" },
        { "~\\Apps" HYO "\\", 0, "~\\Apps" HYO, NULL, "~" },
        { "~\\Missing" HYO "\\Tool", IDS_NO_PARENT_DIR, "~\\Missing" HYO "\\Tool", NULL, "~" },
        { "~\\Apps" HYO "\\\\Tool", IDS_DOUBLE_BACKSLASH, "~\\Apps" HYO "\\\\Tool", NULL, "~\\Apps" HYO },
    };
    for (const TypedCase &c : cases) {
        SCOPED_TRACE(Expand(c.Typed, Scratch));
        std::string parent = Expand(c.Parent, Scratch);
        size_t before = FilesIn(parent).size();
        lstrcpyA(SetupState.InstallPath, Expand(c.Typed, Scratch).c_str());
        TrimBlanks(SetupState.InstallPath);
        EXPECT_EQ(PrepareInstallDir(), (UINT)c.Message);
        EXPECT_EQ(std::string(SetupState.InstallPath), Expand(c.PathAfter, Scratch));
        if (!c.Message) {
            EXPECT_TRUE(DirExists(SetupState.InstallPath));
        }
        if (c.Created) {
            EXPECT_TRUE(WideDirExists(WideText(Scratch) + c.Created));
        }
        EXPECT_EQ(FilesIn(parent).size(), before + (c.Created ? 1 : 0)) << "one folder made at most, the one typed";
    }
}

// The setup folder is what comes before the last backslash of the module
// path, even when a trail byte 0x5C follows it in the program's own name.
TEST_F(CodePage932, SetupFolderIsFoundFromAModulePathWithTrailBytes)
{
    std::string media = StageMedia(Scratch + "\\Media" HYO);
    std::string target = Scratch + "\\" HYO;
    CreateDirectoryA(target.c_str(), NULL);
    lstrcpyA(SetupState.InstallPath, target.c_str());
    {
        ModulePathSwap program(media + "\\" HYO SHI SO "\x83\x74\x83\x67.exe");   // a setup program renamed
        char folder[SETUP_FOLDER_ROOM];
        ASSERT_EQ(FindSetupFolder(folder), 0u);
        EXPECT_EQ(std::string(folder), media + "\\");
        ASSERT_EQ(CopyProductFiles(folder), 0u);
    }
    for (const char *file : ShippedFiles)
        EXPECT_EQ(ReadBytes(target + "\\" + file), ReadBytes(media + "\\" + file)) << file;
}

// GetShortPathNameA as Windows answers it on a volume that keeps no short
// names: the path as given. Wine makes up an ASCII short name for every
// Japanese name, which would hide the names being compared.
static DWORD WINAPI NoShortNames(LPCSTR path, LPSTR to, DWORD room)
{
    DWORD length = lstrlenA(path);
    if (length < room)
        lstrcpyA(to, path);
    return length < room ? length : length + 1;
}

// The earlier installation's folder compared with the new one, and with the
// folder the setup runs from, when both end in a character with a trail
// byte 0x5C.
TEST_F(CodePage932, EarlierInstallationInFoldersWithTrailBytes)
{
    std::string media = StageMedia(Scratch + "\\Media" HYO);
    std::string same = Scratch + "\\" HYO, other = Scratch + "\\Old" SO, fresh = Scratch + "\\New" JU;
    for (const std::string &folder : { same, other, fresh })
        CreateDirectoryA(folder.c_str(), NULL);
    HWND owner = GetDesktopWindow();
    ModulePathSwap setupFolder(std::string(media) + "\\Setup.exe");
    ImportSwap longNames("kernel32.dll", "GetShortPathNameA", (void *)NoShortNames);

    // The same folder: its product files go, the rest stays, nothing is
    // asked. Another folder: its settings move, and the emptied folder goes.
    const struct {
        const char *Name;
        const std::string &Old, &Install;
        const char *Settings;
        bool Asked, OldFolderKept;
    } cases[] = {
        { "the same folder", same, same, "Kept.tsl", false, true },
        { "another folder", other, fresh, "Moved.tsl", true, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        PutOldProductFiles(c.Old);
        WriteBytes(c.Old + "\\" + c.Settings, "settings");
        RecordPreviousInstall(WithTerminator(c.Old));
        lstrcpyA(SetupState.InstallPath, c.Install.c_str());
        BoxCapture boxes(IDYES);
        RemovePreviousInstall(owner);
        ASSERT_EQ(boxes.Boxes.size(), c.Asked ? 1u : 0u);
        if (c.Asked) {
            EXPECT_EQ(boxes.Boxes[0].Type, (UINT)(MB_YESNO | MB_ICONQUESTION));
        }
        EXPECT_EQ(DirExists(c.Old), c.OldFolderKept);
        EXPECT_EQ(FilesIn(c.Install), std::vector<std::string>{ c.Settings });
        EXPECT_EQ(ReadBytes(c.Install + "\\" + c.Settings), "settings");
    }

    // The setup folder itself, as written and with a trailing backslash: its
    // files are the setup's own and stay, so the folder cannot go.
    for (const std::string &written : { media, media + "\\" }) {
        SCOPED_TRACE(written);
        RecordPreviousInstall(WithTerminator(written));
        BoxCapture boxes(IDYES);
        RemovePreviousInstall(owner);
        ASSERT_EQ(boxes.Boxes.size(), 1u);
        EXPECT_EQ(boxes.Boxes[0].Text, RemoveFolderFailed);
        ExpectShippedFiles(media);
    }
}

// The registry values and the shortcut name the folder as it was typed:
// read back through the ANSI calls, and by its wide name in the registry.
TEST_F(CodePage932, RegistryValuesAndShortcutNameTheFolderAsTyped)
{
    std::string folder = Scratch + "\\" HYO;
    CreateDirectoryA(folder.c_str(), NULL);
    for (const char *file : { "Tessel.exe", "Uninstal.exe" })
        CopyFileA((std::string(SETUP_MEDIA_DIR) + "\\" + file).c_str(), (folder + "\\" + file).c_str(), FALSE);
    PrepareInstallState(folder, VER_PLATFORM_WIN32_NT, 5, SHORTCUT_CURRENT_USER);

    ASSERT_EQ(WriteRegistryEntries(), 0u);
    ASSERT_EQ(CreateStartMenuShortcut(NULL), 0u);
    ExpectInstalledRegistry(folder);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideText(AppPathsEntryKey).c_str(), 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    WCHAR path[MAX_PATH] = L"";
    DWORD size = sizeof path;
    RegQueryValueExW(key, L"Path", NULL, NULL, (BYTE *)path, &size);
    RegCloseKey(key);
    EXPECT_EQ(std::wstring(path), WideText(Scratch) + L"\\\u8868");

    ShortcutInfo link = ReadShortcut(CSIDL_STARTMENU);
    ASSERT_TRUE(link.Found);
    EXPECT_EQ(link.Target, folder + "\\Tessel.exe");
    EXPECT_EQ(link.WorkingDir, folder + "\\");
}
