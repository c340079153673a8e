// Whole runs of Setup.exe as real media and real code pages meet it: from
// read-only media (installed, installed again into the same folder, then
// into another one, attributes read back directly), and under the
// double-byte code page 932 into folders whose names hold a 0x5C trail byte.
#include "support/gui.h"
#include "resources/resource.h"
#include <functional>
#include <shlobj.h>

static bool IsReadonly(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

static const char *const MediaFiles[] = {
    "Setup.exe", "License.txt", "Order.txt", "Tessel.exe", "Tessel.hlp", "Tessel.cnt", "Uninstal.exe", "Readme.txt",
};

// Whole installations from one setup folder into each folder in turn, each
// with no box on the way (the finish page comes and the run ends), leaving
// the shipped files and the registry entries, and what `more` checks.
class MediaRuns : public GuiTest {
protected:
    struct Into {
        const char *Name;
        const std::string *Folder;
    };
    void InstallInTurn(const std::string &media, std::initializer_list<Into> runs, int shortcut,
                       const std::function<void(const std::string &)> &more)
    {
        for (const Into &into : runs) {
            SCOPED_TRACE(into.Name);
            Run = StartSetup(media);
            ASSERT_TRUE(ClickThroughPages(Run, *into.Folder, shortcut));
            ASSERT_EQ(FinishRun(Run), 1);
            ExpectShippedFiles(*into.Folder);
            ExpectInstalledRegistry(*into.Folder);
            more(*into.Folder);
        }
    }
};

// Every file of the media read-only, as a disc or a read-only share shows them.
TEST_F(MediaRuns, ReadonlyMediaInstallAgainAndElsewhereLeavesNothingBehind)
{
    std::string media = StageSetupFolder("readonly-media");
    for (const char *file : MediaFiles)
        ASSERT_TRUE(SetFileAttributesA((media + "\\" + file).c_str(), FILE_ATTRIBUTE_READONLY)) << file;
    std::string scratch = MakeScratchDir("readonly-media-install");
    std::string first = scratch + "\\First", second = scratch + "\\Second";

    InstallInTurn(media,
                  { { "first installation", &first },
                    { "again into the same folder", &first },
                    { "again into another folder", &second } },
                  IDC_SHORTCUT_NONE, [](const std::string &folder) {
                      for (const char *file : ShippedFiles)
                          EXPECT_FALSE(IsReadonly(folder + "\\" + file)) << file;
                  });
    EXPECT_FALSE(DirExists(first)) << "the earlier installation's folder should be gone";
    for (const char *file : MediaFiles)
        EXPECT_TRUE(IsReadonly(media + "\\" + file)) << file << " of the media was changed";
    DeleteTree(media);
    DeleteTree(scratch);
}

// Characters whose second byte is 0x5C under code page 932, and one whose
// second byte is not.
#define HYO "\x95\x5C"
#define SHI "\x8E\xA6"

// The real wizard under code page 932 (Japanese Windows): this test runs in
// a ctest entry with a Japanese locale in the environment, which Setup.exe
// inherits. The setup folder itself ends in such a character. A folder
// ending in one is installed; then one holding one, under a parent ending in
// one, which removes the first; then the same folder again.
class CodePage932Wizard : public MediaRuns {};

TEST_F(CodePage932Wizard, InstallsIntoFoldersWithTrailBytes)
{
    ASSERT_EQ(GetACP(), 932u) << "run with LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 (the cp932 ctest entry)";
    std::string media = StageSetupFolder("cp932-media" HYO);
    std::string scratch = MakeScratchDir("cp932-install");
    std::string ending = scratch + "\\Tessel" HYO, parent = scratch + "\\" HYO SHI, inside = parent + "\\a" HYO "b";
    ASSERT_TRUE(CreateDirectoryA(parent.c_str(), NULL));

    InstallInTurn(media,
                  { { "a folder ending in the character", &ending },
                    { "a folder holding it, under a parent ending in it", &inside },
                    { "the same folder again", &inside } },
                  IDC_SHORTCUT_USER, [](const std::string &folder) {
                      ShortcutInfo link = ReadShortcut(CSIDL_STARTMENU);
                      EXPECT_EQ(link.Target, folder + "\\Tessel.exe");
                      EXPECT_EQ(link.WorkingDir, folder + "\\");
                  });
    EXPECT_FALSE(DirExists(ending)) << "the earlier installation's folder should be gone";
    EXPECT_EQ(FilesIn(parent), std::vector<std::string>{ "a" HYO "b" });
    DeleteTree(media);
    DeleteTree(scratch);
}
