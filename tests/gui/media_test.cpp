// Whole runs of Setup.exe from read-only media: installed, installed again
// into the same folder, then into another one, with the attributes of what
// lands on disk read back directly.
#include "support/install_run.h"
#include "resources/resource.h"

static bool IsReadonly(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

static const char *const MediaFiles[] = {
    "Setup.exe", "License.txt", "Order.txt", "Tessel.exe", "Tessel.hlp", "Tessel.cnt", "Uninstal.exe", "Readme.txt",
};

// Every file of the media read-only, as a disc or a read-only share shows them.
TEST_F(GuiTest, ReadonlyMediaInstallAgainAndElsewhereLeavesNothingBehind)
{
    std::string media = StageSetupFolder("readonly-media");
    for (const char *file : MediaFiles)
        ASSERT_TRUE(SetFileAttributesA((media + "\\" + file).c_str(), FILE_ATTRIBUTE_READONLY)) << file;
    std::string scratch = MakeScratchDir("readonly-media-install");
    std::string first = scratch + "\\First", second = scratch + "\\Second";
    static const struct { const char *Name; const std::string *Folder; } runs[] = {
        { "first installation", &first },
        { "again into the same folder", &first },
        { "again into another folder", &second },
    };

    for (const auto &run : runs) {
        SCOPED_TRACE(run.Name);
        Run = StartSetup(media);
        ASSERT_TRUE(ClickThroughPages(Run, *run.Folder, IDC_SHORTCUT_NONE));
        // No box on the way: the finish page comes, and the run ends.
        ASSERT_EQ(FinishRun(Run), 1);
        ExpectShippedFiles(*run.Folder);
        for (const char *file : ShippedFileNames)
            EXPECT_FALSE(IsReadonly(*run.Folder + "\\" + file)) << file;
        ExpectInstalledRegistry(*run.Folder);
    }
    EXPECT_FALSE(DirExists(first)) << "the earlier installation's folder should be gone";
    for (const char *file : MediaFiles)
        EXPECT_TRUE(IsReadonly(media + "\\" + file)) << file << " of the media was changed";
    DeleteTree(media);
    DeleteTree(scratch);
}
