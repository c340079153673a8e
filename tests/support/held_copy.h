// A run of the setup's test build (tests/faultsetup) held at the start of its
// install phase's first write, the first product file it creates, until the
// test lets it go: what the run shows there stays up however fast the rest
// is. The environment variable names an event; the test sets it.
#ifndef TESTS_HELD_COPY_H
#define TESTS_HELD_COPY_H

#include "fault.h"

#define HELD_COPY_VARIABLE "BRINDLECAST_TEST_HOLD"

// The first CreateFileA that creates a file (CREATE_ALWAYS) waits for the
// event, a minute at most, so that a test that died leaves no run holding
// the one-run mark; then it is made as asked.
struct HeldCopy {
    explicit HeldCopy(const char *eventName);
    ~HeldCopy();
    ImportSwap Swap;
};

#endif
