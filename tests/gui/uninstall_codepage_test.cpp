// The uninstaller under a double-byte ANSI code page (932, Japanese), in
// folders whose names end in or hold characters with 0x5C, the backslash, as
// their second byte. Run only in the code page 932 ctest entry.
#include "support/uninstall_run.h"
#include "setup/state.h"
#include <shlobj.h>

#define HYO "\x95\x5C"    // U+8868
#define SO "\x83\x5C"     // U+30BD
#define JU "\x8F\x5C"     // U+5341

class CodePage932Uninstall : public UninstallGuiTest {
protected:
    void SetUp() override
    {
        UninstallGuiTest::SetUp();
        ASSERT_EQ(GetACP(), 932u) << "run with LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 (the cp932 ctest entries)";
    }
};

TEST_F(CodePage932Uninstall, FoldersWithTrailBytesAreRemovedOrNamedWhole)
{
    const struct {
        const char *Name;
        bool UserFile;
    } cases[] = {
        { HYO, false },
        { SO JU "\\x" HYO, true },
    };
    for (const auto &c : cases) {
        Folder = Scratch + "\\" + c.Name;
        SCOPED_TRACE(Folder);
        ResetMachine();
        CreateDirectoryA((Scratch + "\\" SO JU).c_str(), NULL);
        ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_CURRENT_USER));
        if (c.UserFile)
            WriteBytes(Folder + "\\Mine.tsl", "user settings");

        Run = StartUninstall(Folder);
        MessageBoxSeen question = WaitForUninstallBox();
        ASSERT_NE(question.Window, (HWND)NULL);
        Press(question, IDYES);
        MessageBoxSeen closing = WaitForUninstallBox();
        ASSERT_NE(closing.Window, (HWND)NULL);
        if (c.UserFile) {
            EXPECT_NE(closing.Text.find("The folder " + Folder + " was kept"), std::string::npos) << closing.Text;
        }
        Press(closing, IDOK);
        EXPECT_EQ(Finish(Run), 0);

        EXPECT_EQ(FilesIn(Folder), c.UserFile ? std::vector<std::string>{ "Mine.tsl" } : std::vector<std::string>());
        EXPECT_EQ(DirExists(Folder), c.UserFile);
        ExpectNoRegistry();
        EXPECT_FALSE(ReadShortcut(CSIDL_STARTMENU).Found);
    }
}
