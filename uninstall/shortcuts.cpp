// Removes the product's Start Menu shortcuts, of all users and of the
// current user, where they point into the folder.
#include "uninstall.h"
#include "../common/shelllink.h"
#include <shlobj.h>

static const int StartMenus[] = { CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU };

#define SHORTCUT_PATH_ROOM (MAX_PATH + 1 + sizeof ShortcutFile)

// Reads the shortcut's target through the shell's link object. A shortcut
// that cannot be read is nobody's to remove.
static int PointsIntoFolder(const char *shortcut)
{
    WCHAR wide[SHORTCUT_PATH_ROOM];
    char target[MAX_PATH];
    IShellLinkA *link;
    IPersistFile *file;
    int ours = 0;

    if (FAILED(CoCreateInstance(ShellLinkClass, NULL, CLSCTX_INPROC_SERVER, ShellLinkInterface, (void **)&link)))
        return 0;
    if (SUCCEEDED(link->QueryInterface(PersistFileInterface, (void **)&file))) {
        MultiByteToWideChar(CP_ACP, 0, shortcut, -1, wide, SHORTCUT_PATH_ROOM);
        if (SUCCEEDED(file->Load(wide, STGM_READ))
            && SUCCEEDED(link->GetPath(target, sizeof target, NULL, SLGP_RAWPATH)))
            ours = InOwnFolder(target);
        file->Release();
    }
    link->Release();
    return ours;
}

void RemoveShortcuts(void)
{
    char menu[MAX_PATH], path[SHORTCUT_PATH_ROOM];
    HRESULT started = CoInitialize(NULL);

    for (int folder : StartMenus) {
        // The Windows 95 family has no Start Menu of all users, Windows NT 3.x none at all.
        if (!FindSpecialFolder(NULL, folder, menu) || !FileThere(JoinPath(path, menu, ShortcutFile))
            || !PointsIntoFolder(path))
            continue;
        ClearReadOnly(path);
        if (!DeleteFileA(path))
            NoteRemaining(path, NULL);
    }
    if (SUCCEEDED(started))
        CoUninitialize();
}
