// Finding the setup program's own folder: the path block that grows for
// long paths, the folder taken up to the last backslash, the number each
// failing call gives back, and no block left allocated or locked. The
// current folder plays no part, before or after.
#include <gtest/gtest.h>
#include "driver/driver.h"
#include "install/install.h"
#include "support/binding_fault.h"
#include "support/fault.h"
#include "support/handles.h"
#include "support/installation.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

class FindSetupFolderTest : public StepTest {
protected:
    char Folder[SETUP_FOLDER_ROOM];
    // Windows NT asks for the path in wide characters, the Windows 95 family in ANSI ones.
    static constexpr DWORD Platforms[] = { VER_PLATFORM_WIN32_NT, VER_PLATFORM_WIN32_WINDOWS };

    static void ExpectNothingLeft(const BlockWatch &watch)
    {
        EXPECT_TRUE(watch.Live.empty()) << "a path block is still allocated";
        EXPECT_FALSE(watch.BadHandle);
        EXPECT_FALSE(watch.GrewLockedBlock);
    }
};

TEST_F(FindSetupFolderTest, FindsTheFolderOfTheRunningProgram)
{
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    std::string folder(self, LastBackslash(self) + 1 - self);
    BlockWatch watch;
    EXPECT_EQ(FindSetupFolder(Folder), 0u);
    EXPECT_EQ(Lower(Folder), Lower(folder));
    EXPECT_EQ(CurrentDir(), Before);
    EXPECT_EQ(watch.AllocSizes, std::vector<SIZE_T>{ 256 });
    ExpectNothingLeft(watch);
}

TEST_F(FindSetupFolderTest, GrowsThePathBlockBy256UntilThePathFits)
{
    // The folder stays short; the program's file name makes the path long.
    static const struct {
        size_t PathLength;
        std::vector<DWORD> Sizes;
    } cases[] = {
        { 255, { 256 } },
        { 256, { 256, 512 } },
        { 257, { 256, 512 } },
        { 511, { 256, 512 } },
        { 512, { 256, 512, 768 } },
        { 900, { 256, 512, 768, 1024 } },
    };
    // Windows NT is asked in wide characters, two bytes each; the Windows 95
    // family in ANSI ones.
    static const struct { DWORD PlatformId; SIZE_T CharBytes; } platforms[] = {
        { VER_PLATFORM_WIN32_NT, sizeof(WCHAR) },
        { VER_PLATFORM_WIN32_WINDOWS, 1 },
    };
    for (const auto &platform : platforms)
        for (const auto &path : cases) {
            SCOPED_TRACE("path of " + std::to_string(path.PathLength) + " characters, platform "
                         + std::to_string(platform.PlatformId));
            SetupState.PlatformId = platform.PlatformId;
            std::string module = Scratch + "\\";
            module += std::string(path.PathLength - module.size() - 4, 'p') + ".exe";
            ASSERT_EQ(module.size(), path.PathLength);
            ModulePathSwap swap(module);
            BlockWatch watch;

            EXPECT_EQ(FindSetupFolder(Folder), 0u);

            EXPECT_EQ(std::string(Folder), Scratch + "\\");
            EXPECT_EQ(swap.Sizes, path.Sizes);
            for (HMODULE asked : swap.Modules)
                EXPECT_EQ(asked, (HMODULE)SetupState.Instance);
            std::vector<SIZE_T> bytes;
            for (DWORD size : path.Sizes)
                bytes.push_back(size * platform.CharBytes);
            EXPECT_EQ(watch.AllocSizes, std::vector<SIZE_T>{ bytes.front() });
            EXPECT_EQ(watch.ReAllocSizes, std::vector<SIZE_T>(bytes.begin() + 1, bytes.end()));
            ExpectNothingLeft(watch);
        }
}

// A drive root keeps its backslash: "C:" alone would name drive C's current
// folder. A folder too deep for the full paths of its files goes by its
// short form; without one it is no setup folder.
TEST_F(FindSetupFolderTest, TakesThePathUpToItsLastBackslashKeepingARootWhole)
{
    // 247 characters and a shipped name fill the MAX_PATH bytes the file calls take.
    const std::string longest = "C:\\" + std::string(SETUP_FOLDER_ROOM - 5, 'f') + "\\";
    ASSERT_EQ(longest.size() + strlen("Uninstal.exe"), (size_t)MAX_PATH - 1);
    const std::string deep = MakeDeepFolder(Scratch + "\\Deep", 250);
    char shortForm[MAX_PATH];
    ASSERT_NE(GetShortPathNameA(deep.c_str(), shortForm, sizeof shortForm), 0u);
    static const char Program[] = "\\Setup.exe";
    const struct {
        std::string Module, Folder;
        UINT Failure;
    } cases[] = {
        { "C:\\Setup.exe", "C:\\", 0 },
        { "C:\\windows\\Setup.exe", "C:\\windows\\", 0 },
        { "C:\\windows\\system32\\Setup.exe", "C:\\windows\\system32\\", 0 },
        { longest + (Program + 1), longest, 0 },
        { deep + Program, std::string(shortForm) + "\\", 0 },
        // One character deeper, and no such folder to have a short form.
        { "C:\\f" + longest.substr(2) + (Program + 1), "", IDS_NO_SET_FOLDER },
        { Program + 1, "", IDS_NO_SET_FOLDER },
    };
    for (DWORD platform : Platforms)
        for (const auto &c : cases) {
            SCOPED_TRACE(c.Module + ", platform " + std::to_string(platform));
            SetupState.PlatformId = platform;
            ASSERT_TRUE(SetCurrentDirectoryA("C:\\users"));
            ModulePathSwap swap(c.Module);
            BlockWatch watch;
            lstrcpyA(Folder, "untouched");

            EXPECT_EQ(FindSetupFolder(Folder), c.Failure);

            EXPECT_EQ(std::string(Folder), c.Failure ? "untouched" : c.Folder);
            EXPECT_EQ(Lower(CurrentDir()), "c:\\users");
            ExpectNothingLeft(watch);
        }
}

