// The steps read and write the folders they are given, whatever folder is
// current: a decoy folder holding files of the same names is made current
// before each step and must come through untouched.
#include <gtest/gtest.h>
#include "install/install.h"
#include "support/fault.h"
#include "support/installation.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

class AnotherCurrentFolder : public StepTest {};

TEST_F(AnotherCurrentFolder, EveryStepUsesTheFoldersItIsGiven)
{
    const std::string media = StageMedia(Scratch + "\\Media"), decoy = Scratch + "\\Decoy",
                      old = Scratch + "\\Old", fresh = Scratch + "\\New";
    for (const std::string &folder : { decoy, old, fresh })
        CreateDirectoryA(folder.c_str(), NULL);
    // The decoy's files would be refused (licence, digests) or moved.
    WriteBytes(decoy + "\\License.txt", "not the licence");
    for (const char *file : ShippedFiles)
        if (lstrcmpA(file, "License.txt") != 0)
            WriteBytes(decoy + "\\" + file, "not the product");
    WriteBytes(decoy + "\\Decoy.tsl", "not the user's settings");
    const std::vector<std::string> decoyFiles = FilesIn(decoy);
    PutOldProductFiles(old);
    WriteBytes(old + "\\Kept.tsl", "the user's settings");
    RecordPreviousInstall(WithTerminator(old));

    char setupFolder[SETUP_FOLDER_ROOM];
    {
        ModulePathSwap swap(media + "\\Setup.exe");
        ASSERT_TRUE(SetCurrentDirectoryA(decoy.c_str()));
        ASSERT_EQ(FindSetupFolder(setupFolder), 0u);
    }
    ASSERT_TRUE(SetCurrentDirectoryA(decoy.c_str()));
    ASSERT_EQ(LoadAgreementText(setupFolder), 0u);
    EXPECT_EQ(SetupState.AgreementSize, ShippedLicense().size());
    GlobalFree(SetupState.AgreementText);

    lstrcpyA(SetupState.InstallPath, fresh.c_str());
    ASSERT_TRUE(SetCurrentDirectoryA(decoy.c_str()));
    {
        BoxCapture boxes(IDYES);
        RemovePreviousInstall(NULL);
        EXPECT_EQ(boxes.Boxes.size(), 1u) << "the question to move the settings files";
    }
    EXPECT_FALSE(DirExists(old));
    EXPECT_EQ(ReadBytes(fresh + "\\Kept.tsl"), "the user's settings");

    ASSERT_TRUE(SetCurrentDirectoryA(decoy.c_str()));
    EXPECT_EQ(CopyProductFiles(setupFolder), 0u);
    ExpectShippedFiles(fresh, { "Kept.tsl" });

    EXPECT_EQ(FilesIn(decoy), decoyFiles);
    EXPECT_EQ(ReadBytes(decoy + "\\License.txt"), "not the licence");
    EXPECT_EQ(ReadBytes(decoy + "\\Decoy.tsl"), "not the user's settings");
}
