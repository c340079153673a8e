// Places the chosen Start Menu shortcut through the shell's link object.
#include "install.h"
#include "../common/shelllink.h"
#include "../common/system.h"
#include "../common/widefiles.h"
#include "../common/journal.h"

// A folder taken by its short form is named by its true name, through the
// link's wide interface: a short name may change, and the shortcut's
// properties would show the user a name that is not the folder's.
static int DescribeByTrueFolder(IShellLinkA *link, WCHAR *path, int length)
{
    IShellLinkW *wide;
    int described;

    if (FAILED(link->QueryInterface(WideShellLinkInterface, (void **)&wide)))
        return 0;
    path[length] = L'\\';
    path[length + 1] = 0;
    described = SUCCEEDED(wide->SetWorkingDirectory(path))
                && (CopyAsciiText(path + length + 1, ProgramFile), SUCCEEDED(wide->SetPath(path)));
    wide->Release();
    return described;
}

// The shortcut's target, working folder and description.
static int DescribeShortcut(IShellLinkA *link)
{
    // The true folder, a backslash and the program's name.
    WCHAR trueFolder[WIDE_PATH_CHARS + 1 + sizeof ProgramFile];
    char path[INSTALL_PATH_ROOM];
    int length = TrueInstallFolder(trueFolder);

    // The working folder is the install folder with a trailing backslash.
    return (length ? DescribeByTrueFolder(link, trueFolder, length)
                   : SUCCEEDED(link->SetPath(InstallFolderPath(path, ProgramFile)))
                         && SUCCEEDED(link->SetWorkingDirectory(InstallFolderPath(path, ""))))
           && SUCCEEDED(link->SetDescription(ShortcutDescription));
}

static int SaveShortcut(const char *menuPath)
{
    char path[SHORTCUT_PATH_ROOM];
    // An earlier shortcut goes aside, to come back if the installation fails.
    int saved = SetAside(JoinPath(path, menuPath, ShortcutFile)) && NoteMade(path)
                && WithShellLink(path, LINK_WRITE, DescribeShortcut);

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
