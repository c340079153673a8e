// Counting stand-ins for the calls that change the machine, one of which fails or stops the run.
#include "change_fault.h"
#include "fault.h"
#include <objbase.h>

static LONG Made, FailAt, StopAt;
static HANDLE Stopped;
static char CountFile[MAX_PATH];
// One line per change call made, "<call> <what it names>", kept for the count file.
static char Trace[65536];
static int Traced;

static void TraceText(const char *text)
{
    while (text && *text && Traced < (int)sizeof Trace - 2)
        Trace[Traced++] = *text++;
}

// The real calls, by the slot of the table below that swapped them.
enum SwappedCall {
    SWAP_CREATE_DIRECTORY, SWAP_CREATE_FILE, SWAP_MOVE_FILE, SWAP_REG_CREATE_KEY, SWAP_REG_SET_VALUE,
    SWAP_REG_DELETE_KEY, SWAP_REG_DELETE_VALUE, SWAP_CO_CREATE_INSTANCE, SWAP_EXIT_PROCESS, SWAP_LOOK_UP,
    SWAPPED_CALLS
};
static void *Real[SWAPPED_CALLS];
static void *RealMoveFileW, *RealMoveFileExA, *RealRegSetValueExW;
#define REAL(call, type) ((type)Real[call])

// Counts a change call about to be made; true when it is the one to fail,
// with the last error set as the platform sets it for a denied change.
static bool Fails(const char *call, const char *names, const char *alsoNames = NULL)
{
    LONG number = InterlockedIncrement(&Made);
    TraceText(call);
    TraceText(" ");
    TraceText(names ? names : "(default)");
    if (alsoNames) {
        TraceText(" -> ");
        TraceText(alsoNames);
    }
    if (Traced < (int)sizeof Trace)
        Trace[Traced++] = '\n';
    if (number == StopAt && Stopped) {
        // Held here until the test kills the run; never set, so a test
        // that died lets the run go on after a minute.
        HANDLE never = CreateEventA(NULL, TRUE, FALSE, NULL);
        SetEvent(Stopped);
        WaitForSingleObject(never, 60000);
        CloseHandle(never);
    }
    if (number != FailAt)
        return false;
    SetLastError(ERROR_ACCESS_DENIED);
    return true;
}

static BOOL WINAPI CreateDirectoryCounted(LPCSTR path, LPSECURITY_ATTRIBUTES security)
{
    if (Fails("CreateDirectoryA", path))
        return FALSE;
    return REAL(SWAP_CREATE_DIRECTORY, BOOL(WINAPI *)(LPCSTR, LPSECURITY_ATTRIBUTES))(path, security);
}

static HANDLE WINAPI CreateFileCounted(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                       DWORD disposition, DWORD flags, HANDLE model)
{
    bool changes = disposition == CREATE_ALWAYS || disposition == CREATE_NEW || disposition == OPEN_ALWAYS
                   || (access & GENERIC_WRITE);
    if (changes && Fails("CreateFileA", path))
        return INVALID_HANDLE_VALUE;
    return REAL(SWAP_CREATE_FILE, HANDLE(WINAPI *)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE))(
        path, access, share, security, disposition, flags, model);
}

static BOOL WINAPI MoveFileCounted(LPCSTR from, LPCSTR to)
{
    if (Fails("MoveFileA", from, to))
        return FALSE;
    return REAL(SWAP_MOVE_FILE, BOOL(WINAPI *)(LPCSTR, LPCSTR))(from, to);
}

static const char *AnsiOf(LPCWSTR text, char *ansi, int size)
{
    if (!text || !WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, size, NULL, NULL))
        return NULL;
    return ansi;
}

static BOOL WINAPI MoveFileWideCounted(LPCWSTR from, LPCWSTR to)
{
    char ansiFrom[MAX_PATH * 2], ansiTo[MAX_PATH * 2];
    if (Fails("MoveFileW", AnsiOf(from, ansiFrom, sizeof ansiFrom), AnsiOf(to, ansiTo, sizeof ansiTo)))
        return FALSE;
    return ((BOOL(WINAPI *)(LPCWSTR, LPCWSTR))RealMoveFileW)(from, to);
}

static BOOL WINAPI MoveFileLaterCounted(LPCSTR from, LPCSTR to, DWORD flags)
{
    if (Fails("MoveFileExA", from, to))
        return FALSE;
    return ((BOOL(WINAPI *)(LPCSTR, LPCSTR, DWORD))RealMoveFileExA)(from, to, flags);
}

static LONG WINAPI RegCreateKeyCounted(HKEY parent, LPCSTR name, DWORD reserved, LPSTR kind, DWORD options,
                                       REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition)
{
    if (Fails("RegCreateKeyExA", name))
        return ERROR_ACCESS_DENIED;
    return REAL(SWAP_REG_CREATE_KEY, LONG(WINAPI *)(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                                                    PHKEY, LPDWORD))(parent, name, reserved, kind, options, access,
                                                                     security, key, disposition);
}

static LONG WINAPI RegSetValueCounted(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size)
{
    if (Fails("RegSetValueExA", name))
        return ERROR_ACCESS_DENIED;
    return REAL(SWAP_REG_SET_VALUE, LONG(WINAPI *)(HKEY, LPCSTR, DWORD, DWORD, const BYTE *, DWORD))(
        key, name, reserved, type, data, size);
}

