// The installation steps: everything that reads or changes files and the registry.
#ifndef INSTALL_H
#define INSTALL_H

#include "../setup/state.h"
#include "../common/keys.h"
#include "../common/productfiles.h"
#include "../common/folders.h"
#include "../common/sha256.h"

// The SHA-256 digest of each shipped file as the build staged it. Every
// setup folder's Setup.exe is linked with the table of its own folder.
struct SHIPPEDDIGEST {
    const char *File;
    BYTE Digest[SHA256_BYTES];
};
extern const SHIPPEDDIGEST ShippedDigests[COPIED_FILE_COUNT];

// Each step that can fail returns 0 when done, or the number of the message
// that says what failed; the caller shows it.
UINT LoadAgreementText(const char *setupFolder);

void DefaultInstallDir(void);
// The folder and shortcut the install-folder page starts with: those the
// command line gives, or the default folder and, on the NT family, the
// shortcut for all users, else the current user's.
void ProposeInstallDir(void);
BYTE ProposedShortcut(void);
// A run without pages takes them as the page would on Next.
UINT TakeProposedChoices(void);
// Checks the typed InstallPath and creates the folder when it is missing.
UINT PrepareInstallDir(void);
// On Windows NT, the install folder's true name in WIDE_PATH_CHARS wide
// characters when its ANSI form is another (a short form), and its length;
// 0 when the ANSI form is its name.
int TrueInstallFolder(WCHAR *to);

// The folder of an earlier installation that the registry records, in
// PREVIOUS_PATH_ROOM bytes; 0 when none is recorded from a drive's root.
#define PREVIOUS_PATH_ROOM (MAX_PATH + 1)
int FindPreviousInstall(char *oldPath);
// Tells whether a folder is the one this setup program runs from: its
// product files are then the setup's own and must not be deleted.
int IsSetupFolder(const char *folder);
// Never fails: what goes wrong is said in boxes of its own, and the setup
// goes on. While the journal runs, the earlier installation goes aside and
// its folder is removed only once the installation is done.
void RemovePreviousInstall(HWND owner);
// The installation is done: what went aside goes, and with it the earlier
// installation's folder, or a box says why that folder stays.
void CommitInstallation(HWND owner);
// Before anything changes: 1 when no product file that the run would delete
// or replace is in use. Otherwise the user may close the program and retry;
// 0 when the user cancels, or at once in a run without pages (the message's
// insert is then StepMessageInsert).
int ProductFilesFree(HWND owner);
UINT CopyProductFiles(const char *setupFolder);
// Any failure of the registry or the shortcut is the registry's message.
UINT WriteRegistryEntries(void);
UINT CreateStartMenuShortcut(HWND owner);

#endif
