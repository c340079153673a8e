// Finds the folder that holds the running setup program, where the product files lie.
#include "state.h"

// The program's path is asked for in a block grown by 256 bytes until it
// fits; the folder is what comes before its last file name, backslash
// included, so that a drive root stays "C:\" and never becomes "C:", which
// would name the drive's current folder. A folder too deep for the paths of
// its files is taken by its short form, which the platform may not have.
UINT FindSetupFolder(char *folder)
{
    SIZE_T size = 256;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    char *path, *end;
    UINT failure = 0;

    if (!block)
        return IDS_NO_MEMORY;
    for (;;) {
        HGLOBAL grown;

        path = (char *)GlobalLock(block);
        if (!path) {
            failure = IDS_NO_LOCK;
            break;
        }
        DWORD length = GetModuleFileNameA(SetupState.Instance, path, size);
        if (length == 0) {
            failure = IDS_NO_SETUP_PATH;
        } else if (length < size) {
            end = FolderOf(path, path, FOLDER_AND_BACKSLASH);
            if (end && end - path >= SETUP_FOLDER_ROOM)
                GetShortPathNameA(path, path, size);
            if (!end || lstrlenA(path) >= SETUP_FOLDER_ROOM)
                failure = IDS_NO_SET_FOLDER;
            else
                CopyText(folder, path);
        } else {
            // The path was cut to the block: grow it and ask again. The
            // unlock is not looked at (a block no longer locked reports 0 there).
            GlobalUnlock(block);
            grown = GlobalReAlloc(block, size + 256, GMEM_MOVEABLE);
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
