// Balances of handles, kept by stand-ins that pass every call on.
#include "handles.h"

static BlockWatch *Watch;

static HGLOBAL WINAPI WatchedAlloc(UINT flags, SIZE_T size)
{
    Watch->AllocSizes.push_back(size);
    if (++Watch->Allocs == Watch->FailAlloc) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    HGLOBAL block = Watch->Swap->Real.Alloc(flags, size);
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
    HGLOBAL grown = Watch->Swap->Real.ReAlloc(block, size, flags);
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
    return Watch->Swap->Real.Free(block);
}

static LPVOID WINAPI WatchedLock(HGLOBAL block)
{
    if (!Watch->Live.count(block))
        Watch->BadHandle = true;
    if (++Watch->Locks == Watch->FailLock) {
        SetLastError(ERROR_INVALID_HANDLE);
        return NULL;
    }
    LPVOID memory = Watch->Swap->Real.Lock(block);
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
    return Watch->Swap->Real.Unlock(block);
}

BlockWatch::BlockWatch()
{
    Watch = this;
    Swap.reset(new MemorySwap({ WatchedAlloc, WatchedReAlloc, WatchedFree, WatchedLock, WatchedUnlock }));
}

BlockWatch::~BlockWatch()
{
    Swap.reset();
    Watch = NULL;
}

static KeyWatch *Keys;

static bool DeniedKey(const char *name)
{
    if (!name || Keys->DenyName != name)
        return false;
    return ++Keys->Asked == Keys->DenyNth;
}

static void KeyOpened(LONG result, HKEY key, const char *name)
{
    if (result != ERROR_SUCCESS)
        return;
    Keys->Opened++;
    Keys->Open[key] = name ? name : "";
}

static LONG WINAPI WatchedOpenKey(HKEY parent, LPCSTR name, DWORD options, REGSAM access, PHKEY key)
{
    if (DeniedKey(name))
        return ERROR_ACCESS_DENIED;
    LONG result = ((decltype(&RegOpenKeyExA))Keys->Swaps[0]->Original)(parent, name, options, access, key);
    KeyOpened(result, *key, name);
    return result;
}

static LONG WINAPI WatchedCreateKey(HKEY parent, LPCSTR name, DWORD reserved, LPSTR kind, DWORD options,
                                    REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition)
{
    if (DeniedKey(name))
        return ERROR_ACCESS_DENIED;
    LONG result = ((decltype(&RegCreateKeyExA))Keys->Swaps[1]->Original)(parent, name, reserved, kind, options,
                                                                         access, security, key, disposition);
    KeyOpened(result, *key, name);
    return result;
}

static LONG WINAPI WatchedCloseKey(HKEY key)
{
    if (!Keys->Open.erase(key))
        Keys->BadClose = true;
    return ((decltype(&RegCloseKey))Keys->Swaps[2]->Original)(key);
}

static LONG WINAPI WatchedSetValue(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size)
{
    if (Keys->DenyValue && lstrcmpA(name ? name : "", Keys->DenyValue) == 0
        && ++Keys->ValueAsked == Keys->DenyValueNth)
        return ERROR_ACCESS_DENIED;
    return ((decltype(&RegSetValueExA))Keys->Swaps[3]->Original)(key, name, reserved, type, data, size);
}

KeyWatch::KeyWatch()
{
    Swaps[0].reset(new ImportSwap("advapi32.dll", "RegOpenKeyExA", (void *)WatchedOpenKey));
    Swaps[1].reset(new ImportSwap("advapi32.dll", "RegCreateKeyExA", (void *)WatchedCreateKey));
    Swaps[2].reset(new ImportSwap("advapi32.dll", "RegCloseKey", (void *)WatchedCloseKey));
    Swaps[3].reset(new ImportSwap("advapi32.dll", "RegSetValueExA", (void *)WatchedSetValue));
    Keys = this;
}

KeyWatch::~KeyWatch()
{
    for (auto &swap : Swaps)
        swap.reset();
    Keys = NULL;
}

