// Balances of the handles the program opens and closes, watched at the
// platform-call boundary while a watch lives: movable memory blocks.
#ifndef TESTS_HANDLES_H
#define TESTS_HANDLES_H

#include <windows.h>
#include <map>
#include <memory>
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

#endif
