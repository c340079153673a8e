// The uninstaller on Windows NT with folders whose names the ANSI code page
// (1252 here) lacks: an installation whose registry values and shortcut hold
// the folder's true name, a temporary folder and a Start Menu with Cyrillic
// names, and a look-alike of this folder's name recorded for another one.
#include "support/uninstall_run.h"
#include "support/installation.h"
#include "support/sandbox.h"
#include "setup/state.h"
#include <shlobj.h>
#include <algorithm>

// "Программы", "Временные", "Главное меню".
static const wchar_t Programs[] = L"\u041F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u044B";
static const wchar_t Temporary[] = L"\u0412\u0440\u0435\u043C\u0435\u043D\u043D\u044B\u0435";
static const wchar_t MainMenu[] = L"\u0413\u043B\u0430\u0432\u043D\u043E\u0435 \u043C\u0435\u043D\u044E";

static bool WideExists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static std::string ShortForm(const std::wstring &path)
{
    WCHAR shortPath[MAX_PATH] = L"";
    GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    return AnsiText(shortPath);
}

class UninstallWideFolders : public UninstallGuiTest {
protected:
    void SetUp() override
    {
        UninstallGuiTest::SetUp();
        ASSERT_EQ(GetACP(), 1252u);
    }
};

// Installed into ...\Программы\Brindlecast (by its short form, then recorded
// by its true name as the setup records it) and removed by the uninstaller
// started by its true path: files, folder, registry and shortcut all go, and
// the temporary copy is left to the restart. Wine keeps a shortcut's target
// in ANSI characters only, so the shortcut keeps the short form here; its
// true target is read in-process (UninstallSteps.ShortcutTargetsAreReadByTheirTrueNames).
TEST_F(UninstallWideFolders, InstallationInAFolderTheCodePageLacksGoesWhole)
{
    std::wstring parent = WideText(Scratch) + L"\\" + Programs, folder = parent + L"\\Brindlecast";
    ASSERT_TRUE(CreateDirectoryW(parent.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), NULL));
    Folder = ShortForm(folder);
    ASSERT_EQ(Folder.find('?'), std::string::npos) << Folder;
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_CURRENT_USER));
    ASSERT_TRUE(RecordTrueFolder(Folder, folder));
    ASSERT_EQ(ReadWideRegString(HKEY_LOCAL_MACHINE, AppPathsEntryKey, "Path"), folder);

    Run = StartProgram(L"\"" + folder + L"\\Uninstal.exe\" /S");
    EXPECT_EQ(Finish(Run), 0);
    EXPECT_FALSE(WideExists(folder)) << "the install folder";
    EXPECT_TRUE(WideExists(parent));
    ExpectNoRegistry();
    EXPECT_FALSE(ReadShortcut(CSIDL_STARTMENU).Found);
    ExpectCopyScheduled();
}

