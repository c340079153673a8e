// The journal of an installation in progress: every change is written down
// on disk before it is made, so that a failure undoes the run, and a run
// cut off by a killed process or a power cut is undone by the next run of
// the setup or of the uninstaller.
#ifndef COMMON_JOURNAL_H
#define COMMON_JOURNAL_H

#include <windows.h>

// A journal's path: a folder of up to the install folder's 519 characters,
// a backslash and its name.
#define JOURNAL_PATH_ROOM (2 * MAX_PATH + 16)
// The longest path a record holds, in ANSI or wide characters with its
// terminator: one in the longest install folder (INSTALL_PATH_ROOM).
#define JOURNAL_TEXT_ROOM (3 * MAX_PATH + 2)

// Starts the journal in the install folder, with the registry keys the run
// may change saved whole, and names it in the registry. `folderMade` says
// that this run made the folder, which an undo then removes. Returns 0 when
// begun; otherwise nothing was changed, and it tells what failed: the
// journal's file, or the registry (a key that cannot be read or the name
// that cannot be written).
enum { JOURNAL_BEGUN, JOURNAL_FILE_FAILED, JOURNAL_REGISTRY_FAILED };
int BeginJournal(const char *folder, int folderMade, DWORD platformId, DWORD majorVersion);

// Each of these writes its record before the change is made; without a
// journal (a step run on its own) a change is final at once. 0 when the
// record could not be written, and the change must not be made.
// A file made where none was.
int NoteMade(const char *path);
// A file the run moves, by its ANSI or, on Windows NT, its wide names.
int NoteMoved(const char *from, const char *to);
int NoteMovedWide(const WCHAR *from, const WCHAR *to);
// A file that the run replaces or removes goes aside, by its name and
// AsideSuffix, until the run is done; without a journal it is deleted.
// 1 when it is aside, gone, or was not there.
int SetAside(const char *path);
// An earlier installation's folder, removed once the run is done; without a
// journal at once. 0 when it had to stay: it is not empty.
int LeaveFolder(const char *folder);

// Removes a folder the run made, when it is empty.
void RemoveMadeFolder(const char *folder);
// Puts everything back in reverse order and deletes the journal.
void UndoJournal(void);
// Makes the run final: what was set aside is deleted, the folders left are
// removed. 0 when such a folder had to stay.
int CommitJournal(void);

// Before a run changes anything: finishes the run the registry names as in
// progress, and one whose journal is in `folder` (may be 0), by undoing
// it, or by making it final when it was done. A journal of another format
// is left as it is. `running` (may be 0) is the program that calls it,
// when that run may have made or replaced it: it stays where it is, and an
// earlier copy of it set aside is deleted. Tells whether a journal stays,
// a change that could not be undone (a file held open) left for a later
// run, or whether the program running was a file that run made.
enum { RECOVERY_UNSETTLED, RECOVERY_SETTLED, RECOVERY_RUNNING_LEFT };
int RecoverJournal(const char *folder, const char *running);

#endif
