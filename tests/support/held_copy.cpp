// A stand-in for CreateFileA that waits for an event before the first file it creates.
#include "held_copy.h"

static HANDLE Release;
static ImportSwap *ActiveHold;

static HANDLE WINAPI CreateAfterRelease(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                        DWORD disposition, DWORD flags, HANDLE model)
{
    if (disposition == CREATE_ALWAYS && Release) {
        WaitForSingleObject(Release, 60000);
        CloseHandle(Release);
        Release = NULL;
    }
    return ((HANDLE(WINAPI *)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE))ActiveHold->Original)(
        path, access, share, security, disposition, flags, model);
}

HeldCopy::HeldCopy(const char *eventName)
    : Swap("kernel32.dll", "CreateFileA", (void *)CreateAfterRelease)
{
    Release = OpenEventA(SYNCHRONIZE, FALSE, eventName);
    ActiveHold = &Swap;
}

HeldCopy::~HeldCopy()
{
    ActiveHold = NULL;
}
