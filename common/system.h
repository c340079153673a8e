// System DLLs by full path, a DLL search that never looks beside the program,
// and the shell calls that only some Windows versions offer, bound at run time.
#ifndef COMMON_SYSTEM_H
#define COMMON_SYSTEM_H

#include <windows.h>

// Called first thing in an entry point: no system error boxes for a missing
// DLL, and no DLL that system code loads by name is taken from the program's
// folder, where a downloaded setup program may have company.
void HardenDllSearch(void);

// The functions that only some Windows versions have, bound at run time:
// importing one would make the loader of the others refuse the program.
// Grouped by their DLL: each group starts at its FIRST_*_CALL.
enum BoundCall {
    // kernel32
    CALL_SET_DEFAULT_DLL_DIRECTORIES, CALL_MOVE_FILE_EX, CALL_GET_TEMP_PATH2_W,
    // the wide calls: Windows 95 has them at most as stand-ins that fail
    CALL_FIND_FIRST_FILE_W, CALL_FIND_NEXT_FILE_W, CALL_MOVE_FILE_W, CALL_GET_MODULE_FILE_NAME_W,
    CALL_GET_SHORT_PATH_NAME_W, CALL_GET_LONG_PATH_NAME_W, CALL_GET_TEMP_PATH_W, CALL_GET_COMMAND_LINE_W,
    CALL_CREATE_DIRECTORY_W, CALL_CREATE_FILE_W, CALL_GET_FILE_ATTRIBUTES_W,
    // advapi32: what only Windows NT has, and the system's random generator
    CALL_OPEN_PROCESS_TOKEN, CALL_GET_TOKEN_INFORMATION, CALL_SET_SECURITY_DESCRIPTOR_CONTROL, CALL_RANDOM,
    CALL_REG_QUERY_VALUE_EX_W, CALL_REG_SET_VALUE_EX_W,
    // shell32 (4.0 and later), loaded from the system folder
    CALL_SPECIAL_FOLDER_LOCATION, CALL_PATH_FROM_ID_LIST, CALL_PATH_FROM_ID_LIST_W, CALL_GET_MALLOC,
    CALL_CHANGE_NOTIFY,
    // rstrtmgr (the Restart Manager, Windows Vista and later), loaded from the system folder
    CALL_RM_START_SESSION, CALL_RM_REGISTER_RESOURCES, CALL_RM_GET_LIST, CALL_RM_END_SESSION,
    BOUND_CALLS,
    FIRST_ADVAPI_CALL = CALL_OPEN_PROCESS_TOKEN,
    FIRST_SHELL_CALL = CALL_SPECIAL_FOLDER_LOCATION,
    FIRST_RESTART_CALL = CALL_RM_START_SESSION,
};
// The function's address, or NULL when this Windows lacks it or its DLL.
FARPROC BoundFunction(BoundCall call);

// The Windows version as the system reports it (to programs that name the
// versions they know in their manifest, the true one); 0 when it answers none.
int ReadWindowsVersion(OSVERSIONINFOA *version);

// The path of a shell special folder (CSIDL_*) in a buffer of MAX_PATH bytes.
// Returns 1 when found, 0 on any failure, a system without the shell's
// folder functions included (Windows NT 3.x).
int FindSpecialFolder(HWND owner, int csidl, char *path);

// Tells the shell that file associations changed; nothing when the shell
// cannot be told.
void NotifyAssociationsChanged(void);

#endif
