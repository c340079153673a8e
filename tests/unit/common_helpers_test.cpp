// The helpers both programs share for a path's folder, a registry text and
// the functions bound at run time, held to their contracts.
#include <gtest/gtest.h>
#include <string>
#include "common/text.h"
#include "common/keys.h"
#include "common/system.h"
#include "common/widefiles.h"
#include "support/binding_fault.h"
#include "support/sandbox.h"

// Both forms, and the drive root that keeps its backslash in either.
TEST(FolderOf, CutsAtTheLastBackslashAndKeepsADriveRootWhole)
{
    static const struct { const char *Path, *Alone, *WithBackslash; } cases[] = {
        { "C:\\Setup.exe", "C:\\", "C:\\" },
        { "C:\\a\\b.exe", "C:\\a", "C:\\a\\" },
        { "C:\\a\\b\\", "C:\\a\\b", "C:\\a\\b\\" },
        { "C:\\", "C:\\", "C:\\" },
        { "\\\\server\\share\\Uninstal.exe", "\\\\server\\share", "\\\\server\\share\\" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Path);
        char to[64], inPlace[64];
        char *end = FolderOf(to, c.Path, FOLDER_ALONE);
        EXPECT_STREQ(to, c.Alone);
        EXPECT_EQ(end, to + lstrlenA(c.Alone));
        end = FolderOf(to, c.Path, FOLDER_AND_BACKSLASH);
        EXPECT_STREQ(to, c.WithBackslash);
        EXPECT_EQ(end, to + lstrlenA(c.WithBackslash));
        lstrcpyA(inPlace, c.Path);
        FolderOf(inPlace, inPlace, FOLDER_ALONE);
        EXPECT_STREQ(inPlace, c.Alone);
    }
}

TEST(FolderOf, PathWithoutBackslashHasNoFolder)
{
    for (const char *path : { "Setup.exe", "C:Setup.exe", "" }) {
        SCOPED_TRACE(path);
        char to[32];
        EXPECT_EQ(FolderOf(to, path, FOLDER_ALONE), nullptr);
        EXPECT_STREQ(to, path);
        EXPECT_EQ(FolderOf(to, path, FOLDER_AND_BACKSLASH), nullptr);
    }
}

// A value of any type and size in a buffer of 8 bytes followed by guard bytes:
// it is read only when its bytes leave room for the terminator added after them.
TEST(ReadKeyText, ReadsWhatFitsWithATerminatorAndNothingElse)
{
    static const char Key[] = "Software\\BrindlecastTest\\ReadKeyText";
    const DWORD room = 8;
    static const struct {
        const char *Name;
        DWORD Type;
        std::string Data;
        int Read;
        const char *Text;
    } cases[] = {
        { "text with its terminator", REG_SZ, std::string("abc", 4), 1, "abc" },
        { "text without terminator", REG_SZ, "abc", 1, "abc" },
        { "no terminator, filling the room but one", REG_BINARY, "abcdefg", 1, "abcdefg" },
        { "empty", REG_SZ, "", 1, "" },
        { "a number", REG_DWORD, "AAAA", 1, "AAAA" },
        { "terminator past the room but one", REG_SZ, std::string("abcdefg", 8), 0, nullptr },
        { "longer than the room", REG_EXPAND_SZ, "abcdefghijkl", 0, nullptr },
    };
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Key, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL), ERROR_SUCCESS);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        char to[room + 4];
        FillMemory(to, sizeof to, 'X');
        ASSERT_EQ(RegSetValueExA(key, "Value", 0, c.Type, (const BYTE *)c.Data.data(), (DWORD)c.Data.size()),
                  ERROR_SUCCESS);
        EXPECT_EQ(ReadKeyText(key, "Value", to, room), c.Read);
        if (c.Text) {
            EXPECT_STREQ(to, c.Text);
        }
        EXPECT_EQ(std::string(to + room, 4), "XXXX") << "written past the room";
    }
    char to[room];
    EXPECT_EQ(ReadKeyText(key, "Missing", to, room), 0);
    RegCloseKey(key);
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\BrindlecastTest");
}

