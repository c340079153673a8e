// In-process helpers for the start-up, agreement and page tests.
#include "startup_inproc.h"
#include <thread>

static BlockWatch *Watch;

typedef HGLOBAL(WINAPI *AllocCall)(UINT, SIZE_T);
typedef HGLOBAL(WINAPI *ReAllocCall)(HGLOBAL, SIZE_T, UINT);
typedef HGLOBAL(WINAPI *FreeCall)(HGLOBAL);
typedef LPVOID(WINAPI *LockCall)(HGLOBAL);
typedef BOOL(WINAPI *UnlockCall)(HGLOBAL);

static HGLOBAL WINAPI WatchedAlloc(UINT flags, SIZE_T size)
{
    Watch->AllocSizes.push_back(size);
    if (++Watch->Allocs == Watch->FailAlloc) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    HGLOBAL block = ((AllocCall)Watch->Swaps[0]->Original)(flags, size);
    if (block)
        Watch->Live[block] = 0;
    return block;
}

static HGLOBAL WINAPI WatchedReAlloc(HGLOBAL block, SIZE_T size, UINT flags)
{
    Watch->ReAllocSizes.push_back(size);
    auto live = Watch->Live.find(block);
    if (live == Watch->Live.end())
        Watch->BadHandle = true;
    else if (live->second != 0)
        Watch->GrewLockedBlock = true;
    if (++Watch->ReAllocs == Watch->FailReAlloc) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    HGLOBAL grown = ((ReAllocCall)Watch->Swaps[1]->Original)(block, size, flags);
    if (grown && live != Watch->Live.end()) {
        int locks = live->second;
        Watch->Live.erase(live);
        Watch->Live[grown] = locks;
    }
    return grown;
}

static HGLOBAL WINAPI WatchedFree(HGLOBAL block)
{
    if (!Watch->Live.erase(block))
        Watch->BadHandle = true;
    return ((FreeCall)Watch->Swaps[2]->Original)(block);
}

static LPVOID WINAPI WatchedLock(HGLOBAL block)
{
    if (!Watch->Live.count(block))
        Watch->BadHandle = true;
    if (++Watch->Locks == Watch->FailLock) {
        SetLastError(ERROR_INVALID_HANDLE);
        return NULL;
    }
    LPVOID memory = ((LockCall)Watch->Swaps[3]->Original)(block);
    if (memory)
        Watch->Live[block]++;
    return memory;
}

static BOOL WINAPI WatchedUnlock(HGLOBAL block)
{
    auto live = Watch->Live.find(block);
    if (live == Watch->Live.end())
        Watch->BadHandle = true;
    else if (live->second > 0)
        live->second--;
    return ((UnlockCall)Watch->Swaps[4]->Original)(block);
}

BlockWatch::BlockWatch()
{
    Swaps[0].reset(new ImportSwap("kernel32.dll", "GlobalAlloc", (void *)WatchedAlloc));
    Swaps[1].reset(new ImportSwap("kernel32.dll", "GlobalReAlloc", (void *)WatchedReAlloc));
    Swaps[2].reset(new ImportSwap("kernel32.dll", "GlobalFree", (void *)WatchedFree));
    Swaps[3].reset(new ImportSwap("kernel32.dll", "GlobalLock", (void *)WatchedLock));
    Swaps[4].reset(new ImportSwap("kernel32.dll", "GlobalUnlock", (void *)WatchedUnlock));
    Watch = this;
}

BlockWatch::~BlockWatch()
{
    for (auto &swap : Swaps)
        swap.reset();
    Watch = NULL;
}

static ModulePathSwap *PathSwap;

static DWORD WINAPI StandInModulePath(HMODULE module, LPSTR buffer, DWORD size)
{
    PathSwap->Sizes.push_back(size);
    PathSwap->Modules.push_back(module);
    if (PathSwap->Path.empty()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    DWORD length = PathSwap->Path.size();
    if (length < size) {
        CopyMemory(buffer, PathSwap->Path.c_str(), length + 1);
        return length;
    }
    CopyMemory(buffer, PathSwap->Path.data(), size);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

ModulePathSwap::ModulePathSwap(const std::string &path)
    : Path(path), Swap("kernel32.dll", "GetModuleFileNameA", (void *)StandInModulePath)
{
    PathSwap = this;
}

ModulePathSwap::~ModulePathSwap()
{
    PathSwap = NULL;
}

struct PageSearch {
    HWND Found;
};

static BOOL CALLBACK FindDialog(HWND window, LPARAM data)
{
    char name[16];
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window)) {
        ((PageSearch *)data)->Found = window;
        return FALSE;
    }
    return TRUE;
}

INT_PTR RunModalPage(int page, DLGPROC procedure, HWND owner, const std::function<void(HWND)> &drive)
{
    DWORD thread = GetCurrentThreadId();
    bool cameUp = false;
    std::thread driver([&] {
        PageSearch search = { NULL };
        for (int tries = 0; tries < 200 && !search.Found; tries++) {
            EnumThreadWindows(thread, FindDialog, (LPARAM)&search);
            if (!search.Found)
                Sleep(25);
        }
        if (!search.Found)
            return;
        cameUp = true;
        drive(search.Found);
        // A page the drive could not end would hang the test program.
        for (int tries = 0; tries < 200 && IsWindow(search.Found); tries++)
            Sleep(25);
        if (IsWindow(search.Found))
            EndDialog(search.Found, -3);
    });
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(page), owner, procedure, 0);
    driver.join();
    return cameUp ? result : -2;
}

HWND FocusOf(DWORD thread)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : NULL;
}

void PostKey(DWORD thread, UINT key)
{
    HWND target = FocusOf(thread);
    UINT scan = MapVirtualKeyA(key, 0);
    PostMessageA(target, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageA(target, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000);
}

int RunSelf(const std::string &variable, const std::string &value, DWORD timeout)
{
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    std::string command = std::string("\"") + self + "\" --gtest_list_tests";
    STARTUPINFOA startup = {};
    PROCESS_INFORMATION process;
    startup.cb = sizeof startup;
    SetEnvironmentVariableA(variable.c_str(), value.c_str());
    BOOL started = CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process);
    SetEnvironmentVariableA(variable.c_str(), NULL);
    if (!started)
        return -1;
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(process.hProcess, timeout) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
    } else
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return (int)code;
}
