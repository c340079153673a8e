// Finds the folder that holds the running setup program, where the product files lie.
#include "state.h"
#include "../common/system.h"
#include "../common/widefiles.h"

typedef DWORD(WINAPI *ModuleNameCall)(HMODULE, LPWSTR, DWORD);

// The folder is what comes before the path's last file name, backslash
// included, so that a drive root stays "C:\" and never becomes "C:", which
// would name the drive's current folder. A folder too deep for the paths of
// its files is taken by its short form, which the platform may not have.
static UINT AnsiSetupFolder(char *folder, char *path, DWORD size)
{
    char *end = FolderOf(path, path, FOLDER_AND_BACKSLASH);

    if (end && end - path >= SETUP_FOLDER_ROOM)
        GetShortPathNameA(path, path, size);
    if (!end || lstrlenA(path) >= SETUP_FOLDER_ROOM)
        return IDS_NO_SET_FOLDER;
    CopyText(folder, path);
    return 0;
}

// A folder without a usable form, as far as the code page shows it, named
// in the run's report after the run.
static char Unusable[SETUP_FOLDER_ROOM];

// On Windows NT the folder may hold characters the code page lacks: it is
// taken by its ANSI form, the short one when it is too deep or its own
// does not convert. A folder that fits but has no such form is named in the
// message as far as the code page can show it.
static UINT WideSetupFolder(char *folder, WCHAR *path)
{
    char form[SETUP_FOLDER_ROOM];
    WCHAR *end = 0;

    for (WCHAR *at = path; *at; at++)
        if (*at == L'\\')
            end = at + 1;
    if (!end)
        return IDS_NO_SET_FOLDER;
    *end = 0;
    // The caller's folder is written only when found.
    if (AnsiPathOf(form, SETUP_FOLDER_ROOM, path)) {
        CopyText(folder, form);
        return 0;
    }
    if (!WideCharToMultiByte(CP_ACP, 0, path, -1, Unusable, SETUP_FOLDER_ROOM, NULL, NULL))
        return IDS_NO_SET_FOLDER;
    SetupState.StepMessageInsert = Unusable;
    return IDS_NO_ANSI_FORM;
}

// The program's path is asked for in a block grown by 256 characters until
// it fits: in wide characters on Windows NT, in ANSI ones elsewhere.
UINT FindSetupFolder(char *folder)
{
    ModuleNameCall wideName = SetupState.PlatformId == VER_PLATFORM_WIN32_NT
                                  ? (ModuleNameCall)(void *)BoundFunction(CALL_GET_MODULE_FILE_NAME_W)
                                  : NULL;
    SIZE_T unit = wideName ? sizeof(WCHAR) : 1;
    DWORD size = 256;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size * unit);
    void *path;
    UINT failure = 0;

    if (!block)
        return IDS_NO_MEMORY;
    for (;;) {
        HGLOBAL grown;

        path = GlobalLock(block);
        if (!path) {
            failure = IDS_NO_LOCK;
            break;
        }
        DWORD length = wideName ? wideName(SetupState.Instance, (WCHAR *)path, size)
                                : GetModuleFileNameA(SetupState.Instance, (char *)path, size);
        if (length == 0) {
            failure = IDS_NO_SETUP_PATH;
        } else if (length < size) {
            failure = wideName ? WideSetupFolder(folder, (WCHAR *)path) : AnsiSetupFolder(folder, (char *)path, size);
        } else {
            // The path was cut to the block: grow it and ask again. The
            // unlock is not looked at (a block no longer locked reports 0 there).
            GlobalUnlock(block);
            grown = GlobalReAlloc(block, (size + 256) * unit, GMEM_MOVEABLE);
            if (!grown) {
                failure = IDS_NO_MEMORY;
                break;
            }
            block = grown;
            size += 256;
            continue;
        }
        GlobalUnlock(block);
        break;
    }
    GlobalFree(block);
    return failure;
}
