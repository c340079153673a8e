// Stand-ins at the platform-call boundary: one of this test program's
// imported calls is swapped for a stand-in while an ImportSwap lives. Used
// for failures that Wine cannot be made to produce for real, for message
// boxes recorded instead of shown, and for the program's own path.
#ifndef TESTS_FAULT_H
#define TESTS_FAULT_H

#include <windows.h>
#include <string>
#include <vector>

struct ImportSwap {
    ImportSwap(const char *dll, const char *function, void *replacement);
    ~ImportSwap();
    ImportSwap(const ImportSwap &) = delete;
    ImportSwap &operator=(const ImportSwap &) = delete;
    void *Original;   // the real call, for stand-ins that fail only some calls
    void **Slot;
};
// Whether this program imports the call at all, for stand-ins of calls that
// only some versions of the program make.
bool IsImported(const char *dll, const char *function);

// The five calls of movable memory blocks, swapped together for stand-ins
// while a MemorySwap lives: the one way the memory watches (BlockWatch,
// GuardedBlocks) take the program's blocks over. Real holds the platform's
// calls, for stand-ins that pass calls on.
struct MemoryCalls {
    HGLOBAL(WINAPI *Alloc)(UINT flags, SIZE_T size);
    HGLOBAL(WINAPI *ReAlloc)(HGLOBAL block, SIZE_T size, UINT flags);
    HGLOBAL(WINAPI *Free)(HGLOBAL block);
    LPVOID(WINAPI *Lock)(HGLOBAL block);
    BOOL(WINAPI *Unlock)(HGLOBAL block);
};

struct MemorySwap {
    explicit MemorySwap(const MemoryCalls &standIns);
    MemoryCalls Real;

private:
    ImportSwap Alloc, ReAlloc, Free, Lock, Unlock;
};

// Message boxes shown while a BoxCapture lives are recorded instead of shown,
// and answered with the given button.
struct RecordedBox {
    HWND Owner;
    std::string Text;
    bool NullCaption;
    std::string Caption;
    UINT Type;
};

struct BoxCapture {
    explicit BoxCapture(int answer = IDOK);
    ~BoxCapture();
    std::vector<RecordedBox> Boxes;
    int Answer;
    ImportSwap Swap;
};

// GetModuleFileNameA, and GetModuleFileNameW as the program binds it at run
// time, answered for this test program as the platform answers them for a
// program at `path` (an ANSI path, converted for the wide call), so that the
// program's routines take that program's folder for the setup folder. A
// path that does not fit is cut to the buffer without a terminator and the
// buffer size comes back; an empty path makes the call fail. Other modules
// get the real answer.
struct ModulePathSwap {
    explicit ModulePathSwap(const std::string &path);
    // A path that only wide characters spell: the ANSI call gets it as the
    // platform converts it, with '?' or look-alikes for what the code page lacks.
    explicit ModulePathSwap(const std::wstring &path);
    ~ModulePathSwap();
    std::string Path;
    std::wstring WidePath;
    std::vector<DWORD> Sizes;           // buffer sizes asked with, in order, in characters
    std::vector<HMODULE> Modules;
    ImportSwap Swap, Binding;
};

// The command line the program reads (GetCommandLineA) while a
// CommandLineSwap lives: a test program that runs the setup's steps reads
// the setup's command line, not its own.
struct CommandLineSwap {
    explicit CommandLineSwap(const std::string &line);
    ~CommandLineSwap();
    std::string Line;
    ImportSwap Swap;
};

#endif
