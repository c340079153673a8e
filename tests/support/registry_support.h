// Support for tests of the registry step and the Start Menu shortcut: an
// install folder holding the program stand-ins, the state record as the
// install-folder page leaves it, the shortcut read back through the shell's
// link object, other programs run with their output captured, and a Start
// Menu that the shell cannot find.
#ifndef TESTS_REGISTRY_SUPPORT_H
#define TESTS_REGISTRY_SUPPORT_H

#include <windows.h>
#include <functional>
#include <string>

// A fresh scratch folder holding Tessel.exe and Uninstal.exe from the built
// setup folder.
std::string MakeInstallFolder(const std::string &name);

// The state record as the install-folder page leaves it for the install phase.
void PrepareInstallState(const std::string &folder, DWORD platformId, DWORD majorVersion, BYTE shortcutChoice);

std::string StartMenuFolder(int csidl);
std::string ShortcutPath(int csidl);   // Brindlecast.lnk directly in that folder

struct ShortcutInfo {
    bool Loaded;
    std::string Target, WorkingDir, Description, Arguments, IconPath;
    WORD Hotkey;
};
// Loads a saved shortcut through IShellLinkA and IPersistFile::Load.
ShortcutInfo LoadShortcut(const std::string &path);

struct ProgramRun {
    bool Finished;
    DWORD ExitCode;
    std::string Output;   // standard output and error together
};
// Runs a Windows command line and collects what it prints.
ProgramRun RunCaptured(const std::string &commandLine, DWORD timeout = 15000);

// Explorer and open folders learn of a changed association through the
// shell's change notifications: true when a window registered for them hears
// of one while the action runs.
bool ShellHearsOfAssociations(const std::function<void()> &action);

// Points the current user's Start Menu at a folder that does not exist, so
// the shell cannot find it; puts the shell folder values back on the way out.
class LostStartMenu {
public:
    LostStartMenu();
    ~LostStartMenu();
    LostStartMenu(const LostStartMenu &) = delete;
    LostStartMenu &operator=(const LostStartMenu &) = delete;

private:
    struct Saved {
        bool Found;
        DWORD Type;
        std::string Data;
    } UserShellFolder, ShellFolder;
    std::string Parent;   // exists, but holds no Start Menu
};

#endif
