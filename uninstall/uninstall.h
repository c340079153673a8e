// The uninstaller's state record and its steps, each in a file of its own.
#ifndef UNINSTALL_H
#define UNINSTALL_H

#include "../common/product.h"
#include "../common/text.h"
#include "../common/folders.h"
#include "../common/keys.h"
#include "../common/productfiles.h"
#include "../common/system.h"
#include "../common/widefiles.h"
#include "../common/command.h"
#include "../common/log.h"
#include "../common/onerun.h"
#include "../common/journal.h"
#include "resource.h"

// What could not be removed, a line each; what does not fit is cut off with "...".
#define REMAINING_ROOM 640
// A path inside the folder: the folder, a backslash and a name.
#define FOLDER_PATH_ROOM (MAX_PATH + 1 + MAX_PATH)
// A key below HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion.
#define KEY_PATH_ROOM 128
// The temporary copy's folder: random bytes in its name, and how many names
// are tried before the copy is given up.
#define TEMP_NAME_BYTES 8
#define TEMP_FOLDER_TRIES 8
// How long the copy waits for the uninstaller to end, in milliseconds: the
// uninstaller ends right after starting it, so only a forged start waits so long.
#define FINISH_WAIT 30000
// What of the temporary copy this run made, and so removes when it is not used.
enum { MADE_FOLDER = 1, MADE_COPY = 2, MADE_RECORD = 4 };

struct UNINSTALLSTATE {
    HINSTANCE Instance;
    DWORD PlatformId;
    DWORD MajorVersion;
    BYTE MessageId;          // the text of a failure that ends the run
    BYTE Quiet;              // no question and no box: the exit code tells
    BYTE RecordedHere;       // the App Paths entry names this folder
    BYTE EntryHere;          // the uninstall entry names a program in this folder
    BYTE OtherInstallation;  // the App Paths entry names another folder: the registry stays
    BYTE UserFilesLeft;      // files that Setup did not install keep the folder
    BYTE RemainingCut;
    BYTE CopyMade;           // MADE_* of the temporary copy
    HANDLE CopyHeld;         // the copy, open so that nobody else can change it until it runs
    char Program[MAX_PATH];  // this program's path
    char Folder[MAX_PATH];   // the folder it runs from; a drive root keeps its backslash
    char Copy[MAX_PATH];     // its copy, in a folder of its own in the temporary folder
    char Remaining[REMAINING_ROOM];
};

extern UNINSTALLSTATE UninstallState;

// uninstall.cpp: the removal as the user starts it; returns the exit code,
// 0 when nothing of the product is left, 1 otherwise.
UINT Uninstall(void);

// messages.cpp
int Say(UINT id, UINT type, const char *insert);
void NoteRemaining(const char *first, const char *second);

// location.cpp
// Appends a backslash and a name to a path at its end; returns the new end.
char *AddName(char *end, const char *name);
int ReadString(HKEY root, const char *path, const char *value, char *to, DWORD room);
int InOwnFolder(const char *file);
int FileThere(const char *path);
int LocateInstallation(void);
int IsInstalled(void);

// inuse.cpp: 1 when no product file of the folder is in use; otherwise the
// user may close its program and retry, and 0 when the user cancels, or at
// once in a quiet run.
int ProductFilesFree(void);

// files.cpp, shortcuts.cpp, registry.cpp
int FolderHolds(const char *folder, const char *except);
void RemoveProductFiles(void);
void RemoveShortcuts(void);
void RemoveRegistryEntries(void);
void RemoveInstallationRecord(void);

// tempfolder.cpp: a new folder in the temporary folder that only SYSTEM and
// Administrators (and the user, when not elevated) may change, its path in
// a buffer of MAX_PATH bytes; 0 when none could be made.
int MakeTempFolder(char *folder);

// selfremove.cpp
int MakeTempCopy(void);
void DropTempCopy(void);
void RemoveAtRestart(const char *path);
void HandOverToCopy(void);
UINT FinishRemoval(const char *arguments);

#endif
