// Swaps entries of this program's import address table: failing calls,
// recorded message boxes and the program's own path answered.
#include "fault.h"
#include "sandbox.h"
#include <cstdio>

static void **FindImportSlot(const char *dll, const char *function)
{
    BYTE *base = (BYTE *)GetModuleHandleA(NULL);
    IMAGE_NT_HEADERS *nt = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    IMAGE_DATA_DIRECTORY directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    IMAGE_IMPORT_DESCRIPTOR *import = (IMAGE_IMPORT_DESCRIPTOR *)(base + directory.VirtualAddress);

    for (; import->Name; import++) {
        if (lstrcmpiA((char *)(base + import->Name), dll) != 0)
            continue;
        IMAGE_THUNK_DATA *names = (IMAGE_THUNK_DATA *)(base + import->OriginalFirstThunk);
        IMAGE_THUNK_DATA *slots = (IMAGE_THUNK_DATA *)(base + import->FirstThunk);
        for (; names->u1.AddressOfData; names++, slots++) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            IMAGE_IMPORT_BY_NAME *byName = (IMAGE_IMPORT_BY_NAME *)(base + names->u1.AddressOfData);
            if (lstrcmpA((char *)byName->Name, function) == 0)
                return (void **)&slots->u1.Function;
        }
    }
    return NULL;
}

bool IsImported(const char *dll, const char *function)
{
    return FindImportSlot(dll, function) != NULL;
}

static void WriteSlot(void **slot, void *value)
{
    DWORD protection;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

ImportSwap::ImportSwap(const char *dll, const char *function, void *replacement)
    : Original(NULL), Slot(FindImportSlot(dll, function))
{
    if (!Slot) {
        // A test that swaps a call the program does not import would test nothing.
        fprintf(stderr, "ImportSwap: %s!%s is not imported\n", dll, function);
        ExitProcess(3);
    }
    Original = *Slot;
    WriteSlot(Slot, replacement);
}

ImportSwap::~ImportSwap()
{
    WriteSlot(Slot, Original);
}

MemorySwap::MemorySwap(const MemoryCalls &standIns)
    : Alloc("kernel32.dll", "GlobalAlloc", (void *)standIns.Alloc),
      ReAlloc("kernel32.dll", "GlobalReAlloc", (void *)standIns.ReAlloc),
      Free("kernel32.dll", "GlobalFree", (void *)standIns.Free),
      Lock("kernel32.dll", "GlobalLock", (void *)standIns.Lock),
      Unlock("kernel32.dll", "GlobalUnlock", (void *)standIns.Unlock)
{
    Real = { (decltype(Real.Alloc))Alloc.Original, (decltype(Real.ReAlloc))ReAlloc.Original,
             (decltype(Real.Free))Free.Original, (decltype(Real.Lock))Lock.Original,
             (decltype(Real.Unlock))Unlock.Original };
}

static BoxCapture *ActiveCapture;

static int WINAPI RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    ActiveCapture->Boxes.push_back({ owner, text ? text : "", caption == NULL, caption ? caption : "", type });
    return ActiveCapture->Answer;
}

BoxCapture::BoxCapture(int answer)
    : Answer(answer), Swap("user32.dll", "MessageBoxA", (void *)RecordBox)
{
    ActiveCapture = this;
}

BoxCapture::~BoxCapture()
{
    ActiveCapture = NULL;
}

static ModulePathSwap *PathSwap;

static DWORD WINAPI StandInModulePath(HMODULE module, LPSTR buffer, DWORD size)
{
    if (module && module != GetModuleHandleA(NULL))
        return ((DWORD(WINAPI *)(HMODULE, LPSTR, DWORD))PathSwap->Swap.Original)(module, buffer, size);
    PathSwap->Sizes.push_back(size);
    PathSwap->Modules.push_back(module);
    if (PathSwap->Path.empty()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    DWORD length = PathSwap->Path.size();
    if (length < size) {
        CopyMemory(buffer, PathSwap->Path.c_str(), length + 1);
        return length;
    }
    CopyMemory(buffer, PathSwap->Path.data(), size);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

static DWORD WINAPI StandInWideModulePath(HMODULE module, LPWSTR buffer, DWORD size)
{
    if (module && module != GetModuleHandleA(NULL))
        return GetModuleFileNameW(module, buffer, size);
    PathSwap->Sizes.push_back(size);
    PathSwap->Modules.push_back(module);
    const std::wstring &path = PathSwap->WidePath;
    if (path.empty()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    DWORD length = path.size();
    if (length < size) {
        CopyMemory(buffer, path.c_str(), (length + 1) * sizeof(WCHAR));
        return length;
    }
    CopyMemory(buffer, path.data(), size * sizeof(WCHAR));
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

static FARPROC WINAPI LookUpModulePath(HMODULE module, LPCSTR name)
{
    if (HIWORD((ULONG_PTR)name) && lstrcmpA(name, "GetModuleFileNameW") == 0)
        return (FARPROC)StandInWideModulePath;
    return ((FARPROC(WINAPI *)(HMODULE, LPCSTR))PathSwap->Binding.Original)(module, name);
}

static std::wstring WideOf(const std::string &text)
{
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], wide.size()) - 1);
    return wide;
}

static std::string AnsiOf(const std::wstring &text)
{
    std::string ansi(2 * text.size() + 1, '\0');
    ansi.resize(WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &ansi[0], ansi.size(), NULL, NULL) - 1);
    return ansi;
}

ModulePathSwap::ModulePathSwap(const std::wstring &path) : ModulePathSwap(AnsiOf(path))
{
    WidePath = path;
}

ModulePathSwap::ModulePathSwap(const std::string &path)
    : Path(path), WidePath(WideOf(path)), Swap("kernel32.dll", "GetModuleFileNameA", (void *)StandInModulePath),
      Binding("kernel32.dll", "GetProcAddress", (void *)LookUpModulePath)
{
    PathSwap = this;
}

ModulePathSwap::~ModulePathSwap()
{
    PathSwap = NULL;
}

static CommandLineSwap *LineSwap;

static LPSTR WINAPI StandInCommandLine(void)
{
    return &LineSwap->Line[0];
}

CommandLineSwap::CommandLineSwap(const std::string &line)
    : Line(line), Swap("kernel32.dll", "GetCommandLineA", (void *)StandInCommandLine)
{
    LineSwap = this;
}

CommandLineSwap::~CommandLineSwap()
{
    LineSwap = NULL;
}
