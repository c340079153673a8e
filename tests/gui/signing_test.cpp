// A whole installation from the setup folder the build signed with a
// throwaway certificate: the signed programs run, and are installed as signed.
#include <shlobj.h>
#include "support/gui.h"
#include "resources/resource.h"

TEST_F(GuiTest, TheSignedSetupInstallsTheSignedProgramsWhole)
{
    std::string setup = MakeScratchDir("signed-media");
    std::string folder = setup + "\\Brindle Apps";
    for (const std::string &file : FilesIn(SIGNED_MEDIA_DIR)) {
        if (file != ".staged") {
            ASSERT_TRUE(CopyFileA((std::string(SIGNED_MEDIA_DIR) + "\\" + file).c_str(),
                                  (setup + "\\" + file).c_str(), FALSE)) << file;
        }
    }

    Run = StartSetup(setup);
    ASSERT_TRUE(ClickThroughPages(Run, folder, IDC_SHORTCUT_USER));
    EXPECT_EQ(FinishRun(Run), 1);

    for (const char *name : ShippedFiles)
        EXPECT_TRUE(ReadBytes(folder + "\\" + name) == ReadBytes(setup + "\\" + name)) << name;
    // The installed program is the signed one, not the build's unsigned copy.
    EXPECT_FALSE(ReadBytes(folder + "\\Tessel.exe") == ReadBytes(std::string(SETUP_MEDIA_DIR) + "\\Tessel.exe"));
    ExpectInstalledRegistry(folder);
    EXPECT_TRUE(ReadShortcut(CSIDL_STARTMENU).Found);
    ResetMachine();
    DeleteTree(setup);
}