// The uninstaller's temporary folder (TEMP and TMP of its process) under a
// Cyrillic name: the removal completes through the copy made there, which
// leaves nothing in that folder but itself in its own folder, both listed
// for removal at the restart.
TEST_F(UninstallWideFolders, TemporaryFolderTheCodePageLacksTakesTheCopy)
{
    std::wstring temp = WideText(Scratch) + L"\\" + Temporary;
    ASSERT_TRUE(CreateDirectoryW(temp.c_str(), NULL));
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
    WCHAR savedTemp[MAX_PATH] = L"", savedTmp[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"TEMP", savedTemp, MAX_PATH);
    GetEnvironmentVariableW(L"TMP", savedTmp, MAX_PATH);
    SetEnvironmentVariableW(L"TEMP", temp.c_str());
    SetEnvironmentVariableW(L"TMP", temp.c_str());
    Run = StartUninstall(Folder, "/S");
    SetEnvironmentVariableW(L"TEMP", savedTemp);
    SetEnvironmentVariableW(L"TMP", savedTmp);
    ASSERT_TRUE(Run.Started);

    EXPECT_EQ(Finish(Run), 0);
    ExpectProductGone();
    std::map<std::wstring, std::string> left = WideTree(temp);
    ASSERT_EQ(left.size(), 2u) << "a folder of the copy's own, holding only the copy";
    std::wstring copyFolder = temp + left.begin()->first;
    EXPECT_EQ(left.begin()->second, "folder");
    EXPECT_EQ(std::next(left.begin())->first, left.begin()->first + L"\\Uninstal.tmp");
    // Listed by the short form the uninstaller works with: compared as such.
    std::vector<std::string> added;
    for (const std::string &path : PendingDeletions())
        if (std::find(PendingBefore.begin(), PendingBefore.end(), path) == PendingBefore.end())
            added.push_back(ShortForm(WideText(path)));
    EXPECT_EQ(added, (std::vector<std::string>{ ShortForm(copyFolder + L"\\Uninstal.tmp"), ShortForm(copyFolder) }));
    EXPECT_EQ(TempCopies(), std::vector<std::string>()) << "nothing in the test's own temporary folder";
}

// The current user's Start Menu moved to a folder with a Cyrillic name: the
// shortcut there goes.
TEST_F(UninstallWideFolders, StartMenuTheCodePageLacksLosesTheShortcut)
{
    std::wstring menu = WideText(Scratch) + L"\\" + MainMenu, shortcut = menu + L"\\Brindlecast.lnk";
    MovedStartMenu moved(menu);
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_CURRENT_USER));
    ASSERT_TRUE(WideExists(shortcut)) << "the setup's steps put the shortcut in the moved Start Menu";

    Run = StartUninstall(Folder, "/S");
    EXPECT_EQ(Finish(Run), 0);
    EXPECT_FALSE(WideExists(shortcut));
    EXPECT_TRUE(WideExists(menu));
    EXPECT_FALSE(DirExists(Folder));
    ExpectNoRegistry();
}

// The registry names another folder by a true name that the code page
// turns into this folder's ("Ｂrindle Apps", a full-width B): with
// that folder present (it has a short form) or not (it has no ANSI form at
// all), it is not this installation, and nothing of it goes.
TEST_F(UninstallWideFolders, LookAlikeOfThisFolderRecordedForAnotherStays)
{
    std::wstring other = WideText(Scratch) + L"\\\uFF22rindle Apps";
    ASSERT_EQ(AnsiText(other), Folder) << "only where the code page turns it into this folder does the case matter";
    const bool present[] = { false, true };
    for (bool otherThere : present) {
        SCOPED_TRACE(otherThere ? "the other folder present" : "the other folder missing");
        ResetMachine();
        std::string written = Scratch + "\\Written";
        ASSERT_TRUE(InstallInProcess(written, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
        if (otherThere) {
            ASSERT_TRUE(CreateDirectoryW(other.c_str(), NULL));
            WriteWideBytes(other + L"\\Tessel.exe", "the other installation's program");
        }
        ASSERT_TRUE(RecordTrueFolder(written, other));
        StageMedia(Folder);

        Run = StartUninstall(Folder, "/S");
        EXPECT_EQ(Finish(Run), 0);
        EXPECT_FALSE(DirExists(Folder)) << "this folder's files go";
        EXPECT_EQ(ReadWideRegString(HKEY_LOCAL_MACHINE, AppPathsEntryKey, "Path"), other);
        EXPECT_EQ(ReadWideRegString(HKEY_LOCAL_MACHINE, UninstallEntryKey, "UninstallString"),
                  L"\"" + other + L"\\Uninstal.exe\"");
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, VersionKey));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string("Software\\Classes\\") + OpenCommandKey));
        RemoveTempCopies();
        DeleteTree(written);
        if (otherThere) {
            DeleteFileW((other + L"\\Tessel.exe").c_str());
            RemoveDirectoryW(other.c_str());
        }
    }
}
