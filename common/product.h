// The product's facts: its names, files, registry keys and values, each
// written once and shared by the setup program and the uninstaller. Its
// name, maker and version are the build's too: they are written in
// product.cmake and come from the header the build makes of it.
#ifndef COMMON_PRODUCT_H
#define COMMON_PRODUCT_H

#include "productfacts.h"

#define PROGRAM "Tessel.exe"

#define ARRAY_LENGTH(array) (sizeof (array) / sizeof (array)[0])

inline constexpr char SetupTitle[] = PRODUCT_NAME " " PRODUCT_VERSION " Trial Setup";
#define SETUP_TITLE_LENGTH ((int)sizeof SetupTitle - 1)
inline constexpr char SetupClassName[] = "SetupClass";

inline constexpr char ProductName[] = PRODUCT_NAME;
inline constexpr char MakerName[] = PRODUCT_MAKER;
inline constexpr char VersionName[] = PRODUCT_VERSION;
inline constexpr char ProductFolder[] = "\\" PRODUCT_NAME;
inline constexpr char FallbackInstallDir[] = "C:\\" PRODUCT_NAME;

inline constexpr char LicenseFile[] = "License.txt";
inline constexpr char ProgramFile[] = PROGRAM;
inline constexpr char UninstallerFile[] = "Uninstal.exe";
inline constexpr char SetupFile[] = "Setup.exe";
inline constexpr const char *ProductFiles[] = {
    LicenseFile, "Order.txt", ProgramFile, "Tessel.hlp", "Tessel.cnt", UninstallerFile,
    "Readme.txt", "Log.txt", "Tessel.gid", "Tessel.fts",
};
#define COPIED_FILE_COUNT 7    // the first seven are shipped; the last three are only ever deleted
inline constexpr char SettingsPattern[] = "*.tsl";
// While an installation runs, what it changes is written down first in this
// file in the install folder, which a value of the machine's CurrentVersion
// key names; a file it replaces is renamed aside by this suffix until the
// run is done.
inline constexpr char JournalFile[] = "Setup.~bj";
inline constexpr char JournalValue[] = PRODUCT_NAME " Setup Journal";
inline constexpr char AsideSuffix[] = ".~bc";
inline constexpr char ShortcutFile[] = PRODUCT_NAME ".lnk";
inline constexpr char ShortcutDescription[] = "Shortcut to " PROGRAM;

inline constexpr char MachineSoftwareKey[] = "SOFTWARE";
inline constexpr char UserSoftwareKey[] = "Software";
inline constexpr const char *CurrentVersionChain[] = { "Microsoft", "Windows", "CurrentVersion" };
#define CURRENT_VERSION_DEPTH ((int)ARRAY_LENGTH(CurrentVersionChain))
inline constexpr char ProgramFilesValue[] = "ProgramFilesDir";
inline constexpr char AppPathsKey[] = "App Paths";
inline constexpr char AppPathValue[] = "Path";
inline constexpr char UninstallKey[] = "Uninstall";
inline constexpr char DisplayNameValue[] = "DisplayName";
inline constexpr char UninstallStringValue[] = "UninstallString";
// Read by Windows' list of installed programs and by package tools; the
// version and the publisher are VersionName and MakerName.
inline constexpr char DisplayVersionValue[] = "DisplayVersion";
inline constexpr char PublisherValue[] = "Publisher";
inline constexpr char DisplayIconValue[] = "DisplayIcon";
inline constexpr char InstallLocationValue[] = "InstallLocation";
inline constexpr const char *NoChangeValues[] = { "NoModify", "NoRepair" };
inline constexpr char QuietUninstallStringValue[] = "QuietUninstallString";
inline constexpr char SettingsKey[] = "Settings";
inline constexpr const char *WindowPositionValues[] = { "WindowLeft", "WindowTop" };
// Windows 2000 and later keep the machine's file associations here, below
// HKEY_LOCAL_MACHINE; HKEY_CLASSES_ROOT is that key merged with the user's.
inline constexpr char MachineClassesKey[] = "Software\\Classes";
inline constexpr char SettingsExtension[] = ".tsl";
inline constexpr char FileTypeDescription[] = PRODUCT_NAME " File";
inline constexpr char DefaultIconKey[] = "DefaultIcon";
inline constexpr const char *OpenCommandChain[] = { "shell", "open", "command" };
#define OPEN_COMMAND_DEPTH ((int)ARRAY_LENGTH(OpenCommandChain))
inline constexpr char OpenCommandTail[] = " %1";

// The uninstaller: its caption, the switch that runs it without questions
// or boxes, and what it needs to remove itself.
inline constexpr char UninstallTitle[] = PRODUCT_NAME " " PRODUCT_VERSION " Uninstall";
#define QUIET_SWITCH "S"
inline constexpr char QuietSwitch[] = QUIET_SWITCH;
inline constexpr char QuietUninstallTail[] = " /" QUIET_SWITCH;
#undef QUIET_SWITCH
// Both programs write the log that this switch names.
inline constexpr char LogSwitch[] = "LOG";
// The copy in the temporary folder is started with this switch, the handle
// of the process it waits for and the path of the uninstaller it removes.
inline constexpr char FinishSwitch[] = "/F:";
// It runs from a folder of its own there, named with this prefix and
// sixteen random hexadecimal digits, beside a record that holds the path of
// the uninstaller it may remove, byte for byte.
inline constexpr char TempCopyPrefix[] = "Bcu";
inline constexpr char TempCopyFile[] = "Uninstal.tmp";
inline constexpr char TempCopyRecord[] = "Uninstal.txt";
// The Windows 95 family removes files at the next restart through this
// section of this file in the Windows folder: a line NUL=<short path> each.
inline constexpr char RestartFile[] = "wininit.ini";
inline constexpr char RestartSection[] = "rename";
inline constexpr char RestartDelete[] = "NUL=";

// The mark of a running setup or uninstaller, in the namespace that all
// sessions share; without its first seven characters where Windows has
// only one namespace.
inline constexpr char RunMark[] = "Global\\" PRODUCT_NAME " Setup";
#define RUN_MARK_UNPREFIXED (RunMark + 7)

#undef PROGRAM

#endif
