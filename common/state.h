// The run's one state record, and what every step shares with it: the
// failure report and the setup folder made current.
#ifndef COMMON_STATE_H
#define COMMON_STATE_H

#include <windows.h>
#include "../resources/resource.h"
#include "product.h"
#include "text.h"

// The install-folder field takes 520 characters and at most 519 reach the
// folder. A path inside the folder is built in a buffer of the step that
// needs it, with room for the longest folder, a backslash and the longest
// name the platform allows (a settings file's name may be that long).
#define INSTALL_DIR_CHARS 520
#define INSTALL_PATH_ROOM (INSTALL_DIR_CHARS + 1 + MAX_PATH)

// Byte sum of the shipped License.txt; the build checks the file against it.
#define AGREEMENT_SUM 266842
#define AGREEMENT_MAX 4096

enum { SHORTCUT_ALL_USERS, SHORTCUT_CURRENT_USER, SHORTCUT_NONE };

struct SETUPSTATE {
    HBRUSH BackdropBrush;
    HINSTANCE Instance;
    HWND BackdropWindow;
    HWND ProgressWindow;
    DWORD PlatformId;
    DWORD MajorVersion;
    HGLOBAL AgreementText;
    DWORD AgreementSize;
    const char *StepMessageInsert;   // what a message with a %s names
    BYTE ShortcutChoice;
    char InstallPath[INSTALL_DIR_CHARS];
    LOGFONTA TitleFont;
};

extern SETUPSTATE SetupState;

// A path inside the install folder, in a buffer of INSTALL_PATH_ROOM bytes.
char *InstallFolderPath(char *to, const char *name);

// Shows the message of that number in an error box, its %s naming
// StepMessageInsert.
void ReportFailure(HWND owner, UINT message);
// The setup folder with its trailing backslash, in SETUP_FOLDER_ROOM bytes:
// with the longest shipped name after it (SETUP_NAME_CHARS), a path still
// fits the MAX_PATH bytes the file calls take. A deeper folder goes by its
// short form. Returns 0 when found, or the number of the message that says
// what failed.
#define SETUP_NAME_CHARS 12
#define SETUP_PATH_ROOM MAX_PATH
#define SETUP_FOLDER_ROOM (SETUP_PATH_ROOM - SETUP_NAME_CHARS)
UINT FindSetupFolder(char *folder);

#endif
