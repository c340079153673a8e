// Other programs run to the end: this test program again, in a mode chosen
// by an environment variable, and any command line with its output captured.
#ifndef TESTS_CHILD_PROCESS_H
#define TESTS_CHILD_PROCESS_H

#include <windows.h>
#include <string>

// This test program started again with one extra environment variable;
// returns its exit code, or -1 if it had to be killed.
int RunSelf(const std::string &variable, const std::string &value, DWORD timeout = 20000);

struct ProgramRun {
    bool Finished;
    DWORD ExitCode;
    std::string Output;   // standard output and error together
};
// Runs a Windows command line and collects what it prints.
ProgramRun RunCaptured(const std::string &commandLine, DWORD timeout = 15000);

#endif
