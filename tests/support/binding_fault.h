// Faults in run-time binding, at the platform-call boundary: this test
// program's GetProcAddress answers one function name with a stand-in, or with
// nothing as a system without that function does, and its LoadLibraryExA
// finds no DLL of one name, as a system without that DLL.
#ifndef TESTS_BINDING_FAULT_H
#define TESTS_BINDING_FAULT_H

#include "fault.h"

struct ProcedureSwap {
    // A null stand-in makes the lookup fail with ERROR_PROC_NOT_FOUND. A
    // second name, when given, is answered with the same stand-in (the ANSI
    // and wide forms of one call, where the program falls back to one).
    ProcedureSwap(const char *function, void *standIn, const char *alsoFunction = nullptr);
    ~ProcedureSwap();
    ImportSwap Swap;
};

struct LibraryGone {
    // A file name such as "shell32.dll", matched at the end of the path asked for.
    explicit LibraryGone(const char *fileName);
    ~LibraryGone();
    ImportSwap Swap;
};

#endif
