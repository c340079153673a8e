// Balances of the handles the program opens and closes, watched at the
// platform-call boundary while a watch lives: movable memory blocks,
// registry keys, file searches, and what the shell hands out (folder item
// lists, its allocator, the link object).
#ifndef TESTS_HANDLES_H
#define TESTS_HANDLES_H

#include <windows.h>
#include <map>
#include <shlobj.h>
#include <string>
#include <memory>
#include <vector>
#include "fault.h"

// Watches the movable blocks the program allocates while it lives, and can
// fail the n-th call (counted from 1) of an allocation, growth or lock.
struct BlockWatch {
    BlockWatch();
    ~BlockWatch();
    int FailAlloc = 0, FailReAlloc = 0, FailLock = 0;
    int Allocs = 0, ReAllocs = 0, Locks = 0;
    std::vector<SIZE_T> AllocSizes, ReAllocSizes;
    std::map<HGLOBAL, int> Live;        // block -> lock count the program holds
    bool GrewLockedBlock = false;       // a block was grown while still locked
    bool BadHandle = false;             // a call named a block not alive
    std::unique_ptr<MemorySwap> Swap;
};

// Registry keys opened or created and closed while the watch lives; it can
// deny the n-th opening or creation (counted from 1) of a key of one name,
// or the n-th write of a value of one name ("" for a key's default value).
struct KeyWatch {
    KeyWatch();
    ~KeyWatch();
    std::string DenyName;
    int DenyNth = 0, Asked = 0;          // Asked: how often DenyName was asked for
    const char *DenyValue = NULL;
    int DenyValueNth = 0, ValueAsked = 0;
    int Opened = 0;
    std::map<HKEY, std::string> Open;    // open keys and their names
    bool BadClose = false;               // a key closed that was not open
    std::unique_ptr<ImportSwap> Swaps[4];
};

// File searches begun and closed while the watch lives, by ANSI or by wide
// names (the wide search as the program looks it up at run time).
struct SearchWatch {
    SearchWatch();
    ~SearchWatch();
    int Begun = 0;
    std::map<HANDLE, int> Open;
    bool BadClose = false;
    std::unique_ptr<ImportSwap> Swaps[3];
};

// What the shell hands out while the watch lives: the item lists of special
// folders and of shortcuts' targets (freed through the shell's allocator), references to the
// allocator, and the link object, of which the watch keeps one reference
// of its own so that what the program left can be counted afterwards.
struct ShellWatch {
    ShellWatch();
    ~ShellWatch();
    std::vector<LPITEMIDLIST> Lists, Freed;
    LONG AllocatorReferences = 0;        // taken by the program and not given back
    std::vector<IUnknown *> Links;
    // References the program left on each link object, read by giving back the watch's own.
    std::vector<ULONG> LinkReferencesLeft();
    std::unique_ptr<ImportSwap> Swaps[2];
};

// Fails one call of every shell link object created while it lives: asking
// the link for its file interface, one of the link's setters, or the file
// interface's Save. The call's slot in the object's table of methods is
// swapped, and put back when the fault ends; other calls pass.
enum LinkCall { LINK_FILE_INTERFACE, LINK_SET_PATH, LINK_SET_WORKING_DIRECTORY, LINK_SET_DESCRIPTION, LINK_SAVE };
struct LinkFault {
    explicit LinkFault(LinkCall call);
    ~LinkFault();
    LinkCall Call;
    int Failed = 0;             // how often the call was answered with a failure
    void **Slot = NULL;         // the swapped entry of the method table
    void *Original = NULL;
    std::unique_ptr<ImportSwap> Swap;
};

// Answers the target of every shell link object created while it lives with
// a path given in wide characters, as Windows NT reads it from a shortcut
// that holds it: IShellLinkW::GetPath gives the path, IShellLinkA::GetPath
// the path converted to the code page ('?' or a look-alike for what the code
// page lacks). Wine keeps a shortcut's target in ANSI characters only, so a
// shortcut of its own cannot hold such a path. Both slots are swapped in the
// objects' tables of methods, and put back when it ends.
struct LinkTargetAnswer {
    explicit LinkTargetAnswer(const std::wstring &target);
    ~LinkTargetAnswer();
    std::wstring Target;
    // IShellLinkA's and IShellLinkW's GetPath, and IShellLinkW's GetIDList,
    // which answers that the shortcut holds no item list: its text is all.
    void **Slots[3] = { NULL, NULL, NULL };
    void *Originals[3] = { NULL, NULL, NULL };
    std::unique_ptr<ImportSwap> Swap;
};

#endif
