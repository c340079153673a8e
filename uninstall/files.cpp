// Removes the product files from the folder, and finds what else it holds.
#include "uninstall.h"

static unsigned Folded(unsigned c)
{
    return c >= 'A' && c <= 'Z' ? c | 0x20 : c;
}

// Whether a name found is "." or "..", or the name excepted: in ANSI
// characters, or in wide ones where `wide` is set. A wide name is compared
// as it is, so that no look-alike of the excepted name (a full-width letter
// in it) passes for it; the excepted names are plain ASCII.
static int Passes(const void *found, int wide, const char *except)
{
    const char *name = (const char *)found;
    const WCHAR *wideName = (const WCHAR *)found;
    int i = 0;

    if (!wide)
        return (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
               || (except && lstrcmpiA(name, except) == 0);
    if (wideName[0] == '.' && (wideName[1] == 0 || (wideName[1] == '.' && wideName[2] == 0)))
        return 1;
    for (; except && Folded(wideName[i]) == Folded((BYTE)except[i]); i++)
        if (!except[i])
            return 1;
    return 0;
}

int FolderHolds(const char *folder, const char *except)
{
    char pattern[FOLDER_PATH_ROOM];
    WCHAR widePattern[FOLDER_PATH_ROOM];
    union {
        WIN32_FIND_DATAA Ansi;
        WIN32_FIND_DATAW Wide;
    } found;
    WIDEFILECALLS calls;
    WCHAR *name;
    int wide = UninstallState.PlatformId == VER_PLATFORM_WIN32_NT;
    HANDLE search;
    int holds = 0;

    if (!wide)
        search = FindFirstFileA(JoinPath(pattern, folder, "*"), &found.Ansi);
    else if (!BindWideFileCalls(&calls) || (name = WideFolder(widePattern, ARRAY_LENGTH(widePattern), folder)) == 0)
        return 1;   // unsearchable: taken for holding something, so the folder is named and kept
    else {
        name[0] = L'*';
        name[1] = 0;
        search = calls.FindFirst(widePattern, &found.Wide);
    }
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do
        holds = !Passes(wide ? (const void *)found.Wide.cFileName : found.Ansi.cFileName, wide, except);
    while (!holds && (wide ? calls.FindNext(search, &found.Wide) : FindNextFileA(search, &found.Ansi)));
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