static SearchWatch *Searches;

static HANDLE WINAPI WatchedFindFirst(LPCSTR pattern, LPWIN32_FIND_DATAA found)
{
    HANDLE search = ((decltype(&FindFirstFileA))Searches->Swaps[0]->Original)(pattern, found);
    if (search != INVALID_HANDLE_VALUE) {
        Searches->Begun++;
        Searches->Open[search]++;
    }
    return search;
}

static HANDLE WINAPI WatchedFindFirstWide(LPCWSTR pattern, LPWIN32_FIND_DATAW found)
{
    HANDLE search = FindFirstFileW(pattern, found);
    if (search != INVALID_HANDLE_VALUE) {
        Searches->Begun++;
        Searches->Open[search]++;
    }
    return search;
}

// The wide search is looked up at run time: the lookup hands out the watched one.
static FARPROC WINAPI LookUpWatched(HMODULE module, LPCSTR name)
{
    if (HIWORD((ULONG_PTR)name) && lstrcmpA(name, "FindFirstFileW") == 0)
        return (FARPROC)WatchedFindFirstWide;
    return ((FARPROC(WINAPI *)(HMODULE, LPCSTR))Searches->Swaps[2]->Original)(module, name);
}

static BOOL WINAPI WatchedFindClose(HANDLE search)
{
    auto open = Searches->Open.find(search);
    if (open == Searches->Open.end())
        Searches->BadClose = true;
    else if (--open->second == 0)
        Searches->Open.erase(open);
    return ((decltype(&FindClose))Searches->Swaps[1]->Original)(search);
}

SearchWatch::SearchWatch()
{
    Swaps[0].reset(new ImportSwap("kernel32.dll", "FindFirstFileA", (void *)WatchedFindFirst));
    Swaps[1].reset(new ImportSwap("kernel32.dll", "FindClose", (void *)WatchedFindClose));
    Swaps[2].reset(new ImportSwap("kernel32.dll", "GetProcAddress", (void *)LookUpWatched));
    Searches = this;
}

SearchWatch::~SearchWatch()
{
    for (auto &swap : Swaps)
        swap.reset();
    Searches = NULL;
}

static ShellWatch *Handed;

// The shell's allocator as the program sees it: every call goes to the
// real one, references and frees are counted.
struct CountingAllocator : IMalloc {
    IMalloc *Real = NULL;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void **object) override
    {
        return Real->QueryInterface(interfaceId, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++Handed->AllocatorReferences; }
    ULONG STDMETHODCALLTYPE Release() override { return --Handed->AllocatorReferences; }
    void *STDMETHODCALLTYPE Alloc(SIZE_T size) override { return Real->Alloc(size); }
    void *STDMETHODCALLTYPE Realloc(void *block, SIZE_T size) override { return Real->Realloc(block, size); }
    void STDMETHODCALLTYPE Free(void *block) override
    {
        Handed->Freed.push_back((LPITEMIDLIST)block);
        Real->Free(block);
    }
    SIZE_T STDMETHODCALLTYPE GetSize(void *block) override { return Real->GetSize(block); }
    int STDMETHODCALLTYPE DidAlloc(void *block) override { return Real->DidAlloc(block); }
    void STDMETHODCALLTYPE HeapMinimize() override { Real->HeapMinimize(); }
};
static CountingAllocator Allocator;

static FARPROC RealFolderLocation, RealGetMalloc, RealPathFromList;

static HRESULT WINAPI WatchedFolderLocation(HWND owner, int folder, LPITEMIDLIST *list)
{
    HRESULT result = ((decltype(&SHGetSpecialFolderLocation))(void *)RealFolderLocation)(owner, folder, list);
    if (SUCCEEDED(result) && *list)
        Handed->Lists.push_back(*list);
    return result;
}

