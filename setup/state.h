// What only the setup's steps share: the run's one state record, the failure
// report, the setup folder and the licence's byte sum.
#ifndef SETUP_STATE_H
#define SETUP_STATE_H

#include <windows.h>
#include "../resources/resource.h"
#include "../common/product.h"
#include "../common/text.h"
#include "../common/log.h"

// The install-folder field takes 520 characters and at most 519 reach the
// folder. A path inside the folder is built in a buffer of the step that
// needs it, with room for the longest folder, a backslash and the longest
// name the platform allows (a settings file's name may be that long).
#define INSTALL_DIR_CHARS 520
#define INSTALL_PATH_ROOM (INSTALL_DIR_CHARS + 1 + MAX_PATH)

// The shipped License.txt's byte sum and size limit, AGREEMENT_SUM and
// AGREEMENT_MAX, are product facts (product.h): the build checks the file
// against them too.

enum { SHORTCUT_ALL_USERS, SHORTCUT_CURRENT_USER, SHORTCUT_NONE };
// With its pages (no switch, or only /D=, /SHORTCUT= and /LOG=), without
// any window (/S), or with the backdrop and the progress panel alone (/P).
enum { RUN_WITH_PAGES, RUN_QUIET, RUN_PASSIVE };

// Filled in the order of the run and kept until it ends.
struct SETUPSTATE {
    HINSTANCE Instance;              // the setup program: its pages, strings and icon
    HBRUSH BackdropBrush;            // the backdrop's navy, deleted when the run ends
    HWND BackdropWindow;             // owns the pages and the failure report; 0 until it exists
    HGLOBAL AgreementText;           // License.txt and a zero, movable, unlocked; 0 unless loaded
    const char *StepMessageInsert;   // what a failure's message names at its %s
    BYTE ShortcutChoice;             // SHORTCUT_ALL_USERS, SHORTCUT_CURRENT_USER or SHORTCUT_NONE
    BYTE RunMode;                    // RUN_WITH_PAGES, RUN_QUIET or RUN_PASSIVE
    BYTE GivenShortcut;              // /SHORTCUT= as 1 + SHORTCUT_*; 0 when not given
    BYTE FolderMade;                 // the install folder was made by this run
    char GivenFolder[INSTALL_DIR_CHARS];   // /D=, as it would be typed on the page; empty when not given
    // /D= as given, when the command line holds characters the code page
    // lacks (Windows NT); empty otherwise.
    WCHAR GivenWideFolder[INSTALL_DIR_CHARS];
    char InstallPath[INSTALL_DIR_CHARS];   // the install folder as typed on its page and checked there
    DWORD PlatformId;                // as Windows reports it; 0 when it could not be asked
    DWORD MajorVersion;              // likewise
    DWORD AgreementSize;             // License.txt's bytes, at most AGREEMENT_MAX
};

extern SETUPSTATE SetupState;

// A path inside the install folder, in a buffer of INSTALL_PATH_ROOM bytes.
char *InstallFolderPath(char *to, const char *name);

// Shows the message of that number in an error box, its %s naming
// StepMessageInsert, and logs it; a run without pages only logs it.
void ReportFailure(HWND owner, UINT message);
// A box of the setup's own, under its title, and logged; a run without
// pages only logs it and takes Yes, the answer that loses nothing.
int AskOrTell(HWND owner, const char *text, UINT type);

// The setup folder with its trailing backslash, in SETUP_FOLDER_ROOM bytes:
// with the longest shipped name after it (SETUP_NAME_CHARS), a path still
// fits the MAX_PATH bytes the file calls take. A deeper folder goes by its
// short form. Returns 0 when found, or the number of the message that says
// what failed; for IDS_NO_ANSI_FORM, StepMessageInsert names the folder as
// far as the code page can show it.
#define SETUP_NAME_CHARS 12
#define SETUP_PATH_ROOM MAX_PATH
#define SETUP_FOLDER_ROOM (SETUP_PATH_ROOM - SETUP_NAME_CHARS)
UINT FindSetupFolder(char *folder);

#endif
