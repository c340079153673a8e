// What the setup says to its users, as they read it: the message table that
// the tests hold the string table and the error boxes to, and the texts of
// the boxes shown while an earlier installation is removed.
#ifndef TESTS_MESSAGES_H
#define TESTS_MESSAGES_H

#include <windows.h>
#include <string>

// The list of switches, shown for /? and for a command line not understood.
inline constexpr char SetupSwitchesText[] =
    "Setup takes these switches:\n\n/S\tinstalls without any window; the exit code tells the result\n"
    "/P\tinstalls showing only its progress\n/SHORTCUT=all, user or none\n\twhere the Start Menu shortcut "
    "goes\n/LOG=file\tadds what it does to the file (quote a path with spaces)\n/D=folder\tthe install "
    "folder; last, it takes the rest of the line\n/?\tthis list\n\nNothing was installed.";

struct MessageText {
    UINT Id;
    const char *Text;
};

inline constexpr MessageText MessageTexts[] = {
    { 202, "Can't register window class." },
    { 203, "Can't load icon." },
    { 204, "Can't load cursor." },
    { 205, "Can't create window." },
    { 206, "Can't get module handle." },
    { 208, "Can't allocate/re-allocate memory." },
    { 209, "Can't lock/unlock memory." },
    { 210, "Can't get setup program path." },
    { 211, "Can't set current folder." },
    { 212, "Can't copy file from setup folder." },
    { 213, "Can't create install directory." },
    { 214, "Invalid drive. Use the form C:\\." },
    { 215, "Path to install directory doesn't exist. Enter a vaild path." },
    { 216, "Could not access install directory. Try another." },
    { 217, "Invalid path specification. Can't have consecutive \\'s." },
    { 218, "Invalid Windows version detected. Windows 95, NT 3.5, or above required." },
    { 219, "Missing or altered LICENSE.TXT file. You need to have all unmodified setup files present for the "
           "setup program to work." },
    { 220, "Unable to modify registry. If you are using Windows NT, you must have the proper authority, else try "
           "rebooting." },
    { 221, "The setup files are damaged or were changed: %s. Get a fresh copy of the setup." },
    { 222, "Setup cannot run with a .local file or folder beside it, which would make Windows load other files in "
           "place of its own. Delete %s, or get a fresh copy of the setup." },
    { 223, "Brindlecast Setup is already running." },
    { 224, "Setup cannot use the folder %s: its name has characters this system lacks, and no short name. "
           "Choose another folder." },
    { 225, "Brindlecast is running. Close it, then press Retry.%s" },
    { 251, "Copying files..." },
    { 252, "Updating registry..." },
    { 253, SetupSwitchesText },
};

inline constexpr char SetupTitleText[] = "Brindlecast 1.26 Trial Setup";
inline constexpr char MoveSettingsQuestion[] =
    "Settings files were found while removing a previous installation of Brindlecast. "
    "Do you want Setup to move them to the new installation folder?";
inline constexpr char MoveSettingsFailed[] =
    "Setup could not move one or more settings files to the new Brindlecast installation folder! "
    "Setup will continue.";
inline constexpr char RemoveFolderFailed[] =
    "Setup could not remove a previous version's folder, possibly because it is not empty! "
    "Setup will continue.";

// A message's text with the file name the report puts in at its %s.
inline std::string WithName(const char *text, const std::string &name)
{
    std::string filled(text);
    size_t at = filled.find("%s");
    if (at != std::string::npos)
        filled.replace(at, 2, name);
    return filled;
}

// What an error box for a message number reads: its text (naming the file,
// for a message that names one), two carriage returns and the pointer to
// the readme.
inline constexpr char ReportSuffix[] = "\r\rSee the readme.txt file for additional help.";
inline std::string ExpectedReport(UINT id, const std::string &name = "")
{
    for (const MessageText &message : MessageTexts)
        if (message.Id == id)
            return WithName(message.Text, name) + ReportSuffix;
    return "(no text for message " + std::to_string(id) + ")";
}

#endif
