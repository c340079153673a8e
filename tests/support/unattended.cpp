// Runs watched for windows, logs read back, and an installation's state as text.
#include "unattended.h"
#include "gui.h"
#include "installation.h"
#include "sandbox.h"
#include <algorithm>
#include <shlobj.h>

WatchedRun RunWatched(const std::string &commandLine, const std::string &folder, DWORD timeout,
                      const std::function<void(const SetupRun &run, HWND window)> &look)
{
    return RunWatched(WideText(commandLine), folder, timeout, look);
}

WatchedRun RunWatched(const std::wstring &commandLine, const std::string &folder, DWORD timeout,
                      const std::function<void(const SetupRun &run, HWND window)> &look)
{
    WatchedRun watched = { -1, {} };
    SetupRun run = StartProgram(commandLine, folder);
    if (!run.Started)
        return watched;
    DWORD start = GetTickCount();
    // A look at its windows between each check of its end.
    while (WaitForSingleObject(run.Process.hProcess, 1) == WAIT_TIMEOUT && GetTickCount() - start < timeout)
        for (HWND window : WindowsOf(run)) {
            if (look)
                look(run, window);
            std::string kind = ClassOf(window);
            int page = PageOf(window);
            // The title as the window system keeps it (WindowText would wait
            // for the run's thread to answer).
            char title[256] = "";
            GetWindowTextA(window, title, sizeof title);
            if (kind.empty())
                continue;   // gone between the listing and the look
            std::string seen = kind + ": " + title;
            if (page)
                seen += " (page " + std::to_string(page) + ")";
            if (std::find(watched.Windows.begin(), watched.Windows.end(), seen) == watched.Windows.end())
                watched.Windows.push_back(seen);
        }
    watched.ExitCode = WaitForExit(run, 0);
    return watched;
}

std::vector<std::string> LogLines(const std::string &path)
{
    static const size_t Stamp = sizeof "2026-12-11 01:23:45 " - 1;
    std::vector<std::string> lines;
    std::string text = ReadBytes(path);
    for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(end - at >= Stamp ? text.substr(at + Stamp, end - at - Stamp) : text.substr(at, end - at));
    return lines;
}

bool HasLine(const std::vector<std::string> &lines, const std::string &line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string InstalledState(const std::string &folder)
{
    std::string state;
    for (const std::string &name : FilesIn(folder))
        state += "file " + name + ": " + ReadBytes(folder + "\\" + name) + "\n";
    for (const InstalledValue &value : InstalledValues(folder)) {
        RegValue read = ReadRegValue(value.Root, value.Key, value.Name);
        state += "value " + value.Key + "\\" + (value.Name ? value.Name : "") + ": " + std::to_string(read.Type) + " "
                 + read.Data + "\n";
    }
    for (const InstalledKey &key : InstalledKeys)
        state += std::string("key ") + key.Key + (KeyExists(key.Root, key.Key) ? ": there\n" : ": none\n");
    for (int csidl : { CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU }) {
        ShortcutInfo shortcut = ReadShortcut(csidl);
        state += "shortcut " + std::to_string(csidl) + ": " + (shortcut.Found ? shortcut.Target + " in "
                 + shortcut.WorkingDir + " " + shortcut.Description : "none") + "\n";
    }
    return state;
}
