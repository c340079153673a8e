// Child processes run to their end.
#include "child_process.h"

int RunSelf(const std::string &variable, const std::string &value, DWORD timeout)
{
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    std::string command = std::string("\"") + self + "\" --gtest_list_tests";
    STARTUPINFOA startup = {};
    PROCESS_INFORMATION process;
    startup.cb = sizeof startup;
    SetEnvironmentVariableA(variable.c_str(), value.c_str());
    BOOL started = CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process);
    SetEnvironmentVariableA(variable.c_str(), NULL);
    if (!started)
        return -1;
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(process.hProcess, timeout) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
    } else
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return (int)code;
}

ProgramRun RunCaptured(const std::string &commandLine, DWORD timeout)
{
    ProgramRun run = { false, (DWORD)-1, "" };
    SECURITY_ATTRIBUTES inherit = { sizeof inherit, NULL, TRUE };
    HANDLE reader, writer;
    STARTUPINFOA startup = {};
    PROCESS_INFORMATION process = {};
    std::string command = commandLine;

    if (!CreatePipe(&reader, &writer, &inherit, 0))
        return run;
    SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = NULL;
    startup.hStdOutput = startup.hStdError = writer;
    BOOL started = CreateProcessA(NULL, &command[0], NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL, NULL, &startup,
                                  &process);
    CloseHandle(writer);
    if (!started) {
        CloseHandle(reader);
        return run;
    }
    // Drain the pipe while the program runs, so a long output cannot stall it.
    DWORD start = GetTickCount();
    for (;;) {
        DWORD waiting = 0, got = 0;
        char buffer[4096];
        bool ended = WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0;
        while (PeekNamedPipe(reader, NULL, 0, NULL, &waiting, NULL) && waiting
               && ReadFile(reader, buffer, sizeof buffer, &got, NULL) && got)
            run.Output.append(buffer, got);
        if (ended) {
            run.Finished = true;
            GetExitCodeProcess(process.hProcess, &run.ExitCode);
            break;
        }
        if (GetTickCount() - start >= timeout) {
            TerminateProcess(process.hProcess, 99);
            break;
        }
    }
    CloseHandle(reader);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return run;
}
