// The setup's message table as its users see it: the reference the tests
// hold the string table and the error boxes to.
#ifndef TESTS_MESSAGES_H
#define TESTS_MESSAGES_H

#include <windows.h>
#include <string>

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
    { 251, "Copying files..." },
    { 252, "Updating registry..." },
};

// What an error box for a message number reads: its text, two carriage
// returns and the pointer to the readme.
inline std::string ExpectedReport(UINT id)
{
    for (const MessageText &message : MessageTexts)
        if (message.Id == id)
            return std::string(message.Text) + "\r\rSee the readme.txt file for additional help.";
    return "(no text for message " + std::to_string(id) + ")";
}

#endif
