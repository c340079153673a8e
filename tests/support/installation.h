// What an installation is made of: the product files and the setup folder
// staged from the build, an earlier installation laid out as the setup
// leaves one, and the one expected layout of files, registry entries and
// shortcut that an installation leaves behind.
#ifndef TESTS_INSTALLATION_H
#define TESTS_INSTALLATION_H

#include <windows.h>
#include <functional>
#include <map>
#include <string>
#include <vector>

// All ten product file names, in deletion order; the first seven are the
// shipped ones, in copy order.
extern const char *const ProductFileNames[10];
extern const char *const ShippedFiles[7];

// The shipped files copied from the built setup folder into a folder (made
// if missing, however deep); returns the folder.
std::string StageMedia(const std::string &folder);
// The shipped files and Setup.exe in a fresh scratch folder named after the test.
std::string StageSetupFolder(const std::string &name);
// A setup folder whose own path is exactly `length` characters long, below
// a scratch folder of that name.
std::string StageDeepSetupFolder(const std::string &name, size_t length);

// License.txt as shipped, from the build's setup folder.
std::string ShippedLicense();
// The sum of a text's bytes, each taken as 0 to 255: what the setup holds
// License.txt to (AGREEMENT_SUM).
DWORD ByteSum(const std::string &bytes);

// The folder holds exactly the seven shipped files, byte for byte, plus the
// extra names given.
void ExpectShippedFiles(const std::string &folder, std::vector<std::string> extra = {});

// The registry keys of an installation.
extern const char MakerKey[];           // HKLM
extern const char ProductKey[];         // HKLM
extern const char VersionKey[];         // HKLM
extern const char CurrentVersionKey[];  // HKLM, the system's
extern const char AppPathsEntryKey[];   // HKLM
extern const char UninstallEntryKey[];  // HKLM
extern const char UserMakerKey[];       // HKCU
extern const char UserSettingsKey[];    // HKCU
// Below the classes root: HKCR, or HKLM\Software\Classes where the
// installation writes them.
extern const char FileTypeKey[];
extern const char OpenCommandKey[];

// Every value an installation into the folder writes, with its type; the
// text of strings as stored, without the one terminator.
struct InstalledValue {
    HKEY Root;
    std::string Key;
    const char *Name;   // NULL: the default value
    DWORD Type;
    std::string Text;   // REG_SZ
    DWORD Number;       // REG_DWORD, as a first installation writes it
};
std::vector<InstalledValue> InstalledValues(const std::string &folder);
// Every key the installation writes, with just its own subkeys and values.
struct InstalledKey {
    HKEY Root;
    const char *Key;
    DWORD Subkeys, Values;
};
extern const InstalledKey InstalledKeys[14];
// A string value stored as the setup stores strings: REG_SZ with exactly
// one terminator, its size counting it.
void ExpectStoredString(HKEY root, const std::string &key, const char *value, const std::string &text);
// The registry holds the whole layout for the folder and nothing beyond it
// (the user's window position is looked at for its type only: a user's own
// survives a reinstallation).
void ExpectInstalledRegistry(const std::string &folder);
// The same for a folder whose name the code page lacks: each value that
// names it holds its true name, REG_SZ in wide characters with one
// terminator; the others as ExpectInstalledRegistry has them.
void ExpectWideInstalledRegistry(const std::wstring &folder);
// None of the product's keys exist.
void ExpectNoRegistry();

// On Windows NT the setup records a folder whose name the ANSI code page
// lacks by its true name, in wide characters. Rewrites every string value of
// an installation into `folder` that names it so, with `trueFolder` in its
// place (REG_SZ, RegSetValueExW); false when one could not be written.
bool RecordTrueFolder(const std::string &folder, const std::wstring &trueFolder);
// A string value read in wide characters, without its terminator; empty when missing.
std::wstring ReadWideRegString(HKEY root, const std::string &key, const char *value);

// The folder the directory page proposes: the program-files folder and "\Brindlecast".
std::string DefaultInstallFolder();

// The registry facts by which an earlier installation is known: the maker
// key (when wanted) and the "Path" value with exactly these bytes.
void RecordPreviousInstall(const std::string &pathBytes, bool makerKey = true);
// A maker key that nobody may create subkeys below, as an administrator
// might leave it; ResetMachine() still deletes it.
void LockMakerKey();
// A folder path stored as the setup stores it, with its terminator.
std::string WithTerminator(const std::string &folder);
// Writes each of the ten product files into a folder with a text that tells
// it from the shipped one.
void PutOldProductFiles(const std::string &folder);

// The removal of an earlier installation in <top>\Home\Old that holds its
// product files and one settings file of that wide name, answered Yes, in
// process, on that platform. Beside it lie <top>\Victim.tsl, two folders
// above the old folder, and the install folder <top>\Apps\Tarn\New, three
// deep, so that a name climbing two folders names another file from each.
struct SettingsRemoval {
    std::vector<std::string> Boxes;              // the texts of the boxes, in order
    std::map<std::wstring, std::string> After;   // the tree below top (WideTree)
};
SettingsRemoval RemoveWithSettingsFile(const std::string &top, const std::wstring &name, DWORD platformId);
// The tree below top after such a removal moved the settings file by its own
// name: in the new folder, nothing else but Victim.tsl as it was, and the
// emptied old folder gone.
std::map<std::wstring, std::string> SettingsFileMovedByName(const std::wstring &name);

// Explorer and open folders learn of a changed association through the
// shell's change notifications: true when a window registered for them hears
// of one while the action runs.
bool ShellHearsOfAssociations(const std::function<void()> &action);

// A Start Menu folder (CSIDL_STARTMENU or CSIDL_COMMON_STARTMENU), and the
// product's shortcut "Brindlecast.lnk" directly in it.
std::string StartMenuFolder(int csidl);
std::string ShortcutPath(int csidl);
struct ShortcutInfo {
    bool Found;
    std::string Target, WorkingDir, Description, Arguments, IconPath;
    WORD Hotkey;
};
// The shortcut in that Start Menu folder, read through the shell's link object.
ShortcutInfo ReadShortcut(int csidl);
// The same read through the link's wide interface, from the Start Menu
// folder's wide path: the target by the item list that Windows resolves it
// by (Wine keeps the link's other copy of the target path in ANSI
// characters only), and the working folder.
struct WideShortcutInfo {
    bool Found;
    std::wstring Target, WorkingDir;
};
WideShortcutInfo ReadWideShortcut(int csidl);

// Points the current user's Start Menu at a folder given in wide characters
// (User Shell Folders, which Wine's shell reads), made here; puts the shell
// folder values back on the way out.
class MovedStartMenu {
public:
    explicit MovedStartMenu(const std::wstring &folder);
    ~MovedStartMenu();
    MovedStartMenu(const MovedStartMenu &) = delete;
    MovedStartMenu &operator=(const MovedStartMenu &) = delete;

private:
    struct Saved {
        bool Found;
        DWORD Type;
        std::string Data;
    } UserShellFolder, ShellFolder;
};

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
