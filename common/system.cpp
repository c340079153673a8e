// Loads system DLLs by full path, hardens the DLL search and binds the shell's newer calls at run time.
#include "system.h"
#include "text.h"
#include "widefiles.h"
#include <shlobj.h>

// The shell and the Restart Manager are loaded from the system folder when
// first needed and never freed: the shortcut's link object lives in the
// shell. The other two are the program's own imports, loaded before it starts.
static const char KernelDll[] = "kernel32.dll", AdvapiDll[] = "advapi32.dll", ShellDll[] = "shell32.dll",
                  RestartDll[] = "rstrtmgr.dll";

// Each call's name, in the order of BoundCall, one after another: a table
// of pointers would cost the uninstaller a page of its file. Its DLL is its
// group's.
static constexpr char BoundNames[] =
    "SetDefaultDllDirectories\0MoveFileExA\0GetTempPath2W\0"
    "FindFirstFileW\0FindNextFileW\0MoveFileW\0GetModuleFileNameW\0"
    "GetShortPathNameW\0GetLongPathNameW\0GetTempPathW\0GetCommandLineW\0"
    "CreateDirectoryW\0CreateFileW\0GetFileAttributesW\0"
    "OpenProcessToken\0GetTokenInformation\0SetSecurityDescriptorControl\0SystemFunction036\0"
    "RegQueryValueExW\0RegSetValueExW\0"
    "SHGetSpecialFolderLocation\0SHGetPathFromIDListA\0SHGetPathFromIDListW\0SHGetMalloc\0"
    "SHChangeNotify\0"
    "RmStartSession\0RmRegisterResources\0RmGetList\0RmEndSession";
static constexpr int NamesIn(const char *names, int room)
{
    int count = 0;
    for (int i = 0; i < room; i++)
        count += names[i] == 0;
    return count;
}
static_assert(NamesIn(BoundNames, sizeof BoundNames) == BOUND_CALLS, "a name for every bound call");

// DLLs that system code (the theme engine, the shell, COM, the security and
// compatibility layers) loads by bare name after start-up. Without
// SetDefaultDllDirectories such a name is looked for in the program's folder
// first, so each is loaded from the system folder ahead of time, and later
// loads find it already there. A name the system lacks is simply not loaded.
static const char *const PreloadedLibraries[] = {
    "uxtheme.dll", "userenv.dll", "setupapi.dll", "apphelp.dll", "propsys.dll", "dwmapi.dll",
    "cryptbase.dll", "ntmarta.dll", "oleacc.dll", "clbcatq.dll", "version.dll", "msimg32.dll",
};

typedef BOOL(WINAPI *SetDefaultDllDirectoriesCall)(DWORD);
typedef HRESULT(WINAPI *SpecialFolderLocationCall)(HWND, int, LPITEMIDLIST *);
typedef BOOL(WINAPI *PathFromIDListCall)(LPCITEMIDLIST, LPSTR);
typedef BOOL(WINAPI *WidePathFromIDListCall)(LPCITEMIDLIST, LPWSTR);
typedef HRESULT(WINAPI *GetMallocCall)(IMalloc **);
typedef void(WINAPI *ChangeNotifyCall)(LONG, UINT, LPCVOID, LPCVOID);

// Loads a DLL (a bare file name) from the system folder, never from the
// program's folder; its own dependencies are looked for there first too.
HMODULE LoadSystemLibrary(const char *name)
{
    char path[2 * MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    HMODULE module;

    if (length == 0 || length >= MAX_PATH)
        return NULL;
    CopyText(CopyText(path + length, "\\"), name);
    // The altered search path looks for the DLL's own dependencies in its
    // folder first, not in the program's. Once SetDefaultDllDirectories is
    // in force Windows may refuse that flag as an invalid parameter; the
    // default directories then keep the dependencies to the system folder.
    module = LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER)
        module = LoadLibraryExA(path, NULL, 0);
    return module;
}

int ReadWindowsVersion(OSVERSIONINFOA *version)
{
    version->dwOSVersionInfoSize = sizeof *version;
    return GetVersionExA(version);
}

// On Windows Vista, SetDefaultDllDirectories (from a later update) keeps
// CoCreateInstance from creating the shell's link object.
static int IsWindowsVista(void)
{
    OSVERSIONINFOA version;

    return ReadWindowsVersion(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 6
           && version.dwMinorVersion == 0;
}

FARPROC BoundFunction(BoundCall call)
{
    HMODULE module = call >= FIRST_RESTART_CALL ? LoadSystemLibrary(RestartDll)
                     : call >= FIRST_SHELL_CALL ? LoadSystemLibrary(ShellDll)
                                                : GetModuleHandleA(call >= FIRST_ADVAPI_CALL ? AdvapiDll : KernelDll);
    const char *name = BoundNames;

    for (int i = 0; i < call; i++)
        name += lstrlenA(name) + 1;
    return module ? GetProcAddress(module, name) : NULL;
}

void HardenDllSearch(void)
{
    SetDefaultDllDirectoriesCall setDefault =
        (SetDefaultDllDirectoriesCall)(void *)BoundFunction(CALL_SET_DEFAULT_DLL_DIRECTORIES);

    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    if (setDefault && !IsWindowsVista() && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    for (const char *name : PreloadedLibraries)
        LoadSystemLibrary(name);
}

int FindSpecialFolder(HWND owner, int csidl, char *path)
{
    SpecialFolderLocationCall location = (SpecialFolderLocationCall)(void *)BoundFunction(CALL_SPECIAL_FOLDER_LOCATION);
    PathFromIDListCall pathFromList = (PathFromIDListCall)(void *)BoundFunction(CALL_PATH_FROM_ID_LIST);
    WidePathFromIDListCall widePath = (WidePathFromIDListCall)(void *)BoundFunction(CALL_PATH_FROM_ID_LIST_W);
    WCHAR wide[MAX_PATH];
    GetMallocCall getMalloc = (GetMallocCall)(void *)BoundFunction(CALL_GET_MALLOC);
    LPITEMIDLIST list = NULL;
    IMalloc *allocator;
    int found;

    // All three or none: a list that could not be freed is not asked for.
    if (!location || !pathFromList || !getMalloc)
        return 0;
    if (FAILED(location(owner, csidl, &list)) || !list)
        return 0;
    // Windows NT gives the folder exactly only in wide characters (a user
    // name the code page lacks); Windows 95 has no wide form.
    if (widePath && widePath(list, wide))
        found = AnsiPathOf(path, MAX_PATH, wide);
    else
        found = pathFromList(list, path) != 0;
    if (SUCCEEDED(getMalloc(&allocator))) {
        allocator->Free(list);
        allocator->Release();
    }
    return found;
}

void NotifyAssociationsChanged(void)
{
    ChangeNotifyCall notify = (ChangeNotifyCall)(void *)BoundFunction(CALL_CHANGE_NOTIFY);

    if (notify)
        notify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, NULL, NULL);
}
