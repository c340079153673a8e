// The product's files on disk: the read-only attribute dropped, and their removal from a folder.
#include "productfiles.h"
#include "product.h"
#include "text.h"
#include "log.h"

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

int DiscardFile(const char *path)
{
    ClearReadOnly(path);
    return DeleteFileA(path);
}

void DeleteProductFiles(const char *folder)
{
    // A folder of up to MAX_PATH characters, a backslash and a product file's name.
    char path[2 * MAX_PATH + 1];
    DWORD error;

    for (const char *file : ProductFiles) {
        if (DiscardFile(JoinPath(path, folder, file)))
            LogLine("Deleted %s", path);
        else if ((error = GetLastError()) != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            LogLine("Not deleted: %s (error %lu)", path, error);
    }
}