// A list whose path is read and that no lookup handed out came from a link
// object (its target's list), and is the program's to free too.
static BOOL WINAPI WatchedPathFromList(LPCITEMIDLIST list, LPWSTR path)
{
    if (Handed->Lists.size() == Handed->Freed.size() || Handed->Lists.back() != list)
        Handed->Lists.push_back((LPITEMIDLIST)list);
    return ((decltype(&SHGetPathFromIDListW))(void *)RealPathFromList)(list, path);
}

static HRESULT WINAPI WatchedGetMalloc(IMalloc **allocator)
{
    HRESULT result = ((decltype(&SHGetMalloc))(void *)RealGetMalloc)(&Allocator.Real);
    if (FAILED(result))
        return result;
    Allocator.Real->Release();   // the shell's allocator lives as long as the process
    Handed->AllocatorReferences++;
    *allocator = &Allocator;
    return result;
}

static HRESULT WINAPI WatchedCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                                            void **object)
{
    HRESULT result =
        ((decltype(&CoCreateInstance))Handed->Swaps[1]->Original)(classId, outer, context, interfaceId, object);
    if (SUCCEEDED(result) && *object) {
        IUnknown *link = (IUnknown *)*object;
        link->AddRef();
        Handed->Links.push_back(link);
    }
    return result;
}

// The shell's calls are bound at run time: those that hand out or read item
// lists and the allocator are answered with the watched ones.
static FARPROC WINAPI WatchedLookUp(HMODULE module, LPCSTR name)
{
    FARPROC real = ((decltype(&GetProcAddress))Handed->Swaps[0]->Original)(module, name);
    // Ordinals (a high word of zero) are never these names.
    if (!real || !HIWORD((ULONG_PTR)name))
        return real;
    if (lstrcmpA(name, "SHGetSpecialFolderLocation") == 0) {
        RealFolderLocation = real;
        return (FARPROC)(void *)WatchedFolderLocation;
    }
    if (lstrcmpA(name, "SHGetPathFromIDListW") == 0) {
        RealPathFromList = real;
        return (FARPROC)(void *)WatchedPathFromList;
    }
    if (lstrcmpA(name, "SHGetMalloc") == 0) {
        RealGetMalloc = real;
        return (FARPROC)(void *)WatchedGetMalloc;
    }
    return real;
}

ShellWatch::ShellWatch()
{
    Swaps[0].reset(new ImportSwap("kernel32.dll", "GetProcAddress", (void *)WatchedLookUp));
    Swaps[1].reset(new ImportSwap("ole32.dll", "CoCreateInstance", (void *)WatchedCreateInstance));
    Handed = this;
}

std::vector<ULONG> ShellWatch::LinkReferencesLeft()
{
    std::vector<ULONG> left;
    for (IUnknown *link : Links)
        left.push_back(link->Release());
    Links.clear();
    return left;
}

ShellWatch::~ShellWatch()
{
    LinkReferencesLeft();
    for (auto &swap : Swaps)
        swap.reset();
    Handed = NULL;
}

static LinkFault *FailingLink;

static HRESULT STDMETHODCALLTYPE FailedText(void *, LPCSTR)
{
    FailingLink->Failed++;
    return E_FAIL;
}

static HRESULT STDMETHODCALLTYPE FailedSave(void *, LPCOLESTR, BOOL)
{
    FailingLink->Failed++;
    return STG_E_ACCESSDENIED;
}

static HRESULT STDMETHODCALLTYPE NoFileInterface(void *link, REFIID interfaceId, void **object)
{
    if (IsEqualIID(interfaceId, IID_IPersistFile)) {
        FailingLink->Failed++;
        *object = NULL;
        return E_NOINTERFACE;
    }
    return ((HRESULT(STDMETHODCALLTYPE *)(void *, REFIID, void **))FailingLink->Original)(link, interfaceId, object);
}

