// Balances of handles, kept by stand-ins that pass every call on.
#include "handles.h"

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
