// In-process helpers for the start-up, agreement and page tests: memory
// block bookkeeping and failures at the platform-call boundary, a stand-in
// for the program's own path, modal pages driven from a second thread, and
// this test program re-run as a child.
#ifndef TESTS_STARTUP_INPROC_H
#define TESTS_STARTUP_INPROC_H

#include <windows.h>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "fault.h"

// Watches the movable blocks the program allocates while it lives, and can
// fail the n-th call (counted from 1) of an allocation, growth or lock.
struct BlockWatch {
    BlockWatch();
    ~BlockWatch();
    int FailAlloc = 0, FailReAlloc = 0, FailLock = 0;
    int Allocs = 0, ReAllocs = 0, Locks = 0;
    std::vector<SIZE_T> AllocSizes, ReAllocSizes;
    std::map<HGLOBAL, int> Live;        // block -> lock count the program holds
    bool GrewLockedBlock = false;       // a block was grown while still locked
    bool BadHandle = false;             // a call named a block not alive
    std::unique_ptr<ImportSwap> Swaps[5];
};

// GetModuleFileNameA as the platform answers it for a program at `path`:
// a path that does not fit is cut to the buffer without a terminator and
// the buffer size comes back. An empty path makes the call fail.
struct ModulePathSwap {
    explicit ModulePathSwap(const std::string &path);
    ~ModulePathSwap();
    std::string Path;
    std::vector<DWORD> Sizes;           // buffer sizes asked with, in order
    std::vector<HMODULE> Modules;
    ImportSwap Swap;
};

// Runs a page template of the program modally on this thread; `drive` runs
// on a second thread once the page is up and steers it. Returns the page's
// result (or -2 if the page never came up).
INT_PTR RunModalPage(int page, DLGPROC procedure, HWND owner, const std::function<void(HWND)> &drive);
// Keys as the user presses them, posted to the control that has the focus
// on the given thread.
void PostKey(DWORD thread, UINT key);
HWND FocusOf(DWORD thread);

// This test program started again with one extra environment variable;
// returns its exit code, or -1 if it had to be killed.
int RunSelf(const std::string &variable, const std::string &value, DWORD timeout = 20000);

#endif
