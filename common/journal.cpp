// Writes an installation's journal before each change, and undoes the changes or makes them final.
#include "journal.h"
#include "keysave.h"
#include "keys.h"
#include "product.h"
#include "productfiles.h"
#include "text.h"
#include "widefiles.h"
#include "log.h"

// The file starts with the mark and the format; a journal of another format,
// a later program's, is left alone.
static const DWORD JournalMark = 0x4A6E4342;   // "BCnJ"
static const DWORD JournalFormat = 1;
// The records, each its kind, its size and its texts. A record cut off by
// a power cut was never acted on, and ends the journal where it starts.
enum {
    RECORD_FOLDER_MADE,   // the install folder: removed last
    RECORD_KEYS,          // the registry keys as they were
    RECORD_MADE,          // a file made: deleted
    RECORD_ASIDE,         // a file renamed aside: it comes back
    RECORD_MOVED,         // a file moved, from and to: moved back
    RECORD_MOVED_WIDE,    // the same by wide names
    RECORD_LEAVE,         // a folder to remove once done
    RECORD_DONE,          // the run is done: only what makes it final is left
};
struct RECORDHEAD {
    DWORD Kind, Size;
};
// A size no record has: a record whose size is written after it.
#define SIZE_UNKNOWN 0xFFFFFFFF
// Each record takes a multiple of four bytes.
#define RECORD_ALIGN 4

// The journal of this run while it is written; File is 0 without one.
static struct {
    HANDLE File;
    char Path[JOURNAL_PATH_ROOM];
    // While a run cut off is settled: the program that settles it, which
    // Windows lets neither be deleted nor replaced while it runs, and
    // whether it is a file that run made.
    const char *Running;
    int RunningMade;
    int FolderStayed;   // a folder to remove once done had to stay
} Journal;

static int Flushed(HANDLE file, const void *bytes, DWORD size)
{
    DWORD written;

    return WriteFile(file, bytes, size, &written, NULL) && written == size && FlushFileBuffers(file);
}

// A record of one or two texts, ANSI or wide by `unit`, on disk before the
// change. Static: two wide paths would take most of a stack frame.
static int WriteRecord(DWORD kind, const void *first, const void *second, int unit)
{
    static BYTE record[sizeof(RECORDHEAD) + 2 * JOURNAL_TEXT_ROOM * sizeof(WCHAR) + RECORD_ALIGN];
    RECORDHEAD *head = (RECORDHEAD *)record;
    BYTE *at = record + sizeof *head;
    const void *texts[] = { first, second };

    for (const void *text : texts) {
        if (!text)
            continue;
        int length = unit == 1 ? lstrlenA((const char *)text) : lstrlenW((const WCHAR *)text);
        if (length >= JOURNAL_TEXT_ROOM)
            return 0;
        for (int i = 0; i < (length + 1) * unit; i++)
            *at++ = ((const BYTE *)text)[i];
    }
    while ((at - record) % RECORD_ALIGN)
        *at++ = 0;
    head->Kind = kind;
    head->Size = (DWORD)(at - record - sizeof *head);
    return Flushed(Journal.File, record, (DWORD)(at - record));
}

int NoteMade(const char *path)
{
    return !Journal.File || WriteRecord(RECORD_MADE, path, 0, 1);
}

int NoteMoved(const char *from, const char *to)
{
    return !Journal.File || WriteRecord(RECORD_MOVED, from, to, 1);
}

int NoteMovedWide(const WCHAR *from, const WCHAR *to)
{
    return !Journal.File || WriteRecord(RECORD_MOVED_WIDE, from, to, sizeof(WCHAR));
}

// The name a file goes aside by, in ASIDE_ROOM bytes.
#define ASIDE_ROOM (JOURNAL_TEXT_ROOM + sizeof AsideSuffix)
static char *AsideName(char *to, const char *path)
{
    CopyText(CopyText(to, path), AsideSuffix);
    return to;
}

// No file there: nothing, or a folder, which is nobody's to move or delete.
static int NoFileAt(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);

    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int SetAside(const char *path)
{
    char aside[ASIDE_ROOM];

    if (NoFileAt(path))
        return 1;
    if (!Journal.File)
        return DiscardFile(path);
    // A file under the aside name is not this run's to bring back.
    if (!NoFileAt(AsideName(aside, path)) || !WriteRecord(RECORD_ASIDE, path, 0, 1) || !MoveFileA(path, aside))
        return 0;
    LogLine("Set aside %s", path);
    return 1;
}

