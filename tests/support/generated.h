// Generated inputs for the hostile-input tests: a seeded generator that
// counts and names what it tried, and ways to make an overrun, a crash or a
// hang visible at once instead of corrupting the run silently.
#ifndef TESTS_GENERATED_H
#define TESTS_GENERATED_H

#include <windows.h>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include "fault.h"

// One generated test: inputs drawn from a seed (HOSTILE_SEED in the
// environment overrides the test's own), each described before it is tried.
// Every failure carries the seed and the input; a crash or a hang prints
// them before the process ends; the summary line says what was tried.
class Generated {
public:
    Generated(const char *surface, uint32_t seed, int inputs);
    ~Generated();
    Generated(const Generated &) = delete;
    Generated &operator=(const Generated &) = delete;

    // Moves on to the next input; false when all were tried, or after ten
    // failing ones (the rest would only repeat them).
    bool Next();
    // Names the input under way, for every report about it.
    void Describe(const std::string &what);
    // "seed 12345, input 17: <description>", for SCOPED_TRACE.
    std::string Where() const;
    // Counts an outcome of the input under way, for the summary line.
    void Tally(const std::string &outcome);

    uint32_t Below(uint32_t count);             // 0 .. count - 1
    uint32_t Between(uint32_t low, uint32_t high);   // low .. high
    bool Chance(unsigned percent);
    std::string Bytes(size_t count);            // any bytes, zeros included

    const char *Surface;
    uint32_t Seed;
    int Inputs, Index = -1, Failures = 0;

private:
    std::mt19937 Random;
    std::string What;
    std::map<std::string, int> Outcomes;
    int PartsBefore = 0;
    HANDLE Pet, Watchdog;
    LPTOP_LEVEL_EXCEPTION_FILTER PreviousFilter;
    static DWORD WINAPI Watch(void *self);
    static LONG WINAPI Crashed(EXCEPTION_POINTERS *exception);
    void CountFailure();
};

// A description of bytes a person can read: printable ones as they are,
// a backslash doubled, the others as \xNN, long runs shortened.
std::string Printable(const std::string &bytes, size_t limit = 80);

// While it lives, the program's movable memory blocks (GlobalAlloc and the
// calls that go with it) end exactly where a no-access page begins, so a
// byte read or written past a block's end stops the program at once; the
// bytes before a block hold a pattern that is checked when the block goes.
struct GuardedBlocks {
    GuardedBlocks();
    ~GuardedBlocks();
    int Live() const { return (int)Blocks.size(); }
    int LockCount(HGLOBAL block) const;
    bool Damaged = false;   // a pattern overwritten, or a handle that is not a block
    struct Block;
    std::map<HGLOBAL, Block *> Blocks;
    std::unique_ptr<MemorySwap> Swap;
};

// Guard bytes around the state record's install folder: the unused bytes
// between it and the title font are set to a pattern, and the whole record
// is kept; Damage() names the bytes that changed outside the fields the
// routine under test may write.
struct StateGuard {
    StateGuard();
    void Allow(const void *field, size_t size);
    std::string Damage() const;   // empty when intact

private:
    std::string Before;
    std::string Allowed;   // one flag per byte of the record
};

#endif
