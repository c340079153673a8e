// Removes the product's Start Menu shortcuts, of all users and of the
// current user, where they point into the folder.
#include "uninstall.h"
#include "../common/shelllink.h"

static const int StartMenus[] = { CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU };

typedef BOOL(WINAPI *WidePathFromIDListCall)(LPCITEMIDLIST, LPWSTR);
typedef HRESULT(WINAPI *GetMallocCall)(IMalloc **);

// The target as its item list names it: a shortcut keeps its path text too,
// but some writers (Wine's) keep that text in ANSI characters only, with '?'
// for what the code page lacks, while the list always holds the true names.
static int ListedTarget(IShellLinkW *link, WCHAR *wide)
{
    WidePathFromIDListCall pathFromList = (WidePathFromIDListCall)(void *)BoundFunction(CALL_PATH_FROM_ID_LIST_W);
    GetMallocCall getMalloc = (GetMallocCall)(void *)BoundFunction(CALL_GET_MALLOC);
    LPITEMIDLIST list = NULL;
    IMalloc *allocator;
    int found;

    if (!pathFromList || !getMalloc || FAILED(getMalloc(&allocator)))
        return 0;
    found = SUCCEEDED(link->GetIDList(&list)) && list && pathFromList(list, wide);
    if (list)
        allocator->Free(list);
    allocator->Release();
    return found;
}

// Whether a shortcut's target lies in the folder. A shortcut that cannot be
// read is nobody's to remove. On Windows NT the target is read in wide
// characters and taken by its ANSI form: the ANSI call gives '?' for the
// characters of a folder's name that the code page lacks.
static int TargetInFolder(IShellLinkA *link)
{
    char target[MAX_PATH];
    WCHAR wide[MAX_PATH];
    IShellLinkW *wideLink;
    int read;

    if (UninstallState.PlatformId == VER_PLATFORM_WIN32_NT
        && SUCCEEDED(link->QueryInterface(WideShellLinkInterface, (void **)&wideLink))) {
        read = (ListedTarget(wideLink, wide) || SUCCEEDED(wideLink->GetPath(wide, MAX_PATH, NULL, SLGP_RAWPATH)))
               && AnsiPathOf(target, sizeof target, wide);
        wideLink->Release();
    } else
        read = SUCCEEDED(link->GetPath(target, sizeof target, NULL, SLGP_RAWPATH));
    return read && InOwnFolder(target);
}

void RemoveShortcuts(void)
{
    char menu[MAX_PATH], path[SHORTCUT_PATH_ROOM];
    HRESULT started = CoInitialize(NULL);

    for (int folder : StartMenus) {
        // The Windows 95 family has no Start Menu of all users, Windows NT 3.x none at all.
        if (!FindSpecialFolder(NULL, folder, menu) || !FileThere(JoinPath(path, menu, ShortcutFile))
            || !WithShellLink(path, LINK_READ, TargetInFolder))
            continue;
        ClearReadOnly(path);
        if (!DeleteFileA(path))
            NoteRemaining(path, NULL);
    }
    if (SUCCEEDED(started))
        CoUninitialize();
}
