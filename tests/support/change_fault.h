// A run of the setup's test build (tests/faultsetup) whose calls that change
// the machine are counted, one count for all in the order made, so that a
// test can fail the N-th of them, or stop the run just before it and kill
// it there, and learn afterwards which the run made.
#ifndef TESTS_CHANGE_FAULT_H
#define TESTS_CHANGE_FAULT_H

// The N-th change call fails with ERROR_ACCESS_DENIED (E_ACCESSDENIED for
// the shell link object); every other one is made.
#define FAIL_AT_VARIABLE "BRINDLECAST_TEST_FAIL_AT"
// Before the N-th change call the run sets the event that STOPPED names and
// waits, a minute at most, to be killed; then it makes the call and goes on.
#define STOP_AT_VARIABLE "BRINDLECAST_TEST_STOP_AT"
#define STOPPED_VARIABLE "BRINDLECAST_TEST_STOPPED"
// A file that gets one line per change call made, in order, when the run
// ends: the call's name and the path, key or value it names.
#define COUNT_TO_VARIABLE "BRINDLECAST_TEST_COUNT_TO"

// Change calls: CreateDirectoryA; CreateFileA that creates or may create a
// file or opens one for writing; MoveFileA; MoveFileW, MoveFileExA and
// RegSetValueExW as bound at run time; RegCreateKeyExA, RegSetValueExA, RegDeleteKeyA,
// RegDeleteValueA; CoCreateInstance (the shortcut). Deleting files and
// folders, setting attributes and writing to an open file are not counted:
// the clean-up after a finished installation uses them.
//
// Swaps those calls for counting stand-ins when any of the variables is
// set; nothing otherwise. The swaps last until the process ends.
void CountChangeCalls(void);

#endif
