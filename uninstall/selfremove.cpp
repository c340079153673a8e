// A running program cannot delete its own file: a copy in the temporary
// folder waits for the uninstaller to end, then deletes it and its folder,
// and is itself removed at the next restart.
#include "uninstall.h"

int MakeTempCopy(void)
{
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(sizeof folder, folder);

    if (length == 0 || length >= sizeof folder
        || !GetTempFileNameA(folder, TempCopyPrefix, 0, UninstallState.Copy))
        return 0;
    // The name is held by an empty file, which the copy replaces.
    if (!CopyFileA(UninstallState.Program, UninstallState.Copy, FALSE)) {
        DeleteFileA(UninstallState.Copy);
        UninstallState.Copy[0] = 0;
        return 0;
    }
    // A read-only uninstaller gives a read-only copy, which the restart would leave.
    ClearReadOnly(UninstallState.Copy);
    return 1;
}

typedef BOOL(WINAPI *MoveFileLaterCall)(LPCSTR, LPCSTR, DWORD);

// Windows NT keeps the list itself. The Windows 95 family reads it from
// wininit.ini, a line NUL=<short path> each; lines of other programs may be
// there already, so the section is read and written back whole.
void RemoveAtRestart(const char *path)
{
    static char section[4096];
    char file[MAX_PATH + sizeof RestartFile];
    DWORD length;
    char *end;

    if (UninstallState.PlatformId == VER_PLATFORM_WIN32_NT) {
        // Bound at run time: the loader of the Windows 95 family, which has
        // no such list, would refuse a program that imports it.
        MoveFileLaterCall moveLater = (MoveFileLaterCall)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                                                "MoveFileExA");
        if (moveLater)
            moveLater(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
        return;
    }
    length = GetWindowsDirectoryA(file, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    JoinPath(file, file, RestartFile);
    length = GetPrivateProfileSectionA(RestartSection, section, sizeof section, file);
    // A section too long to add to whole is left as it is.
    if (length + sizeof RestartDelete + MAX_PATH + 2 > sizeof section)
        return;
    end = CopyText(section + length, RestartDelete);
    length = GetShortPathNameA(path, end, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    // Each line ends in a zero, and the section in one more.
    end[length + 1] = 0;
    WritePrivateProfileSectionA(RestartSection, section, file);
}

void HandOverToCopy(void)
{
    static STARTUPINFOA startup;
    char command[3 * MAX_PATH + 32], folder[MAX_PATH];
    PROCESS_INFORMATION started;
    HANDLE self;

    RemoveAtRestart(UninstallState.Copy);
    // The copy inherits a handle of this process, by which it waits for its end.
    if (DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE, TRUE, 0)) {
        wsprintfA(command, "\"%s\" %s%lx %s", UninstallState.Copy, FinishSwitch, (DWORD)(UINT_PTR)self,
                  UninstallState.Program);
        // Started in the temporary folder, so that it holds no folder of the product.
        CopyText(folder, UninstallState.Copy);
        *LastBackslash(folder) = 0;
        startup.cb = sizeof startup;
        if (CreateProcessA(UninstallState.Copy, command, NULL, NULL, TRUE, 0, NULL, folder, &startup, &started)) {
            CloseHandle(started.hThread);
            CloseHandle(started.hProcess);
            return;
        }
        CloseHandle(self);
    }
    // Without the copy this program and its folder go at the next restart
    // instead; Windows NT then removes the folder if it is empty.
    DeleteFileA(UninstallState.Copy);
    RemoveAtRestart(UninstallState.Program);
    if (UninstallState.PlatformId == VER_PLATFORM_WIN32_NT)
        RemoveAtRestart(UninstallState.Folder);
}

static HANDLE ParseHandle(const char **text)
{
    UINT_PTR value = 0;
    const char *digit = *text;

    for (;; digit++) {
        char c = *digit | 0x20;
        if (c >= '0' && c <= '9')
            value = value * 16 + (c - '0');
        else if (c >= 'a' && c <= 'f')
            value = value * 16 + (c - 'a' + 10);
        else
            break;
    }
    *text = digit;
    return (HANDLE)value;
}

// The arguments are the handle of the uninstaller's process and its path.
void FinishRemoval(const char *arguments)
{
    char program[MAX_PATH];
    HANDLE original = ParseHandle(&arguments);
    char *cut;
    int tries;

    if (*arguments++ != ' ' || lstrlenA(arguments) >= MAX_PATH)
        return;
    CopyText(program, arguments);
    cut = LastBackslash(program);
    // Only ever an uninstaller of the product.
    if (!cut || lstrcmpiA(cut + 1, UninstallerFile) != 0)
        return;
    WaitForSingleObject(original, INFINITE);
    CloseHandle(original);
    ClearReadOnly(program);
    // The system may hold the file a moment after the process has ended.
    for (tries = 0; !DeleteFileA(program) && FileThere(program) && tries < 20; tries++)
        Sleep(250);
    if (FileThere(program))
        RemoveAtRestart(program);
    if (cut == program + 2)
        cut++;
    *cut = 0;
    // A folder that still holds files, the user's, stays. An empty one that
    // cannot go now, the current folder of some program, goes at the restart
    // on Windows NT.
    if (RemoveDirectoryA(program) || GetFileAttributesA(program) == INVALID_FILE_ATTRIBUTES
        || FolderHolds(program, NULL))
        return;
    if (UninstallState.PlatformId == VER_PLATFORM_WIN32_NT)
        RemoveAtRestart(program);
}
