// Whole runs clicked through to the installation, an earlier installation
// laid out as the setup leaves one, and what an installation is expected to
// leave behind.
#ifndef TESTS_INSTALL_RUN_H
#define TESTS_INSTALL_RUN_H

#include "gui.h"
#include "sandbox.h"

// Then the folder typed, the shortcut radio button (IDC_SHORTCUT_*) chosen
// and Next pressed. False when a page did not come.
bool ClickThroughPages(const SetupRun &run, const std::string &folder, int shortcut);
// Waits for the finish page, presses OK and returns the exit code (-1 when
// the finish page did not come; the run is then stopped).
int FinishRun(SetupRun &run);
// Presses a message box's button and waits until the box is gone.
void Answer(const MessageBoxSeen &box, int button);

#define APP_PATHS_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tessel.exe"
#define MAKER_KEY "SOFTWARE\\Tarnwicke"

// The registry facts by which an earlier installation is known: the maker
// key (when wanted) and the "Path" value with exactly these bytes.
void RecordPreviousInstall(const std::string &pathBytes, bool makerKey = true);
// A folder path stored as the setup stores it, with its terminator.
std::string WithTerminator(const std::string &folder);

// All ten product file names, in deletion order.
extern const char *const ProductFileNames[10];
// The seven copied ones: files of the setup folder.
extern const char *const ShippedFileNames[7];
// Writes each of the ten product files into a folder with a text that tells
// it from the shipped one.
void PutOldProductFiles(const std::string &folder);
// Names of the files in a folder, sorted, without "." and "..".
std::vector<std::string> FilesIn(const std::string &folder);
// The folder holds exactly the seven shipped files, byte for byte, plus the
// extra names given.
void ExpectShippedFiles(const std::string &folder, std::vector<std::string> extra = {});

// The folder the directory page proposes: the program-files folder and "\Brindlecast".
std::string DefaultInstallFolder();

// Every registry value an installation into the folder writes, exactly.
void ExpectInstalledRegistry(const std::string &folder);
// None of the product's keys exist.
void ExpectNoRegistry();

struct ShortcutSeen {
    bool Found;
    std::string Target;
    std::string WorkingDir;
    std::string Description;
    std::string Arguments;
};
// The "Brindlecast.lnk" in the Start Menu folder given (CSIDL_STARTMENU or
// CSIDL_COMMON_STARTMENU), read through the shell's link object.
ShortcutSeen ReadShortcut(int folder);

#endif
