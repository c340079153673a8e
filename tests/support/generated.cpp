// The generator of hostile inputs, guarded memory blocks and the state record's guard bytes.
#include "generated.h"
#include "setup/state.h"
#include <gtest/gtest.h>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

// Without a new input for this long the run is taken for hung.
static const DWORD HangAfter = 30000;
static const int MostFailingInputs = 10;
static Generated *Running;

static int FailedParts()
{
    const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
    return test ? test->result()->total_part_count() : 0;
}

Generated::Generated(const char *surface, uint32_t seed, int inputs)
    : Surface(surface), Seed(seed), Inputs(inputs)
{
    const char *chosen = getenv("HOSTILE_SEED");
    if (chosen && *chosen)
        Seed = (uint32_t)strtoul(chosen, NULL, 0);
    Random.seed(Seed);
    printf("%s: seed %u (HOSTILE_SEED=%u reruns it)\n", Surface, Seed, Seed);
    fflush(stdout);
    Running = this;
    PartsBefore = FailedParts();
    PreviousFilter = SetUnhandledExceptionFilter(Crashed);
    Pet = CreateEventA(NULL, FALSE, FALSE, NULL);
    Watchdog = CreateThread(NULL, 0, Watch, this, 0, NULL);
}

Generated::~Generated()
{
    CountFailure();
    Running = NULL;
    TerminateThread(Watchdog, 0);
    CloseHandle(Watchdog);
    CloseHandle(Pet);
    SetUnhandledExceptionFilter(PreviousFilter);
    std::string outcomes;
    for (auto &outcome : Outcomes)
        outcomes += (outcomes.empty() ? "; " : ", ") + outcome.first + " " + std::to_string(outcome.second);
    printf("%s: %d inputs, %d failures (seed %u)%s\n", Surface, Index < Inputs ? Index + 1 : Inputs, Failures, Seed,
           outcomes.c_str());
    fflush(stdout);
}

void Generated::CountFailure()
{
    int parts = FailedParts();
    if (parts != PartsBefore)
        Failures++;
    PartsBefore = parts;
}

bool Generated::Next()
{
    if (Index >= 0)
        CountFailure();
    if (Failures >= MostFailingInputs) {
        printf("%s: stopped after %d failing inputs\n", Surface, Failures);
        return false;
    }
    Index++;
    What = "";
    SetEvent(Pet);
    return Index < Inputs;
}

void Generated::Describe(const std::string &what)
{
    What = what;
}

std::string Generated::Where() const
{
    return std::string(Surface) + " seed " + std::to_string(Seed) + ", input " + std::to_string(Index) + ": " + What;
}

void Generated::Tally(const std::string &outcome)
{
    Outcomes[outcome]++;
}

uint32_t Generated::Below(uint32_t count)
{
    return count ? std::uniform_int_distribution<uint32_t>(0, count - 1)(Random) : 0;
}

uint32_t Generated::Between(uint32_t low, uint32_t high)
{
    return std::uniform_int_distribution<uint32_t>(low, high)(Random);
}

bool Generated::Chance(unsigned percent)
{
    return Below(100) < percent;
}

std::string Generated::Bytes(size_t count)
{
    std::string bytes(count, '\0');
    for (char &byte : bytes)
        byte = (char)Below(256);
    return bytes;
}

DWORD WINAPI Generated::Watch(void *self)
{
    Generated *run = (Generated *)self;
    while (WaitForSingleObject(run->Pet, HangAfter) == WAIT_OBJECT_0)
        ;
    fprintf(stderr, "HUNG: no answer for %lu s at %s\n", HangAfter / 1000, run->Where().c_str());
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 4);
    return 0;
}

LONG WINAPI Generated::Crashed(EXCEPTION_POINTERS *exception)
{
    if (Running) {
        fprintf(stderr, "CRASHED: exception %08lx at %p, %s\n", exception->ExceptionRecord->ExceptionCode,
                exception->ExceptionRecord->ExceptionAddress, Running->Where().c_str());
        fflush(stderr);
    }
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

std::string Printable(const std::string &bytes, size_t limit)
{
    std::string text;
    size_t shown = bytes.size() > limit ? limit : bytes.size();
    for (size_t i = 0; i < shown; i++) {
        unsigned char c = bytes[i];
        if (c == '\\') {
            text += "\\\\";
        } else if (c >= 0x20 && c < 0x7F) {
            text += (char)c;
        } else {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02X", c);
            text += escaped;
        }
    }
    if (shown < bytes.size())
        text += "...(" + std::to_string(bytes.size()) + " bytes)";
    return text;
}

struct GuardedBlocks::Block {
    BYTE *Region;
    BYTE *Data;
    SIZE_T Size;
    int Locks;
};

static GuardedBlocks *Guarded;
static const BYTE Pattern = 0xCD;

static SIZE_T PageSize()
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    return system.dwPageSize;
}

