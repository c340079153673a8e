// Places the chosen Start Menu shortcut through the shell's link object.
#include "install.h"
#include "../common/shelllink.h"
#include "../common/system.h"
#include <shlobj.h>

// The folder the shell reports has at most MAX_PATH characters; the room
// after it keeps a backslash and the shortcut's name inside the buffer.
#define MENU_PATH_ROOM (MAX_PATH + 1 + sizeof ShortcutFile)

static int SaveShortcut(const char *menuPath)
{
    char path[INSTALL_PATH_ROOM];
    WCHAR widePath[MENU_PATH_ROOM];
    IShellLinkA *link;
    IPersistFile *file;
    int saved;

    if (FAILED(CoCreateInstance(ShellLinkClass, NULL, CLSCTX_INPROC_SERVER, ShellLinkInterface, (void **)&link)))
        return 0;
    // The working folder is the install folder with a trailing backslash.
    if (FAILED(link->SetPath(InstallFolderPath(path, ProgramFile)))
        || FAILED(link->SetWorkingDirectory(InstallFolderPath(path, "")))
        || FAILED(link->SetDescription(ShortcutDescription))
        || FAILED(link->QueryInterface(PersistFileInterface, (void **)&file))) {
        link->Release();
        return 0;
    }
    MultiByteToWideChar(CP_ACP, 0, JoinPath(path, menuPath, ShortcutFile), -1, widePath, MENU_PATH_ROOM);
    saved = SUCCEEDED(file->Save(widePath, TRUE));
    if (saved)
        LogLine("Shortcut: %s", path);
    file->Release();
    link->Release();
    return saved;
}

// Every failure here is told as the registry's: the user hears of one step.
UINT CreateStartMenuShortcut(HWND owner)
{
    char menuPath[MAX_PATH];
    int saved;

    if (SetupState.ShortcutChoice == SHORTCUT_NONE)
        return 0;
    if (!FindSpecialFolder(owner,
                           SetupState.ShortcutChoice == SHORTCUT_ALL_USERS ? CSIDL_COMMON_STARTMENU : CSIDL_STARTMENU,
                           menuPath))
        return IDS_REGISTRY_FAILED;
    // A component system that was already started on this thread counts as a failure.
    if (CoInitialize(NULL) != S_OK)
        return IDS_REGISTRY_FAILED;
    saved = SaveShortcut(menuPath);
    CoUninitialize();
    return saved ? 0 : IDS_REGISTRY_FAILED;
}
