// Entering the setup program's own folder: the path block that grows for
// long paths, the folder cut at the last backslash, and the number each
// failing step leaves behind, with no block left allocated or locked.
#include <gtest/gtest.h>
#include "driver/driver.h"
#include "support/fault.h"
#include "support/handles.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

class EnterSetupFolderTest : public StepTest {
protected:
    static void ExpectNothingLeft(const BlockWatch &watch)
    {
        EXPECT_TRUE(watch.Live.empty()) << "a path block is still allocated";
        EXPECT_FALSE(watch.BadHandle);
        EXPECT_FALSE(watch.GrewLockedBlock);
    }
};

TEST_F(EnterSetupFolderTest, EntersTheFolderOfTheRunningProgram)
{
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    std::string folder(self, LastBackslash(self) - self);
    BlockWatch watch;
    EXPECT_EQ(EnterSetupFolder(), 1);
    EXPECT_EQ(Lower(CurrentDir()), Lower(folder));
    EXPECT_EQ(watch.AllocSizes, std::vector<SIZE_T>{ 256 });
    ExpectNothingLeft(watch);
}

TEST_F(EnterSetupFolderTest, GrowsThePathBlockBy256UntilThePathFits)
{
    // The folder stays short enough to be entered; the program's file name
    // makes the path long.
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
    for (const auto &path : cases) {
        SCOPED_TRACE("path of " + std::to_string(path.PathLength) + " characters");
        SetCurrentDirectoryA(Before.c_str());
        std::string module = Scratch + "\\";
        module += std::string(path.PathLength - module.size() - 4, 'p') + ".exe";
        ASSERT_EQ(module.size(), path.PathLength);
        ModulePathSwap swap(module);
        BlockWatch watch;

        EXPECT_EQ(EnterSetupFolder(), 1);

        EXPECT_EQ(Lower(CurrentDir()), Lower(Scratch));
        EXPECT_EQ(swap.Sizes, path.Sizes);
        for (HMODULE asked : swap.Modules)
            EXPECT_EQ(asked, (HMODULE)SetupState.Instance);
        EXPECT_EQ(watch.AllocSizes, std::vector<SIZE_T>{ 256 });
        EXPECT_EQ(watch.ReAllocSizes, std::vector<SIZE_T>(path.Sizes.begin() + 1, path.Sizes.end()));
        ExpectNothingLeft(watch);
    }
}

// SetCurrentDirectoryA as called, passed on to the platform.
static std::vector<std::string> FoldersEntered;
static ImportSwap *EnterSwap;
static BOOL WINAPI RecordEnter(LPCSTR folder)
{
    FoldersEntered.push_back(folder);
    return ((BOOL(WINAPI *)(LPCSTR))EnterSwap->Original)(folder);
}

// Each case starts from another folder on drive C: "C:" alone would name
// that folder, not the root.
TEST_F(EnterSetupFolderTest, EntersTheFolderBeforeTheLastBackslashKeepingARootWhole)
{
    static const struct {
        const char *Module;
        const char *Entered;
        int Result;
    } cases[] = {
        { "C:\\Setup.exe", "C:\\", 1 },
        { "C:\\windows\\Setup.exe", "C:\\windows", 1 },
        { "C:\\windows\\system32\\Setup.exe", "C:\\windows\\system32", 1 },
        // Without any backslash nothing of the path is left to enter.
        { "Setup.exe", "", 0 },
    };
    for (const auto &path : cases) {
        SCOPED_TRACE(path.Module);
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\users"));
        FoldersEntered.clear();
        ModulePathSwap swap(path.Module);
        ImportSwap enter("kernel32.dll", "SetCurrentDirectoryA", (void *)RecordEnter);
        EnterSwap = &enter;
        BlockWatch watch;

        EXPECT_EQ(EnterSetupFolder(), path.Result);

        EXPECT_EQ(FoldersEntered, std::vector<std::string>{ path.Entered });
        if (!path.Result)
            EXPECT_EQ(SetupState.StepMessageId, IDS_NO_SET_FOLDER);
        else
            EXPECT_EQ(Lower(CurrentDir()), Lower(path.Entered));
        ExpectNothingLeft(watch);
    }
}
