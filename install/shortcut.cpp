// Places the chosen Start Menu shortcut through the shell's link object.
#include "install.h"
#include "../common/shelllink.h"
#include "../common/system.h"

// The shortcut's target, working folder and description.
static int DescribeShortcut(IShellLinkA *link)
{
    char path[INSTALL_PATH_ROOM];

    // The working folder is the install folder with a trailing backslash.
    return SUCCEEDED(link->SetPath(InstallFolderPath(path, ProgramFile)))
           && SUCCEEDED(link->SetWorkingDirectory(InstallFolderPath(path, "")))
           && SUCCEEDED(link->SetDescription(ShortcutDescription));
}

static int SaveShortcut(const char *menuPath)
{
    char path[SHORTCUT_PATH_ROOM];
    int saved = WithShellLink(JoinPath(path, menuPath, ShortcutFile), LINK_WRITE, DescribeShortcut);

    if (saved)
        LogLine("Shortcut: %s", path);
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
