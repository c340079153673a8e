// Stand-ins for GetProcAddress and LoadLibraryExA that fail for one name.
#include "binding_fault.h"

static const char *SwappedFunction, *AlsoSwapped;
static void *FunctionStandIn;
static ImportSwap *ActiveProcedureSwap;

static FARPROC WINAPI LookUp(HMODULE module, LPCSTR name)
{
    // Ordinals (a high word of zero) are never the swapped name.
    if (HIWORD((ULONG_PTR)name)
        && (lstrcmpA(name, SwappedFunction) == 0 || (AlsoSwapped && lstrcmpA(name, AlsoSwapped) == 0))) {
        if (!FunctionStandIn)
            SetLastError(ERROR_PROC_NOT_FOUND);
        return (FARPROC)FunctionStandIn;
    }
    return ((FARPROC(WINAPI *)(HMODULE, LPCSTR))ActiveProcedureSwap->Original)(module, name);
}

ProcedureSwap::ProcedureSwap(const char *function, void *standIn, const char *alsoFunction)
    : Swap("kernel32.dll", "GetProcAddress", (void *)LookUp)
{
    SwappedFunction = function;
    AlsoSwapped = alsoFunction;
    FunctionStandIn = standIn;
    ActiveProcedureSwap = &Swap;
}

ProcedureSwap::~ProcedureSwap()
{
    ActiveProcedureSwap = NULL;
}

static const char *GoneFile;
static ImportSwap *ActiveLibrarySwap;

static HMODULE WINAPI Load(LPCSTR path, HANDLE file, DWORD flags)
{
    int length = lstrlenA(path), nameLength = lstrlenA(GoneFile);
    if (length >= nameLength && lstrcmpiA(path + length - nameLength, GoneFile) == 0
        && (length == nameLength || path[length - nameLength - 1] == '\\')) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return NULL;
    }
    return ((HMODULE(WINAPI *)(LPCSTR, HANDLE, DWORD))ActiveLibrarySwap->Original)(path, file, flags);
}

LibraryGone::LibraryGone(const char *fileName)
    : Swap("kernel32.dll", "LoadLibraryExA", (void *)Load)
{
    GoneFile = fileName;
    ActiveLibrarySwap = &Swap;
}

LibraryGone::~LibraryGone()
{
    ActiveLibrarySwap = NULL;
}
