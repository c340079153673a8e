// Finds a product file that another process holds, and the name Windows gives its holder.
#include "inuse.h"
#include "product.h"
#include "text.h"
#include "log.h"
#include "system.h"
#include <restartmanager.h>

typedef DWORD(WINAPI *StartSessionCall)(DWORD *, DWORD, WCHAR *);
typedef DWORD(WINAPI *RegisterResourcesCall)(DWORD, UINT, LPCWSTR *, UINT, RM_UNIQUE_PROCESS *, UINT, LPCWSTR *);
typedef DWORD(WINAPI *GetListCall)(DWORD, UINT *, UINT *, RM_PROCESS_INFO *, DWORD *);
typedef DWORD(WINAPI *EndSessionCall)(DWORD);

// The holders asked for at once; a file held by more goes unnamed.
#define HOLDERS_ASKED 4

// Opening a file for writing with no sharing fails this way only while
// another process has it open or mapped (a running program's own file);
// a read-only file fails with access denied.
static int HeldByAnother(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD error;

    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return 0;
    }
    error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// The Restart Manager's name for the first program that holds the file,
// after the line's text; the line stays empty where Windows has no Restart
// Manager (before Vista) or it names none.
static void NameHolder(const char *path, char *line)
{
    StartSessionCall start = (StartSessionCall)(void *)BoundFunction(CALL_RM_START_SESSION);
    RegisterResourcesCall registerFiles = (RegisterResourcesCall)(void *)BoundFunction(CALL_RM_REGISTER_RESOURCES);
    GetListCall getList = (GetListCall)(void *)BoundFunction(CALL_RM_GET_LIST);
    EndSessionCall end = (EndSessionCall)(void *)BoundFunction(CALL_RM_END_SESSION);
    // Each holder takes most of a kilobyte: kept with the program's data, not in the frame.
    static RM_PROCESS_INFO holders[HOLDERS_ASKED];
    WCHAR key[CCH_RM_SESSION_KEY + 1], wide[2 * MAX_PATH + 1];
    LPCWSTR files[] = { wide };
    UINT needed = 0, count = ARRAY_LENGTH(holders);
    DWORD session, reasons;
    char *name = CopyText(line, InUseByLine);

    line[0] = 0;
    if (!start || !registerFiles || !getList || !end
        || !MultiByteToWideChar(CP_ACP, 0, path, -1, wide, ARRAY_LENGTH(wide))
        || start(&session, 0, key) != ERROR_SUCCESS)
        return;
    if (registerFiles(session, ARRAY_LENGTH(files), files, 0, NULL, 0, NULL) == ERROR_SUCCESS
        && getList(session, &needed, &count, holders, &reasons) == ERROR_SUCCESS && count > 0
        && WideCharToMultiByte(CP_ACP, 0, holders[0].strAppName, -1, name,
                               IN_USE_LINE_ROOM - (sizeof InUseByLine - 1), NULL, NULL) > 1)
        line[0] = InUseByLine[0];
    end(session);
}

int FileInUse(const char *folder, int count, const char *except, char *line)
{
    // A folder of up to MAX_PATH characters, a backslash and a product file's name.
    char path[2 * MAX_PATH + 1];

    for (int i = 0; i < count; i++) {
        if (except && lstrcmpiA(ProductFiles[i], except) == 0)
            continue;
        if (HeldByAnother(JoinPath(path, folder, ProductFiles[i]))) {
            LogLine("In use: %s", path);
            NameHolder(path, line);
            return 1;
        }
    }
    return 0;
}