static int RemoveFolder(const char *folder)
{
    if (!RemoveDirectoryA(folder))
        return 0;
    LogLine("Removed the folder %s", folder);
    return 1;
}

int LeaveFolder(const char *folder)
{
    if (Journal.File)
        return WriteRecord(RECORD_LEAVE, folder, 0, 1);
    return RemoveFolder(folder);
}

// The journal of a run in progress is named in a key that every Windows
// has: one of the product's own would have to be made first, and its mere
// existence tells of an earlier installation.
static int OpenJournalKey(REGSAM access, HKEY *key)
{
    char path[CURRENT_VERSION_ROOM];

    CurrentVersionPath(path, 0, 0);
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, key) == ERROR_SUCCESS;
}

static void ForgetJournal(void)
{
    HKEY key;

    if (OpenJournalKey(KEY_SET_VALUE, &key)) {
        RegDeleteValueA(key, JournalValue);
        RegCloseKey(key);
    }
}

int BeginJournal(const char *folder, int folderMade, DWORD platformId, DWORD majorVersion)
{
    const DWORD head[] = { JournalMark, JournalFormat };
    RECORDHEAD keys = { RECORD_KEYS, SIZE_UNKNOWN };
    const BYTE zeros[RECORD_ALIGN] = { 0 };
    DWORD start, end, written;
    HANDLE file;
    HKEY key;
    int failure = JOURNAL_FILE_FAILED;

    if (lstrlenA(folder) + 1 + (int)sizeof JournalFile > JOURNAL_PATH_ROOM)
        return failure;
    JoinPath(Journal.Path, folder, JournalFile);
    // A journal that is there already was not this program's to finish.
    file = CreateFileA(Journal.Path, GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return failure;
    Journal.File = file;
    // The keys' record gets its size once they are written.
    if (Flushed(file, head, sizeof head) && (!folderMade || WriteRecord(RECORD_FOLDER_MADE, folder, 0, 1))
        && (start = SetFilePointer(file, 0, NULL, FILE_CURRENT)) != INVALID_SET_FILE_POINTER
        && Flushed(file, &keys, sizeof keys)) {
        failure = JOURNAL_REGISTRY_FAILED;
        if (SaveTouchedKeys(file, platformId, majorVersion)
            && (end = SetFilePointer(file, 0, NULL, FILE_CURRENT)) != INVALID_SET_FILE_POINTER
            && WriteFile(file, zeros, (RECORD_ALIGN - end % RECORD_ALIGN) % RECORD_ALIGN, &written, NULL)
            && (end += written, keys.Size = end - start - sizeof keys, SetFilePointer(file, start, NULL, FILE_BEGIN) == start)
            && Flushed(file, &keys, sizeof keys) && SetFilePointer(file, 0, NULL, FILE_END) == end
            && OpenJournalKey(KEY_SET_VALUE, &key)) {
            if (RegSetValueExA(key, JournalValue, 0, REG_SZ, (const BYTE *)Journal.Path, lstrlenA(Journal.Path) + 1)
                == ERROR_SUCCESS)
                failure = JOURNAL_BEGUN;
            RegCloseKey(key);
        }
    }
    if (failure) {
        UndoJournal();
        return failure;
    }
    LogLine("Journal: %s", Journal.Path);
    return JOURNAL_BEGUN;
}

static BYTE *ReadWhole(HANDLE file, DWORD *size)
{
    BYTE *bytes;
    DWORD read;

    *size = GetFileSize(file, NULL);
    if (*size == INVALID_FILE_SIZE || SetFilePointer(file, 0, NULL, FILE_BEGIN) != 0
        || (bytes = (BYTE *)GlobalAlloc(GMEM_FIXED, *size + 1)) == NULL)
        return 0;
    if (ReadFile(file, bytes, *size, &read, NULL) && read == *size)
        return bytes;
    GlobalFree(bytes);
    return 0;
}

// The record after the one at `at` (the first after the mark and format
// for 0); 0 at the journal's end, or where a record was cut off or its
// texts do not end within it and within JOURNAL_TEXT_ROOM characters each.
static DWORD NextRecord(const BYTE *bytes, DWORD size, DWORD at)
{
    const RECORDHEAD *head;
    DWORD needed, unit, length = 0;

    if (at == 0)
        return size < 2 * sizeof(DWORD) ? 0 : 2 * sizeof(DWORD);
    head = (const RECORDHEAD *)(bytes + at);
    if (size - at < sizeof *head || head->Size > size - at - sizeof *head)
        return 0;
    needed = head->Kind == RECORD_KEYS || head->Kind == RECORD_DONE ? 0
             : head->Kind == RECORD_MOVED || head->Kind == RECORD_MOVED_WIDE ? 2 : 1;
    unit = head->Kind == RECORD_MOVED_WIDE ? sizeof(WCHAR) : 1;
    for (const BYTE *text = (const BYTE *)(head + 1), *end = text + head->Size;
         needed && text + unit <= end && length < JOURNAL_TEXT_ROOM; text += unit, length++)
        if (text[0] == 0 && (unit == 1 || text[1] == 0))
            needed--, length = (DWORD)-1;
    return needed ? 0 : at + sizeof *head + head->Size;
}

// The second text of a record: after the first one's terminator.
static const void *SecondText(const void *first, int unit)
{
    if (unit == 1)
        return (const char *)first + lstrlenA((const char *)first) + 1;
    return (const WCHAR *)first + lstrlenW((const WCHAR *)first) + 1;
}

// After a move back failed: 1 when there was nothing to move back, the file
// gone from where it was moved to, or one in the place it came from.
static int MovedBack(void)
{
    DWORD error = GetLastError();

    return error == ERROR_FILE_NOT_FOUND || error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
}

// 1 when the change is undone; each undo may be done again, should the
// one before have been cut off.
static int UndoRecord(const RECORDHEAD *head)
{
    char aside[ASIDE_ROOM];
    const char *path = (const char *)(head + 1);
    WIDEFILECALLS calls;

    switch (head->Kind) {
    case RECORD_KEYS:
        RestoreKeys((const BYTE *)path, head->Size);
        return 1;
    case RECORD_MADE:
        if (Journal.Running && lstrcmpiA(path, Journal.Running) == 0)
            return Journal.RunningMade = 1;
        return NoFileAt(path) || DiscardFile(path);
    case RECORD_ASIDE:
        // Only while the file is aside: once back, it stays. The running
        // program stays in the place of its earlier copy, the same product's.
        if (Journal.Running && lstrcmpiA(path, Journal.Running) == 0)
            return NoFileAt(AsideName(aside, path)) || DiscardFile(aside);
        return NoFileAt(AsideName(aside, path)) || ((NoFileAt(path) || DiscardFile(path)) && MoveFileA(aside, path));
    // A move that was never made (a file of that name was there already),
    // or was moved back, has nothing to move.
    case RECORD_MOVED:
        return MoveFileA((const char *)SecondText(path, 1), path) || MovedBack();
    case RECORD_MOVED_WIDE:
        return BindWideFileCalls(&calls)
               && (calls.Move((const WCHAR *)SecondText(path, sizeof(WCHAR)), (const WCHAR *)path) || MovedBack());
    }
    return 1;
}

// Undoes the records from the last to the first, cutting each off the file
// once undone, so that an undo cut off in its turn goes on from there the
// next time. 0 when a change could not be undone (a file held open): the
// journal stays for a later run.
static int Unwind(HANDLE file, BYTE *bytes, DWORD size)
{
    DWORD at, next, last;

    for (;;) {
        for (last = 0, at = NextRecord(bytes, size, 0); at && (next = NextRecord(bytes, size, at)) != 0; at = next)
            last = at;
        const RECORDHEAD *head = (const RECORDHEAD *)(bytes + last);
        if (!last || head->Kind == RECORD_FOLDER_MADE)
            return 1;
        if (!UndoRecord(head))
            return 0;
        size = last;
        if (SetFilePointer(file, last, NULL, FILE_BEGIN) == last && SetEndOfFile(file))
            FlushFileBuffers(file);
    }
}

// Deletes what was set aside and removes the folders left. A folder that
// holds anything else stays: that was told when the run was done.
static void Finish(const BYTE *bytes, DWORD size)
{
    char aside[ASIDE_ROOM];
    DWORD at;

    for (at = NextRecord(bytes, size, 0); at && NextRecord(bytes, size, at); at = NextRecord(bytes, size, at)) {
        const RECORDHEAD *head = (const RECORDHEAD *)(bytes + at);
        const char *path = (const char *)(head + 1);
        if (head->Kind == RECORD_ASIDE)
            DiscardFile(AsideName(aside, path));
        else if (head->Kind == RECORD_LEAVE && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES
                 && !LeaveFolder(path))
            Journal.FolderStayed = 1;
    }
}

// Settles the journal open in `file`: made final when the run was done,
// else undone; then deletes it and, undone, the folder the run made. 0
// when a change could not be undone: the journal stays.
static int Settle(HANDLE file, const char *path, int done)
{
    char madeFolder[JOURNAL_TEXT_ROOM];
    DWORD size, at;
    BYTE *bytes = ReadWhole(file, &size);
    int settled = 1;

    madeFolder[0] = 0;
    if (bytes) {
        for (at = NextRecord(bytes, size, 0); at && NextRecord(bytes, size, at); at = NextRecord(bytes, size, at)) {
            const RECORDHEAD *head = (const RECORDHEAD *)(bytes + at);
            if (head->Kind == RECORD_DONE)
                done = 1;
            else if (head->Kind == RECORD_FOLDER_MADE)
                CopyText(madeFolder, (const char *)(head + 1));
        }
        if (done)
            Finish(bytes, size);
        else
            settled = Unwind(file, bytes, size);
        GlobalFree(bytes);
    }
    CloseHandle(file);
    if (!done && !settled) {
        LogLine("Not undone whole: %s stays", path);
        return 0;
    }
    ForgetJournal();
    DeleteFileA(path);
    if (!done && madeFolder[0])
        RemoveMadeFolder(madeFolder);
    return settled;
}

void RemoveMadeFolder(const char *folder)
{
    char parent[JOURNAL_TEXT_ROOM];

    // No folder can be removed while it is a process's current folder.
    if (FolderOf(parent, folder, FOLDER_AND_BACKSLASH))
        SetCurrentDirectoryA(parent);
    RemoveFolder(folder);
}

void UndoJournal(void)
{
    if (!Journal.File)
        return;
    LogLine("Undoing the installation");
    Settle(Journal.File, Journal.Path, 0);
    Journal.File = 0;
}

int CommitJournal(void)
{
    const RECORDHEAD done = { RECORD_DONE, 0 };
    HANDLE file = Journal.File;

    if (!file)
        return 1;
    // From here on a cut-off run is finished, not undone.
    Flushed(file, &done, sizeof done);
    Journal.File = 0;
    Journal.FolderStayed = 0;
    Settle(file, Journal.Path, 1);
    return !Journal.FolderStayed;
}

// A journal this program can settle: its mark and format, or one cut off
// before they were written.
static int Recover(const char *path, int named)
{
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    DWORD head[2], read;

    if (file == INVALID_HANDLE_VALUE) {
        // The registry names a journal that is gone: the run was settled.
        if (named && GetLastError() == ERROR_FILE_NOT_FOUND)
            ForgetJournal();
        return 1;
    }
    if (!ReadFile(file, head, sizeof head, &read, NULL)
        || (read == sizeof head && (head[0] != JournalMark || head[1] != JournalFormat))) {
        LogLine("Left as it is: %s", path);
        CloseHandle(file);
        return 1;
    }
    LogLine("Settling the run cut off: %s", path);
    return Settle(file, path, 0);
}

int RecoverJournal(const char *folder, const char *running)
{
    char path[JOURNAL_PATH_ROOM];
    HKEY key;
    int named = 0, settled = 1;

    Journal.Running = running;
    Journal.RunningMade = 0;
    if (OpenJournalKey(KEY_QUERY_VALUE, &key)) {
        named = ReadKeyPath(key, JournalValue, path, sizeof path);
        RegCloseKey(key);
    }
    if (named)
        settled = Recover(path, 1);
    if (folder && lstrlenA(folder) + 1 + (int)sizeof JournalFile <= JOURNAL_PATH_ROOM)
        settled &= Recover(JoinPath(path, folder, JournalFile), 0);
    Journal.Running = 0;
    return !settled ? RECOVERY_UNSETTLED : Journal.RunningMade ? RECOVERY_RUNNING_LEFT : RECOVERY_SETTLED;
}
