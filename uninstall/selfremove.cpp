// A running program cannot delete its own file: a copy in a folder of its
// own in the temporary folder waits for the uninstaller to end, then deletes
// it and its folder, and is itself removed at the next restart.
#include "uninstall.h"

// The record beside the copy, in a buffer of MAX_PATH bytes: the copy's
// path with the record's name for the copy's.
static char *RecordPath(char *to, const char *copy)
{
    CopyText(FolderOf(to, copy, FOLDER_AND_BACKSLASH), TempCopyRecord);
    return to;
}

// The folder is new and no one else may write to it; still, nothing in it
// is written over: what this run makes, it makes new.
int MakeTempCopy(void)
{
    char record[MAX_PATH];
    DWORD length = lstrlenA(UninstallState.Program), written;
    HANDLE file;

    if (!MakeTempFolder(UninstallState.Copy))
        return 0;
    UninstallState.CopyMade = MADE_FOLDER;
    AppendText(AppendText(UninstallState.Copy, "\\"), TempCopyFile);
    if (CopyFileA(UninstallState.Program, UninstallState.Copy, TRUE)) {
        UninstallState.CopyMade |= MADE_COPY;
        // A read-only uninstaller gives a read-only copy, which the restart would leave.
        ClearReadOnly(UninstallState.Copy);
        // Held until it runs: nobody can write, rename or delete it meanwhile.
        UninstallState.CopyHeld =
            CreateFileA(UninstallState.Copy, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        // The copy acts for the uninstaller this record names, and for no other.
        file = CreateFileA(RecordPath(record, UninstallState.Copy), GENERIC_WRITE, 0, NULL, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            UninstallState.CopyMade |= MADE_RECORD;
            if (WriteFile(file, UninstallState.Program, length, &written, NULL) && written == length
                && UninstallState.CopyHeld != INVALID_HANDLE_VALUE) {
                CloseHandle(file);
                return 1;
            }
            CloseHandle(file);
        }
    }
    DropTempCopy();
    return 0;
}

void DropTempCopy(void)
{
    char path[MAX_PATH];

    if (UninstallState.CopyMade & MADE_COPY)
        CloseHandle(UninstallState.CopyHeld);
    if (UninstallState.CopyMade & MADE_RECORD)
        DeleteFileA(RecordPath(path, UninstallState.Copy));
    if (UninstallState.CopyMade & MADE_COPY)
        DeleteFileA(UninstallState.Copy);
    if (UninstallState.CopyMade & MADE_FOLDER) {
        FolderOf(path, UninstallState.Copy, FOLDER_ALONE);
        RemoveDirectoryA(path);
    }
    UninstallState.CopyMade = 0;
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
        MoveFileLaterCall moveLater = (MoveFileLaterCall)(void *)BoundFunction(CALL_MOVE_FILE_EX);
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

    // The copy inherits a handle of this process, by which it waits for its
    // end and reads that it has ended.
    if (DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                        SYNCHRONIZE | PROCESS_QUERY_INFORMATION, TRUE, 0)) {
        wsprintfA(command, "\"%s\" %s%lx %s", UninstallState.Copy, FinishSwitch, (DWORD)(UINT_PTR)self,
                  UninstallState.Program);
        // Started in its own folder, so that it holds no folder of the product.
        FolderOf(folder, UninstallState.Copy, FOLDER_ALONE);
        startup.cb = sizeof startup;
        if (CreateProcessA(UninstallState.Copy, command, NULL, NULL, TRUE, 0, NULL, folder, &startup, &started)) {
            // Running, its file is the system's to keep.
            CloseHandle(UninstallState.CopyHeld);
            CloseHandle(started.hThread);
            CloseHandle(started.hProcess);
            return;
        }
        CloseHandle(self);
    }
    // Without the copy this program and its folder go at the next restart
    // instead; Windows NT then removes the folder if it is empty.
    DropTempCopy();
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

// Whether the record beside this program names the path, byte for byte; in
// `own` this program's path.
static int RecordNames(char *own, const char *path)
{
    char record[MAX_PATH], *name;
    DWORD length = ProgramPath(own, MAX_PATH), read = 0;
    HANDLE file;

    // Only a copy in its own folder has a record beside it; the installed
    // uninstaller never acts on a finishing command line.
    if (length == 0 || !(name = LastBackslash(own)) || lstrcmpiA(name + 1, TempCopyFile) != 0)
        return 0;
    file = CreateFileA(RecordPath(record, own), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    length = ReadFile(file, record, sizeof record, &read, NULL) && read == (DWORD)lstrlenA(path);
    CloseHandle(file);
    while (length && read--)
        length = record[read] == path[read];
    return length;
}

// The original's file, and its folder when nothing else is left in it.
static void RemoveOriginal(char *program)
{
    int tries;

    ClearReadOnly(program);
    // The system may hold the file a moment after the process has ended.
    for (tries = 0; !DeleteFileA(program) && FileThere(program) && tries < 20; tries++)
        Sleep(250);
    if (FileThere(program))
        RemoveAtRestart(program);
    FolderOf(program, program, FOLDER_ALONE);
    // A folder that still holds files, the user's, stays. An empty one that
    // cannot go now, the current folder of some program, goes at the restart
    // on Windows NT.
    if (RemoveDirectoryA(program) || GetFileAttributesA(program) == INVALID_FILE_ATTRIBUTES
        || FolderHolds(program, NULL))
        return;
    if (UninstallState.PlatformId == VER_PLATFORM_WIN32_NT)
        RemoveAtRestart(program);
}

// The arguments are the handle of the uninstaller's process and its path.
// Acts only as the copy that uninstaller made and started, and only once it
// has ended: 0 when it was removed, 1 when nothing was done to it.
UINT FinishRemoval(const char *arguments)
{
    char own[MAX_PATH], program[MAX_PATH], record[MAX_PATH];
    HANDLE original = ParseHandle(&arguments);
    UINT result = 1;
    DWORD code;
    char *cut;

    if (*arguments++ != ' ' || lstrlenA(arguments) >= MAX_PATH || !RecordNames(own, arguments))
        return 1;
    CopyText(program, arguments);
    cut = LastBackslash(program);
    // A handle that is no process, this process's own, or a process that
    // runs on, ends the wait in time and removes nothing.
    if (cut && lstrcmpiA(cut + 1, UninstallerFile) == 0 && WaitForSingleObject(original, FINISH_WAIT) == WAIT_OBJECT_0
        && GetExitCodeProcess(original, &code)) {
        RemoveOriginal(program);
        result = 0;
    }
    // This program's own folder: the record goes now, the running file and
    // then the folder at the next restart; the Windows 95 family removes
    // only files then, and leaves the empty folder.
    DeleteFileA(RecordPath(record, own));
    RemoveAtRestart(own);
    FolderOf(own, own, FOLDER_ALONE);
    if (UninstallState.PlatformId == VER_PLATFORM_WIN32_NT)
        RemoveAtRestart(own);
    return result;
}