// Each entry names a function its DLL exports: a misspelt name or one filed
// under the wrong DLL would read as a Windows that lacks it. A function this
// Wine lacks (the Wine of these tests has no GetTempPath2W) binds to nothing.
TEST(BoundFunction, EveryCallIsFoundInItsOwnDll)
{
    static const struct { BoundCall Call; const char *Dll, *Name; } cases[] = {
        { CALL_SET_DEFAULT_DLL_DIRECTORIES, "kernel32.dll", "SetDefaultDllDirectories" },
        { CALL_MOVE_FILE_EX, "kernel32.dll", "MoveFileExA" },
        { CALL_GET_TEMP_PATH2_W, "kernel32.dll", "GetTempPath2W" },
        { CALL_FIND_FIRST_FILE_W, "kernel32.dll", "FindFirstFileW" },
        { CALL_FIND_NEXT_FILE_W, "kernel32.dll", "FindNextFileW" },
        { CALL_MOVE_FILE_W, "kernel32.dll", "MoveFileW" },
        { CALL_GET_MODULE_FILE_NAME_W, "kernel32.dll", "GetModuleFileNameW" },
        { CALL_GET_SHORT_PATH_NAME_W, "kernel32.dll", "GetShortPathNameW" },
        { CALL_GET_LONG_PATH_NAME_W, "kernel32.dll", "GetLongPathNameW" },
        { CALL_GET_TEMP_PATH_W, "kernel32.dll", "GetTempPathW" },
        { CALL_GET_COMMAND_LINE_W, "kernel32.dll", "GetCommandLineW" },
        { CALL_CREATE_DIRECTORY_W, "kernel32.dll", "CreateDirectoryW" },
        { CALL_CREATE_FILE_W, "kernel32.dll", "CreateFileW" },
        { CALL_GET_FILE_ATTRIBUTES_W, "kernel32.dll", "GetFileAttributesW" },
        { CALL_OPEN_PROCESS_TOKEN, "advapi32.dll", "OpenProcessToken" },
        { CALL_GET_TOKEN_INFORMATION, "advapi32.dll", "GetTokenInformation" },
        { CALL_SET_SECURITY_DESCRIPTOR_CONTROL, "advapi32.dll", "SetSecurityDescriptorControl" },
        { CALL_RANDOM, "advapi32.dll", "SystemFunction036" },
        { CALL_REG_QUERY_VALUE_EX_W, "advapi32.dll", "RegQueryValueExW" },
        { CALL_REG_SET_VALUE_EX_W, "advapi32.dll", "RegSetValueExW" },
        { CALL_SPECIAL_FOLDER_LOCATION, "shell32.dll", "SHGetSpecialFolderLocation" },
        { CALL_PATH_FROM_ID_LIST, "shell32.dll", "SHGetPathFromIDListA" },
        { CALL_PATH_FROM_ID_LIST_W, "shell32.dll", "SHGetPathFromIDListW" },
        { CALL_GET_MALLOC, "shell32.dll", "SHGetMalloc" },
        { CALL_CHANGE_NOTIFY, "shell32.dll", "SHChangeNotify" },
        { CALL_RM_START_SESSION, "rstrtmgr.dll", "RmStartSession" },
        { CALL_RM_REGISTER_RESOURCES, "rstrtmgr.dll", "RmRegisterResources" },
        { CALL_RM_GET_LIST, "rstrtmgr.dll", "RmGetList" },
        { CALL_RM_END_SESSION, "rstrtmgr.dll", "RmEndSession" },
    };
    static_assert(sizeof cases / sizeof *cases == BOUND_CALLS, "every bound call");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(BoundFunction(c.Call), GetProcAddress(LoadLibraryA(c.Dll), c.Name));
    }
}

// The shell is loaded by the system folder's full path, never taken as
// already loaded: a shell that cannot be loaded from there binds nothing,
// while the program's own imports still bind.
TEST(BoundFunction, ShellThatCannotBeLoadedFromTheSystemFolderBindsNothing)
{
    LoadLibraryA("shell32.dll");
    LibraryGone gone("shell32.dll");
    EXPECT_EQ(BoundFunction(CALL_GET_MALLOC), nullptr);
    EXPECT_EQ(BoundFunction(CALL_CHANGE_NOTIFY), nullptr);
    EXPECT_NE(BoundFunction(CALL_MOVE_FILE_EX), nullptr);
}

// A path whose characters all convert both ways is taken as it is; one with
// a character the code page lacks or only imitates (the full-width
// backslash would become a real one), or one too long for the room, by its
// short form, which names the same folder; a path that does not exist has
// no short form, and then none at all.
TEST(AnsiPathOf, ExactFormElseShortFormElseNone)
{
    ASSERT_EQ(GetACP(), 1252u);
    std::wstring scratch = WideText(MakeScratchDir("AnsiPathOf"));
    static const struct { const wchar_t *Name; bool Exact; } cases[] = {
        { L"Brindlecast", true },
        { L"Caf\u00e9 \u00a5", true },
        { L"\u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0438", false },
        { L"\u65e5\u672c\u8a9e", false },
        { L"a\uff3c..\uff3cb", false },
        { L"\u2215tmp", false },
    };
    for (const auto &c : cases) {
        std::wstring path = scratch + L"\\" + c.Name;
        SCOPED_TRACE(AnsiText(path));
        char to[MAX_PATH];
        EXPECT_EQ(AnsiPathOf(to, sizeof to, path.c_str()), c.Exact) << "before the folder exists";
        ASSERT_TRUE(CreateDirectoryW(path.c_str(), NULL));
        ASSERT_EQ(AnsiPathOf(to, sizeof to, path.c_str()), 1);
        if (c.Exact)
            EXPECT_EQ(WideText(to), path);
        else
            EXPECT_EQ(WideText(to), WideText(AnsiText(WideText(to)))) << "only the code page's own characters";
        EXPECT_EQ(LongForm(WideText(to)), LongForm(path));
        DWORD attributes = GetFileAttributesA(to);
        EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));

        // Too long for the room whole, the short form that fits is taken.
        if (c.Exact) {
            char shortForm[MAX_PATH];
            EXPECT_EQ(AnsiPathOf(shortForm, lstrlenA(to), path.c_str()), 1);
            EXPECT_LT(lstrlenA(shortForm), lstrlenA(to));
            EXPECT_EQ(LongForm(WideText(shortForm)), LongForm(path));
        }
    }
    DeleteTree(AnsiText(scratch));
}
