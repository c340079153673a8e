// Removes the product files from the folder, and finds what else it holds.
#include "uninstall.h"

int FolderHolds(const char *folder, const char *except)
{
    char pattern[FOLDER_PATH_ROOM];
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(JoinPath(pattern, folder, "*"), &found);
    int holds = 0;

    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        const char *name = found.cFileName;
        int dots = name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
        if (!dots && !(except && lstrcmpiA(name, except) == 0))
            holds = 1;
    } while (!holds && FindNextFileA(search, &found));
    FindClose(search);
    return holds;
}

void RemoveProductFiles(void)
{
    char path[FOLDER_PATH_ROOM];

    DeleteProductFiles(UninstallState.Folder);
    // This program's own file goes once it has ended (selfremove.cpp).
    for (const char *file : ProductFiles)
        if (lstrcmpiA(file, UninstallerFile) != 0 && FileThere(JoinPath(path, UninstallState.Folder, file)))
            NoteRemaining(path, NULL);
    UninstallState.UserFilesLeft = FolderHolds(UninstallState.Folder, UninstallerFile);
}
