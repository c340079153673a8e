// Support for the uninstaller's tests: installations laid out by the setup
// program's own steps, Uninstal.exe started and its boxes found in whatever
// process shows them, the temporary copy waited for, and what is scheduled
// for removal at the next restart.
#ifndef TESTS_UNINSTALL_RUN_H
#define TESTS_UNINSTALL_RUN_H

#include <windows.h>
#include <string>
#include <vector>
#include "gui.h"

// Copies the product files from the setup folder given into the folder and
// writes the registry entries and the shortcut chosen, through the setup's
// steps, as an installation on that platform leaves them. False on a failure.
bool InstallInProcess(const std::string &folder, DWORD platformId, DWORD majorVersion, BYTE shortcutChoice,
                      const std::string &media = SETUP_MEDIA_DIR);

// Uninstal.exe of a folder, with the arguments given.
SetupRun StartUninstall(const std::string &folder, const std::string &arguments = "");

// A box of the uninstaller, by its caption, in any process.
MessageBoxSeen WaitForUninstallBox(DWORD timeout = 10000);
// The push buttons of a box, by id.
std::vector<int> ButtonsOf(HWND box);
// Presses a button of a box the way a user does.
void Press(const MessageBoxSeen &box, int button);

// Waits until no copy of the uninstaller runs from the temporary folder.
// False when one still runs after the timeout.
bool WaitForTempCopies(DWORD timeout = 20000);
// The folders of the temporary folder whose names start as the copies'
// own folders do, whatever they hold.
std::vector<std::string> TempCopyFolders();
// Copies of the uninstaller in their folders in the temporary folder.
std::vector<std::string> TempCopies();
// Removes every copy in the temporary folder with its record and its
// folder; a folder that holds anything else stays.
void RemoveTempCopies();
// Files that Windows NT deletes at the next restart (PendingFileRenameOperations).
std::vector<std::string> PendingDeletions();
// The [rename] lines of wininit.ini, which the Windows 95 family reads at the restart.
std::vector<std::string> RestartLines();

// Keeps the restart lists and the temporary folder as a test found them.
class RestartListsKept {
public:
    RestartListsKept();
    ~RestartListsKept();
    RestartListsKept(const RestartListsKept &) = delete;
    RestartListsKept &operator=(const RestartListsKept &) = delete;

private:
    bool PendingFound;
    std::string Pending, Wininit;
};

// GUI tests of the uninstaller: an install folder with a space in its name
// below a scratch folder of the test, the restart lists kept, and the
// machine, the scratch folder and the version settings cleaned afterwards.
class UninstallGuiTest : public GuiTest {
protected:
    std::string Scratch, Folder;
    std::vector<std::string> PendingBefore, RestartLinesBefore;
    void SetUp() override;
    void TearDown() override;
    // Waits for the run and for the copy it left to finish the removal;
    // returns the run's exit code.
    int Finish(SetupRun &run);
    // Nothing of the product is left: folder, registry, shortcuts.
    void ExpectProductGone();
    // The one copy in the temporary folder, alone in its folder, is listed
    // for removal at the restart and then its folder, in wininit.ini on the
    // Windows 95 family, which removes files only.
    void ExpectCopyScheduled(bool windows95 = false);
    // The Windows version that the uninstaller and its temporary copy, a
    // program of another name, are told; "" for Wine's own.
    void ReportUninstallerVersion(const std::string &version);

private:
    RestartListsKept *Restart = nullptr;
};

#endif
