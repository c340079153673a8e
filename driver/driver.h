// The run's one state record, its fixed texts, and the routines of the driver.
#ifndef DRIVER_H
#define DRIVER_H

#include <windows.h>
#include "../resources/resource.h"

// The install-folder field takes 520 characters and at most 519 reach the
// folder; steps then append a backslash and a file name in place, and a
// settings file name may be as long as the platform allows. The room after
// the folder keeps the longest folder plus the longest name inside the buffer.
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
    BYTE StepMessageId;
    BYTE ShortcutChoice;
    char InstallPath[INSTALL_PATH_ROOM];
    LOGFONTA TitleFont;
};

extern SETUPSTATE SetupState;

extern const char SetupClassName[];
extern const char SetupTitle[];      // exactly SETUP_TITLE_LENGTH characters
#define SETUP_TITLE_LENGTH 28
extern const char ProductName[];
extern const char FallbackInstallDir[];
extern const char MakerName[];
extern const char VersionName[];

// Copies and appends without a C runtime; both return the end of the text.
char *CopyText(char *to, const char *from);
char *AppendText(char *to, const char *from);
// The last backslash of a text, or 0 when it has none.
char *LastBackslash(char *text);

void ReportFailure(HWND owner);
int CheckWindowsVersion(void);
int EnterSetupFolder(void);

extern "C" void WINAPI RunSetup(void);

#endif
