// Loads system DLLs by full path, hardens the DLL search and binds the shell's newer calls at run time.
#include "system.h"
#include "text.h"
#include <shlobj.h>

// Loaded when first needed and never freed: the shortcut's link object
// lives in it.
static const char ShellDll[] = "shell32.dll";

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

// On Windows Vista, SetDefaultDllDirectories (from a later update) keeps
// CoCreateInstance from creating the shell's link object.
static int IsWindowsVista(void)
{
    OSVERSIONINFOA version;

    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 6
           && version.dwMinorVersion == 0;
}

void HardenDllSearch(void)
{
    SetDefaultDllDirectoriesCall setDefault = (SetDefaultDllDirectoriesCall)(void *)GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");

    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    if (setDefault && !IsWindowsVista() && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    for (const char *name : PreloadedLibraries)
        LoadSystemLibrary(name);
}

// A function of the shell, or none when the shell could not be loaded.
static FARPROC ShellFunction(HMODULE shell, const char *name)
{
    return shell ? GetProcAddress(shell, name) : NULL;
}

int FindSpecialFolder(HWND owner, int csidl, char *path)
{
    HMODULE shell = LoadSystemLibrary(ShellDll);
    SpecialFolderLocationCall location =
        (SpecialFolderLocationCall)(void *)ShellFunction(shell, "SHGetSpecialFolderLocation");
    PathFromIDListCall pathFromList = (PathFromIDListCall)(void *)ShellFunction(shell, "SHGetPathFromIDListA");
    GetMallocCall getMalloc = (GetMallocCall)(void *)ShellFunction(shell, "SHGetMalloc");
    LPITEMIDLIST list = NULL;
    IMalloc *allocator;
    int found;

    // All three or none: a list that could not be freed is not asked for.
    if (!location || !pathFromList || !getMalloc)
        return 0;
    if (FAILED(location(owner, csidl, &list)) || !list)
        return 0;
    found = pathFromList(list, path) != 0;
    if (SUCCEEDED(getMalloc(&allocator))) {
        allocator->Free(list);
        allocator->Release();
    }
    return found;
}

void NotifyAssociationsChanged(void)
{
    ChangeNotifyCall notify =
        (ChangeNotifyCall)(void *)ShellFunction(LoadSystemLibrary(ShellDll), "SHChangeNotify");

    if (notify)
        notify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, NULL, NULL);
}
