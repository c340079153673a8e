// The shared system helpers in-process: DLLs come from the system folder
// only, and the DLL search is hardened one way or the other at start-up.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "common/system.h"
#include "support/binding_fault.h"
#include "support/sandbox.h"

// common/system.cpp's own, linked from its object.
HMODULE LoadSystemLibrary(const char *name);

static std::string SystemFolder()
{
    char path[MAX_PATH];
    GetSystemDirectoryA(path, sizeof path);
    return path;
}

static std::string ModulePath(HMODULE module)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, sizeof path);
    return path;
}

// A DLL is taken from the system folder, and a name the system folder lacks
// loads nothing, though the current folder (as a setup folder made current)
// holds a DLL of that name.
TEST(LoadSystemLibrary, LoadsFromTheSystemFolderOnly)
{
    // Not loaded yet by this test program, so it is really looked for.
    const char *name = "mpr.dll";
    ASSERT_EQ(GetModuleHandleA(name), (HMODULE)NULL);
    std::string saved = CurrentDir();
    std::string folder = MakeScratchDir("system-library");
    ASSERT_TRUE(CopyFileA(PLANTED_DLL, (folder + "\\" + name).c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(PLANTED_DLL, (folder + "\\brindleplant.dll").c_str(), FALSE));
    SetCurrentDirectoryA(folder.c_str());

    HMODULE found = LoadSystemLibrary(name);
    HMODULE absent = LoadSystemLibrary("brindleplant.dll");

    SetCurrentDirectoryA(saved.c_str());
    ASSERT_NE(found, (HMODULE)NULL);
    EXPECT_EQ(Lower(ModulePath(found)), Lower(SystemFolder() + "\\" + name));
    EXPECT_EQ(absent, (HMODULE)NULL);
    EXPECT_FALSE(FileExists(folder + "\\" + name + ".loaded"));
    EXPECT_FALSE(FileExists(folder + "\\brindleplant.dll.loaded"));
    DeleteTree(folder);
}

// Windows may refuse the altered search path once default directories are
// set; the DLL is then loaded under those directories instead. Any other
// refusal is final.
static struct {
    DWORD Refusal;
    std::vector<DWORD> Flags;
    ImportSwap *Swap;
} Refusing;

static HMODULE WINAPI RefuseAlteredSearch(LPCSTR path, HANDLE file, DWORD flags)
{
    Refusing.Flags.push_back(flags);
    if (flags & LOAD_WITH_ALTERED_SEARCH_PATH) {
        SetLastError(Refusing.Refusal);
        return NULL;
    }
    return ((HMODULE(WINAPI *)(LPCSTR, HANDLE, DWORD))Refusing.Swap->Original)(path, file, flags);
}

TEST(LoadSystemLibrary, LoadsUnderTheDefaultDirectoriesWhenTheAlteredSearchIsRefused)
{
    const struct {
        DWORD Refusal;
        bool Loads;
        std::vector<DWORD> Flags;
    } cases[] = {
        { ERROR_INVALID_PARAMETER, true, { LOAD_WITH_ALTERED_SEARCH_PATH, 0 } },
        { ERROR_MOD_NOT_FOUND, false, { LOAD_WITH_ALTERED_SEARCH_PATH } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Refusal);
        Refusing.Refusal = c.Refusal;
        Refusing.Flags.clear();
        HMODULE module;
        {
            ImportSwap load("kernel32.dll", "LoadLibraryExA", (void *)RefuseAlteredSearch);
            Refusing.Swap = &load;
            module = LoadSystemLibrary("shell32.dll");
        }
        EXPECT_EQ(module != NULL, c.Loads);
        if (module) {
            EXPECT_EQ(Lower(ModulePath(module)), Lower(SystemFolder() + "\\shell32.dll"));
        }
        EXPECT_EQ(Refusing.Flags, c.Flags);
    }
}

// What HardenDllSearch asked of the loader.
static struct {
    int DefaultCalls;
    DWORD DefaultFlags;
    BOOL DefaultResult;
    std::vector<std::string> Loaded;   // paths given to LoadLibraryExA
    std::vector<DWORD> LoadFlags;
    ImportSwap *LoadSwap;
    DWORD ReportedMajor, ReportedMinor;
    ImportSwap *VersionSwap;
} Seen;

static BOOL WINAPI RecordDefaultDirectories(DWORD flags)
{
    Seen.DefaultCalls++;
    Seen.DefaultFlags = flags;
    return Seen.DefaultResult;
}

static HMODULE WINAPI RecordLoad(LPCSTR path, HANDLE file, DWORD flags)
{
    Seen.Loaded.push_back(path);
    Seen.LoadFlags.push_back(flags);
    return ((HMODULE(WINAPI *)(LPCSTR, HANDLE, DWORD))Seen.LoadSwap->Original)(path, file, flags);
}

static BOOL WINAPI ReportVersion(OSVERSIONINFOA *version)
{
    if (!((BOOL(WINAPI *)(OSVERSIONINFOA *))Seen.VersionSwap->Original)(version))
        return FALSE;
    version->dwPlatformId = VER_PLATFORM_WIN32_NT;
    version->dwMajorVersion = Seen.ReportedMajor;
    version->dwMinorVersion = Seen.ReportedMinor;
    return TRUE;
}

TEST(HardenDllSearch, KeepsToTheSystemFolderOrLoadsAheadFromIt)
{
    const struct {
        const char *Name;
        bool Present;
        BOOL Result;
        DWORD Major, Minor;
        bool Preloads;
    } cases[] = {
        { "Windows 10", true, TRUE, 10, 0, false },
        { "Windows 7 with the update", true, TRUE, 6, 1, false },
        { "Windows Vista with the update", true, TRUE, 6, 0, true },
        { "a call that fails", true, FALSE, 6, 1, true },
        { "Windows XP", false, TRUE, 5, 1, true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        Seen = {};
        Seen.DefaultResult = c.Result;
        Seen.ReportedMajor = c.Major;
        Seen.ReportedMinor = c.Minor;
        SetErrorMode(0);
        {
            ImportSwap load("kernel32.dll", "LoadLibraryExA", (void *)RecordLoad);
            ImportSwap version("kernel32.dll", "GetVersionExA", (void *)ReportVersion);
            Seen.LoadSwap = &load;
            Seen.VersionSwap = &version;
            ProcedureSwap lookup("SetDefaultDllDirectories", c.Present ? (void *)RecordDefaultDirectories : NULL);
            HardenDllSearch();
        }
        UINT mode = SetErrorMode(0);
        EXPECT_EQ(mode & (SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX),
                  (UINT)(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
        // Vista never gets the call; the others get it with the system folder alone.
        EXPECT_EQ(Seen.DefaultCalls, c.Present && c.Major * 10 + c.Minor != 60 ? 1 : 0);
        if (Seen.DefaultCalls) {
            EXPECT_EQ(Seen.DefaultFlags, (DWORD)LOAD_LIBRARY_SEARCH_SYSTEM32);
        }
        if (!c.Preloads) {
            EXPECT_TRUE(Seen.Loaded.empty());
            continue;
        }
        // The theme engine, which the pages load by name, is among them.
        std::string theme = Lower(SystemFolder() + "\\uxtheme.dll");
        bool themeSeen = false;
        ASSERT_FALSE(Seen.Loaded.empty());
        for (size_t i = 0; i < Seen.Loaded.size(); i++) {
            std::string path = Lower(Seen.Loaded[i]);
            EXPECT_EQ(path.rfind(Lower(SystemFolder()) + "\\", 0), 0u) << path;
            EXPECT_EQ(Seen.LoadFlags[i], (DWORD)LOAD_WITH_ALTERED_SEARCH_PATH) << path;
            themeSeen = themeSeen || path == theme;
        }
        EXPECT_TRUE(themeSeen);
    }
}