static GuardedBlocks::Block *NewBlock(SIZE_T size)
{
    SIZE_T page = PageSize(), pages = (size + page - 1) / page;
    if (pages == 0)
        pages = 1;
    BYTE *region = (BYTE *)VirtualAlloc(NULL, (pages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!region)
        return NULL;
    DWORD old;
    VirtualProtect(region + pages * page, page, PAGE_NOACCESS, &old);
    GuardedBlocks::Block *block = new GuardedBlocks::Block{ region, region + pages * page - size, size, 0 };
    FillMemory(region, block->Data - region, Pattern);
    return block;
}

static void DropBlock(HGLOBAL handle)
{
    GuardedBlocks::Block *block = Guarded->Blocks[handle];
    for (BYTE *byte = block->Region; byte < block->Data; byte++)
        if (*byte != Pattern)
            Guarded->Damaged = true;
    VirtualFree(block->Region, 0, MEM_RELEASE);
    delete block;
    Guarded->Blocks.erase(handle);
}

static GuardedBlocks::Block *Find(HGLOBAL handle)
{
    auto found = Guarded->Blocks.find(handle);
    if (found == Guarded->Blocks.end()) {
        Guarded->Damaged = true;
        return NULL;
    }
    return found->second;
}

static HGLOBAL WINAPI GuardedAlloc(UINT flags, SIZE_T size)
{
    GuardedBlocks::Block *block = NewBlock(size);
    if (!block)
        return NULL;
    if (flags & GMEM_ZEROINIT)
        ZeroMemory(block->Data, size);
    HGLOBAL handle = (HGLOBAL)block;
    Guarded->Blocks[handle] = block;
    return handle;
}

static HGLOBAL WINAPI GuardedReAlloc(HGLOBAL handle, SIZE_T size, UINT flags)
{
    GuardedBlocks::Block *old = Find(handle);
    if (!old)
        return NULL;
    HGLOBAL grown = GuardedAlloc(flags, size);
    if (!grown)
        return NULL;
    CopyMemory(Guarded->Blocks[grown]->Data, old->Data, old->Size < size ? old->Size : size);
    Guarded->Blocks[grown]->Locks = old->Locks;
    DropBlock(handle);
    return grown;
}

static LPVOID WINAPI GuardedLock(HGLOBAL handle)
{
    GuardedBlocks::Block *block = Find(handle);
    if (!block)
        return NULL;
    block->Locks++;
    return block->Data;
}

static BOOL WINAPI GuardedUnlock(HGLOBAL handle)
{
    GuardedBlocks::Block *block = Find(handle);
    if (!block)
        return FALSE;
    if (block->Locks > 0)
        block->Locks--;
    SetLastError(NO_ERROR);
    return block->Locks > 0;
}

static HGLOBAL WINAPI GuardedFree(HGLOBAL handle)
{
    if (!Find(handle))
        return handle;
    DropBlock(handle);
    return NULL;
}

GuardedBlocks::GuardedBlocks()
{
    Guarded = this;
    Swap.reset(new MemorySwap({ GuardedAlloc, GuardedReAlloc, GuardedFree, GuardedLock, GuardedUnlock }));
}

GuardedBlocks::~GuardedBlocks()
{
    Swap.reset();
    while (!Blocks.empty())
        DropBlock(Blocks.begin()->first);
    Guarded = NULL;
}

int GuardedBlocks::LockCount(HGLOBAL handle) const
{
    auto found = Blocks.find(handle);
    return found == Blocks.end() ? -1 : found->second->Locks;
}

static const BYTE StatePattern = 0xA5;

StateGuard::StateGuard()
{
    // The bytes after the install folder up to the title font belong to no
    // field: a terminator written one past the folder lands there.
    BYTE *state = (BYTE *)&SetupState;
    size_t gap = offsetof(SETUPSTATE, InstallPath) + sizeof SetupState.InstallPath;
    FillMemory(state + gap, offsetof(SETUPSTATE, PlatformId) - gap, StatePattern);
    Before.assign((const char *)state, sizeof SetupState);
    Allowed.assign(sizeof SetupState, '\0');
}

void StateGuard::Allow(const void *field, size_t size)
{
    size_t offset = (const BYTE *)field - (const BYTE *)&SetupState;
    for (size_t i = 0; i < size && offset + i < Allowed.size(); i++)
        Allowed[offset + i] = 1;
}

std::string StateGuard::Damage() const
{
    const char *now = (const char *)&SetupState;
    std::string damage;
    for (size_t i = 0; i < Before.size(); i++)
        if (!Allowed[i] && now[i] != Before[i])
            damage += (damage.empty() ? "state record changed at byte " : ", ") + std::to_string(i);
    if (memchr(SetupState.InstallPath, 0, sizeof SetupState.InstallPath) == NULL)
        damage += (damage.empty() ? "" : "; ") + std::string("install folder without terminator");
    return damage;
}