TEST_F(FindSetupFolderTest, EachFailingCallGivesItsNumberAndLeavesNoBlock)
{
    const std::string longPath = Scratch + "\\" + std::string(300, 'p') + ".exe";
    const struct {
        const char *Name;
        std::string Module;
        int FailAlloc, FailReAlloc, FailLock;
        UINT Failure;
    } cases[] = {
        { "no block", longPath, 1, 0, 0, IDS_NO_MEMORY },
        { "block not locked", longPath, 0, 0, 1, IDS_NO_LOCK },
        { "block grown not locked", longPath, 0, 0, 2, IDS_NO_LOCK },
        { "block not grown", longPath, 0, 1, 0, IDS_NO_MEMORY },
        { "no path", "", 0, 0, 0, IDS_NO_SETUP_PATH },
    };
    for (DWORD platform : Platforms)
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(c.Name) + ", platform " + std::to_string(platform));
            SetupState.PlatformId = platform;
            ModulePathSwap swap(c.Module);
            BlockWatch watch;
            watch.FailAlloc = c.FailAlloc;
            watch.FailReAlloc = c.FailReAlloc;
            watch.FailLock = c.FailLock;
            EXPECT_EQ(FindSetupFolder(Folder), c.Failure);
            ExpectNothingLeft(watch);
        }
}

// On Windows NT a folder whose name the code page lacks, or has only as a
// look-alike, is taken by its short form, which names the same folder; a
// volume without short names leaves it no form, and the message names it
// as far as the code page shows it.
TEST_F(FindSetupFolderTest, AFolderTheCodePageLacksGoesByItsShortFormElseByNone)
{
    ASSERT_EQ(GetACP(), 1252u);
    const std::wstring scratch = WideText(Scratch);
    static const wchar_t *const names[] = {
        L"\u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0438\\Brindlecast",
        L"\u30c7\u30fc\u30bf\\\u30bb\u30c3\u30c8\u30a2\u30c3\u30d7",
        L"a\uff3c..\uff3cb",
    };
    SetupState.PlatformId = VER_PLATFORM_WIN32_NT;
    for (const wchar_t *name : names) {
        const std::wstring folder = scratch + L"\\" + name;
        SCOPED_TRACE(AnsiText(folder));
        for (size_t cut = scratch.size() + 1; cut != std::wstring::npos; cut = folder.find(L'\\', cut + 1))
            CreateDirectoryW(folder.substr(0, cut).c_str(), NULL);
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), NULL));
        ModulePathSwap swap(folder + L"\\Setup.exe");
        {
            BlockWatch watch;
            ASSERT_EQ(FindSetupFolder(Folder), 0u);
            ExpectNothingLeft(watch);
        }
        const std::string found = Folder;
        EXPECT_EQ(found.back(), '\\');
        EXPECT_EQ(WideText(found), WideText(AnsiText(WideText(found)))) << "only the code page's own characters";
        EXPECT_EQ(LongForm(WideText(found)), LongForm(folder + L"\\"));
        EXPECT_TRUE(DirExists(found));

        ProcedureSwap noShortNames("GetShortPathNameW", NULL);
        BlockWatch watch;
        SetupState.StepMessageInsert = NULL;
        EXPECT_EQ(FindSetupFolder(Folder), (UINT)IDS_NO_ANSI_FORM);
        ASSERT_NE(SetupState.StepMessageInsert, nullptr);
        EXPECT_EQ(std::string(SetupState.StepMessageInsert), AnsiText(folder + L"\\"));
        ExpectNothingLeft(watch);
    }
}

// A setup started as C:\Setup.exe while another folder of drive C is
// current reads the root's License.txt, not the current folder's.
TEST_F(FindSetupFolderTest, ASetupInADriveRootReadsTheRootsLicenceWhateverFolderIsCurrent)
{
    const std::string decoy = ScratchOnC("root-setup-current");
    WriteBytes(decoy + "\\License.txt", "not the licence");
    WriteBytes("C:\\License.txt", ShippedLicense());
    ASSERT_TRUE(SetCurrentDirectoryA(decoy.c_str()));
    {
        ModulePathSwap swap("C:\\Setup.exe");
        ASSERT_EQ(FindSetupFolder(Folder), 0u);
    }
    EXPECT_EQ(LoadAgreementText(Folder), 0u);
    EXPECT_EQ(SetupState.AgreementSize, ShippedLicense().size());
    if (SetupState.AgreementText)
        GlobalFree(SetupState.AgreementText);
    SetCurrentDirectoryA(Before.c_str());
    DeleteFileA("C:\\License.txt");
    RemoveScratchOnC(decoy);
}
