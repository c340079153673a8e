// Makes the folder that holds the running program current, so its files go by bare names.
#include "state.h"

// Ends the folder text at its last backslash; without any backslash the text
// becomes empty. A drive root keeps its backslash: "C:" alone names drive
// C's current folder, which need not be its root.
static void CutAtLastBackslash(char *path)
{
    char *cut = LastBackslash(path);

    if (!cut)
        cut = path;
    else if (cut == path + 2 && path[1] == ':')
        cut++;
    *cut = 0;
}

int EnterSetupFolder(void)
{
    SIZE_T size = 256;
    HGLOBAL block;
    char *path;
    DWORD length;
    int entered;

    SetupState.StepMessageId = IDS_NO_MEMORY;
    block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return 0;
    for (;;) {
        HGLOBAL grown;

        SetupState.StepMessageId = IDS_NO_LOCK;
        path = (char *)GlobalLock(block);
        if (!path) {
            GlobalFree(block);
            return 0;
        }
        SetupState.StepMessageId = IDS_NO_SETUP_PATH;
        length = GetModuleFileNameA(SetupState.Instance, path, size);
        if (length == 0) {
            GlobalUnlock(block);
            GlobalFree(block);
            return 0;
        }
        if (length < size)
            break;
        // The path was cut to the block: grow it and ask again. The unlock
        // is not looked at (a block no longer locked reports 0 there).
        GlobalUnlock(block);
        SetupState.StepMessageId = IDS_NO_MEMORY;
        grown = GlobalReAlloc(block, size + 256, GMEM_MOVEABLE);
        if (!grown) {
            GlobalFree(block);
            return 0;
        }
        block = grown;
        size += 256;
    }
    CutAtLastBackslash(path);
    SetupState.StepMessageId = IDS_NO_SET_FOLDER;
    entered = SetCurrentDirectoryA(path) != 0;
    GlobalUnlock(block);
    GlobalFree(block);
    return entered;
}
