// The product file copy in-process: the setup folder is a scratch copy of
// the staged one, which the program finds through its own module path.
#include <gtest/gtest.h>
#include "install/install.h"
#include "support/fault.h"
#include "support/installation.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

class CopyTest : public ::testing::Test {
protected:
    std::string Scratch, Media, Dest;

    void SetUp() override
    {
        ResetSetupState();
        Scratch = ScratchOnC("copy-tests");
        Media = StageMedia(Scratch + "\\Setup Media");
        Dest = Scratch + "\\Dest";
        CreateDirectoryA(Dest.c_str(), NULL);
    }
    void TearDown() override { RemoveScratchOnC(Scratch); }

    int Copy(const std::string &folder)
    {
        ModulePathSwap setupFolder(Media + "\\Setup.exe");
        lstrcpyA(SetupState.InstallPath, folder.c_str());
        return CopyProductFiles();
    }
};

TEST_F(CopyTest, TheSevenFilesArriveByteForByteOverwritingTheirNamesOnly)
{
    // Same names with other contents, and files the copy has nothing to do with.
    WriteBytes(Dest + "\\Tessel.exe", "an older program");
    WriteBytes(Dest + "\\Readme.txt", std::string(100000, 'r'));
    WriteBytes(Dest + "\\Log.txt", "the product's log");
    WriteBytes(Dest + "\\Notes.tsl", "settings");

    ASSERT_EQ(Copy(Dest), 1);
    for (const char *file : ShippedFiles) {
        std::string shipped = ReadBytes(Media + "\\" + file);
        ASSERT_FALSE(shipped.empty()) << file;
        EXPECT_EQ(ReadBytes(Dest + "\\" + file), shipped) << file;
    }
    EXPECT_EQ(ReadBytes(Dest + "\\Log.txt"), "the product's log");
    EXPECT_EQ(ReadBytes(Dest + "\\Notes.tsl"), "settings");
    EXPECT_EQ(std::string(SetupState.InstallPath), Dest);
    // The setup folder was made current to name the sources.
    EXPECT_EQ(CurrentDir(), Media);
}

// A folder typed with two trailing backslashes keeps one; the file paths
// then hold two in a row, which the file calls take.
TEST_F(CopyTest, AFolderThatKeptItsTrailingBackslashStillTakesTheFiles)
{
    ASSERT_EQ(Copy(Dest + "\\"), 1);
    for (const char *file : ShippedFiles)
        EXPECT_EQ(ReadBytes(Dest + "\\" + file), ReadBytes(Media + "\\" + file)) << file;
    EXPECT_EQ(std::string(SetupState.InstallPath), Dest + "\\");
}

TEST_F(CopyTest, AMissingReadmeStopsAfterSixFilesWithTheFailedDestinationKept)
{
    DeleteFileA((Media + "\\Readme.txt").c_str());

    EXPECT_EQ(Copy(Dest), 0);
    EXPECT_EQ(SetupState.StepMessageId, IDS_COPY_FAILED);
    EXPECT_EQ(std::string(SetupState.InstallPath), Dest);
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(ReadBytes(Dest + "\\" + ShippedFiles[i]), ReadBytes(Media + "\\" + ShippedFiles[i]))
            << ShippedFiles[i];
    EXPECT_FALSE(FileExists(Dest + "\\Readme.txt"));
}

TEST_F(CopyTest, AnInstallFolderThatCannotBeWrittenFailsAtTheFirstFile)
{
    EXPECT_EQ(Copy(Scratch + "\\Missing"), 0);
    EXPECT_EQ(SetupState.StepMessageId, IDS_COPY_FAILED);
    EXPECT_EQ(std::string(SetupState.InstallPath), Scratch + "\\Missing");
    EXPECT_FALSE(DirExists(Scratch + "\\Missing"));
}

// Installing into the setup folder itself copies each file onto itself: the
// copy must fail on the first file without emptying it, and the setup
// folder must come through whole.
TEST_F(CopyTest, InstallingIntoTheSetupFolderFailsAndLeavesTheSetupFilesWhole)
{
    std::string before[7];
    for (int i = 0; i < 7; i++)
        before[i] = ReadBytes(Media + "\\" + ShippedFiles[i]);
    std::string upper = Upper(Media);
    const std::string folders[] = { Media, Media + "\\", upper };

    for (const std::string &folder : folders) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(Copy(folder), 0);
        EXPECT_EQ(SetupState.StepMessageId, IDS_COPY_FAILED);
        EXPECT_EQ(std::string(SetupState.InstallPath), folder);
        for (int i = 0; i < 7; i++)
            EXPECT_EQ(ReadBytes(Media + "\\" + ShippedFiles[i]), before[i]) << ShippedFiles[i];
    }
}

// The longest folder the page can hand on is 519 characters; with the
// longest product name appended the path must stay inside its buffer.
TEST_F(CopyTest, TheLongestFolderTakesTheLongestNamesWithoutOverrunningTheBuffer)
{
    const LOGFONTA font = SetupState.TitleFont;
    std::string folder = MakeDeepFolder(Scratch + "\\Deep", 519);
    ASSERT_EQ(folder.size(), 519u);

    ASSERT_EQ(Copy(folder), 1);
    for (const char *file : ShippedFiles)
        EXPECT_EQ(ReadDeepBytes(folder + "\\" + file), ReadBytes(Media + "\\" + file)) << file;
    EXPECT_EQ(std::string(SetupState.InstallPath), folder);
    EXPECT_EQ(memcmp(&font, &SetupState.TitleFont, sizeof font), 0);

    // A failure on the longest name leaves the folder as it was.
    DeleteFileA((Media + "\\Uninstal.exe").c_str());
    EXPECT_EQ(Copy(folder), 0);
    EXPECT_EQ(std::string(SetupState.InstallPath), folder);
    EXPECT_EQ(memcmp(&font, &SetupState.TitleFont, sizeof font), 0);
}