static LONG WINAPI RegSetValueWideCounted(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE *data,
                                          DWORD size)
{
    char ansi[256];
    if (Fails("RegSetValueExW", AnsiOf(name, ansi, sizeof ansi)))
        return ERROR_ACCESS_DENIED;
    return ((LONG(WINAPI *)(HKEY, LPCWSTR, DWORD, DWORD, const BYTE *, DWORD))RealRegSetValueExW)(
        key, name, reserved, type, data, size);
}

static LONG WINAPI RegDeleteKeyCounted(HKEY parent, LPCSTR name)
{
    if (Fails("RegDeleteKeyA", name))
        return ERROR_ACCESS_DENIED;
    return REAL(SWAP_REG_DELETE_KEY, LONG(WINAPI *)(HKEY, LPCSTR))(parent, name);
}

static LONG WINAPI RegDeleteValueCounted(HKEY key, LPCSTR name)
{
    if (Fails("RegDeleteValueA", name))
        return ERROR_ACCESS_DENIED;
    return REAL(SWAP_REG_DELETE_VALUE, LONG(WINAPI *)(HKEY, LPCSTR))(key, name);
}

static HRESULT WINAPI CoCreateInstanceCounted(REFCLSID type, LPUNKNOWN outer, DWORD context, REFIID wanted,
                                              LPVOID *object)
{
    if (Fails("CoCreateInstance", "shell link")) {
        *object = NULL;
        return E_ACCESSDENIED;
    }
    return REAL(SWAP_CO_CREATE_INSTANCE, HRESULT(WINAPI *)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID *))(
        type, outer, context, wanted, object);
}

// The trace, written by the real calls: the swapped CreateFileA would count itself.
static void WINAPI ExitCounted(UINT code)
{
    if (CountFile[0]) {
        HANDLE file = REAL(SWAP_CREATE_FILE, HANDLE(WINAPI *)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD,
                                                              DWORD, HANDLE))(CountFile, GENERIC_WRITE, 0, NULL,
                                                                              CREATE_ALWAYS, 0, NULL);
        DWORD written;
        if (file != INVALID_HANDLE_VALUE) {
            WriteFile(file, Trace, Traced, &written, NULL);
            CloseHandle(file);
        }
    }
    REAL(SWAP_EXIT_PROCESS, void(WINAPI *)(UINT))(code);
}

// The calls bound at run time are answered with their counting stand-ins.
static FARPROC WINAPI LookUpCounted(HMODULE module, LPCSTR name)
{
    FARPROC found = REAL(SWAP_LOOK_UP, FARPROC(WINAPI *)(HMODULE, LPCSTR))(module, name);
    // Ordinals (a high word of zero) are never these names.
    if (!found || !HIWORD((ULONG_PTR)name))
        return found;
    if (lstrcmpA(name, "MoveFileW") == 0) {
        RealMoveFileW = (void *)found;
        return (FARPROC)(void *)MoveFileWideCounted;
    }
    if (lstrcmpA(name, "MoveFileExA") == 0) {
        RealMoveFileExA = (void *)found;
        return (FARPROC)(void *)MoveFileLaterCounted;
    }
    if (lstrcmpA(name, "RegSetValueExW") == 0) {
        RealRegSetValueExW = (void *)found;
        return (FARPROC)(void *)RegSetValueWideCounted;
    }
    return found;
}

static const struct {
    const char *Dll, *Function;
    void *StandIn;
} Swaps[SWAPPED_CALLS] = {
    { "kernel32.dll", "CreateDirectoryA", (void *)CreateDirectoryCounted },
    { "kernel32.dll", "CreateFileA", (void *)CreateFileCounted },
    { "kernel32.dll", "MoveFileA", (void *)MoveFileCounted },
    { "advapi32.dll", "RegCreateKeyExA", (void *)RegCreateKeyCounted },
    { "advapi32.dll", "RegSetValueExA", (void *)RegSetValueCounted },
    { "advapi32.dll", "RegDeleteKeyA", (void *)RegDeleteKeyCounted },
    { "advapi32.dll", "RegDeleteValueA", (void *)RegDeleteValueCounted },
    { "ole32.dll", "CoCreateInstance", (void *)CoCreateInstanceCounted },
    { "kernel32.dll", "ExitProcess", (void *)ExitCounted },
    { "kernel32.dll", "GetProcAddress", (void *)LookUpCounted },
};

static LONG NumberIn(const char *variable)
{
    char text[16];
    LONG number = 0;
    DWORD length = GetEnvironmentVariableA(variable, text, sizeof text);
    if (length == 0 || length >= sizeof text)
        return 0;
    for (const char *digit = text; *digit >= '0' && *digit <= '9'; digit++)
        number = 10 * number + (*digit - '0');
    return number;
}

void CountChangeCalls(void)
{
    char event[64];
    DWORD count = GetEnvironmentVariableA(COUNT_TO_VARIABLE, CountFile, sizeof CountFile);

    if (count >= sizeof CountFile)
        CountFile[0] = '\0';
    FailAt = NumberIn(FAIL_AT_VARIABLE);
    StopAt = NumberIn(STOP_AT_VARIABLE);
    DWORD named = GetEnvironmentVariableA(STOPPED_VARIABLE, event, sizeof event);
    if (named && named < sizeof event)
        Stopped = OpenEventA(EVENT_MODIFY_STATE, FALSE, event);
    if (!CountFile[0] && !FailAt && !StopAt)
        return;
    // A call that this build of the program does not import is one it never makes.
    for (int call = 0; call < SWAPPED_CALLS; call++)
        if (IsImported(Swaps[call].Dll, Swaps[call].Function))
            Real[call] = (new ImportSwap(Swaps[call].Dll, Swaps[call].Function, Swaps[call].StandIn))->Original;
}