// Where each call stands in its interface's table of methods, as the
// platform's headers lay the tables out.
static const struct {
    bool OfFileInterface;
    int Slot;
    void *StandIn;
} LinkCalls[] = {
    { false, 0, (void *)NoFileInterface },    // IUnknown::QueryInterface
    { false, 20, (void *)FailedText },        // IShellLinkA::SetPath
    { false, 9, (void *)FailedText },         // IShellLinkA::SetWorkingDirectory
    { false, 7, (void *)FailedText },         // IShellLinkA::SetDescription
    { true, 6, (void *)FailedSave },          // IPersistFile::Save
};

static void PutSlot(void **slot, void *value)
{
    DWORD was;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &was);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, was, &was);
}

static HRESULT WINAPI CreateFailingLink(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                                        void **object)
{
    HRESULT result =
        ((decltype(&CoCreateInstance))FailingLink->Swap->Original)(classId, outer, context, interfaceId, object);
    if (FAILED(result) || !*object || FailingLink->Slot)
        return result;
    const auto &call = LinkCalls[FailingLink->Call];
    IUnknown *link = (IUnknown *)*object, *holder = link;
    if (call.OfFileInterface && FAILED(link->QueryInterface(IID_IPersistFile, (void **)&holder)))
        return result;
    FailingLink->Slot = &(*(void ***)holder)[call.Slot];
    FailingLink->Original = *FailingLink->Slot;
    PutSlot(FailingLink->Slot, call.StandIn);
    if (holder != link)
        holder->Release();
    return result;
}

LinkFault::LinkFault(LinkCall call) : Call(call)
{
    FailingLink = this;
    Swap.reset(new ImportSwap("ole32.dll", "CoCreateInstance", (void *)CreateFailingLink));
}

LinkFault::~LinkFault()
{
    Swap.reset();
    if (Slot)
        PutSlot(Slot, Original);
    FailingLink = NULL;
}

static LinkTargetAnswer *AnsweredLink;

static HRESULT STDMETHODCALLTYPE AnsiTarget(void *, LPSTR file, int room, WIN32_FIND_DATAA *, DWORD)
{
    if (!WideCharToMultiByte(CP_ACP, 0, AnsweredLink->Target.c_str(), -1, file, room, NULL, NULL))
        return E_FAIL;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE WideTarget(void *, LPWSTR file, int room, WIN32_FIND_DATAW *, DWORD)
{
    if ((int)AnsweredLink->Target.size() >= room)
        return E_FAIL;
    lstrcpyW(file, AnsweredLink->Target.c_str());
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE NoTargetList(void *, LPITEMIDLIST *list)
{
    *list = NULL;
    return E_FAIL;
}

static HRESULT WINAPI CreateAnsweredLink(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                                         void **object)
{
    HRESULT result =
        ((decltype(&CoCreateInstance))AnsweredLink->Swap->Original)(classId, outer, context, interfaceId, object);
    IUnknown *link = FAILED(result) ? NULL : (IUnknown *)*object, *wide;
    if (!link || AnsweredLink->Slots[0] || FAILED(link->QueryInterface(IID_IShellLinkW, (void **)&wide)))
        return result;
    // GetPath follows IUnknown's three methods in both interfaces, GetIDList follows it.
    IUnknown *holders[3] = { link, wide, wide };
    void *standIns[3] = { (void *)AnsiTarget, (void *)WideTarget, (void *)NoTargetList };
    for (int i = 0; i < 3; i++) {
        AnsweredLink->Slots[i] = &(*(void ***)holders[i])[i < 2 ? 3 : 4];
        AnsweredLink->Originals[i] = *AnsweredLink->Slots[i];
        PutSlot(AnsweredLink->Slots[i], standIns[i]);
    }
    wide->Release();
    return result;
}

LinkTargetAnswer::LinkTargetAnswer(const std::wstring &target) : Target(target)
{
    AnsweredLink = this;
    Swap.reset(new ImportSwap("ole32.dll", "CoCreateInstance", (void *)CreateAnsweredLink));
}

LinkTargetAnswer::~LinkTargetAnswer()
{
    Swap.reset();
    for (int i = 0; i < 3; i++)
        if (Slots[i])
            PutSlot(Slots[i], Originals[i]);
    AnsweredLink = NULL;
}
