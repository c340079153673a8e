// The product's files on disk: the read-only attribute dropped, and their removal from a folder.
#include "productfiles.h"
#include "state.h"

void ClearReadOnly(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);

    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)
        || !(attributes & FILE_ATTRIBUTE_READONLY))
        return;
    attributes &= ~FILE_ATTRIBUTE_READONLY;
    // No attribute left at all is said as "normal", the one value that must stand alone.
    SetFileAttributesA(path, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
}

void DeleteProductFiles(const char *folder)
{
    char path[INSTALL_PATH_ROOM];

    for (const char *file : ProductFiles) {
        ClearReadOnly(JoinPath(path, folder, file));
        DeleteFileA(path);
    }
}
