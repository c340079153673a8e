// Setup.exe as deployment tools start it: with switches, watched for any
// window of its own until it ends, its log read back, and what an
// installation left on the machine put in one text for comparing runs.
#ifndef TESTS_UNATTENDED_H
#define TESTS_UNATTENDED_H

#include <functional>
#include <string>
#include <vector>
#include "pages.h"

struct WatchedRun {
    int ExitCode;                      // -1 when it did not end in time (it is then stopped)
    std::vector<std::string> Windows;  // every visible window it showed: "class: title", and "(page N)" for a page
};
// Starts the command line and looks at the run's windows until it ends;
// `look`, when given, is shown each of them at every look, before it is
// recorded. Nothing here asks the run's thread, so a run that is busy or
// held does not hold the watch up.
WatchedRun RunWatched(const std::string &commandLine, const std::string &folder = "", DWORD timeout = 60000,
                      const std::function<void(const SetupRun &run, HWND window)> &look = nullptr);
// A command line whose characters the code page may lack.
WatchedRun RunWatched(const std::wstring &commandLine, const std::string &folder = "", DWORD timeout = 60000,
                      const std::function<void(const SetupRun &run, HWND window)> &look = nullptr);

// The lines of a log without their time stamps ("2026-12-11 01:23:45 ").
std::vector<std::string> LogLines(const std::string &path);
bool HasLine(const std::vector<std::string> &lines, const std::string &line);

// The files of the folder with their bytes, every value and key the
// installation writes, and the shortcuts in both Start Menus, as text.
std::string InstalledState(const std::string &folder);

#endif
