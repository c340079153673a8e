// Places the chosen Start Menu shortcut through the shell's link object.
#include "install.h"
#include <shlobj.h>

static const GUID ShellLinkClass = { 0x00021401, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
static const GUID ShellLinkInterface = { 0x000214EE, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
static const GUID PersistFileInterface = { 0x0000010B, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };

static const char ShortcutName[] = "\\Brindlecast.lnk";

// The folder the shell reports has at most MAX_PATH characters; the room
// after it keeps the shortcut's name inside the buffer.
#define MENU_PATH_ROOM (MAX_PATH + sizeof ShortcutName)

static int FindStartMenu(HWND owner, char *menuPath)
{
    int folder = SetupState.ShortcutChoice == SHORTCUT_ALL_USERS ? CSIDL_COMMON_STARTMENU : CSIDL_STARTMENU;
    LPITEMIDLIST list = NULL;
    IMalloc *allocator;
    int found;

    if (FAILED(SHGetSpecialFolderLocation(owner, folder, &list)) || !list)
        return 0;
    found = SHGetPathFromIDListA(list, menuPath);
    if (SUCCEEDED(SHGetMalloc(&allocator))) {
        allocator->Free(list);
        allocator->Release();
    }
    return found;
}

static int SaveShortcut(char *menuPath)
{
    WCHAR widePath[MENU_PATH_ROOM];
    IShellLinkA *link;
    IPersistFile *file;
    int saved;

    if (FAILED(CoCreateInstance(ShellLinkClass, NULL, CLSCTX_INPROC_SERVER, ShellLinkInterface, (void **)&link)))
        return 0;
    if (FAILED(link->SetPath(SetupState.InstallPath))) {
        link->Release();
        return 0;
    }
    // The working folder is the install folder with its trailing backslash.
    LastBackslash(SetupState.InstallPath)[1] = 0;
    if (FAILED(link->SetWorkingDirectory(SetupState.InstallPath))
        || FAILED(link->SetDescription("Shortcut to Tessel.exe"))
        || FAILED(link->QueryInterface(PersistFileInterface, (void **)&file))) {
        link->Release();
        return 0;
    }
    AppendText(menuPath, ShortcutName);
    MultiByteToWideChar(CP_ACP, 0, menuPath, -1, widePath, MENU_PATH_ROOM);
    saved = SUCCEEDED(file->Save(widePath, TRUE));
    file->Release();
    link->Release();
    return saved;
}

int CreateStartMenuShortcut(HWND owner)
{
    char menuPath[MENU_PATH_ROOM];
    int saved;

    if (SetupState.ShortcutChoice == SHORTCUT_NONE)
        return 1;
    if (!FindStartMenu(owner, menuPath))
        return 0;
    // A component system that was already started on this thread counts as a failure.
    if (CoInitialize(NULL) != S_OK)
        return 0;
    saved = SaveShortcut(menuPath);
    CoUninitialize();
    return saved;
}
