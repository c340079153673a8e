// One run at a time: a named mutex that lives as long as a run of either
// program, or the temporary copy that finishes a removal, holds it open.
#include <windows.h>
#include "onerun.h"
#include "product.h"

int BeginOnlyRun(void)
{
    SECURITY_ATTRIBUTES inherited;
    DWORD version = GetVersion();
    // Windows 2000 and later keep a namespace per session: the global one
    // makes runs in other sessions (another user, a deployment service)
    // see each other. Windows NT 4 and the Windows 95 family refuse the
    // prefix, and have one namespace only.
    const char *name = !(version & 0x80000000) && LOBYTE(version) >= 5 ? RunMark : RUN_MARK_UNPREFIXED;
    HANDLE mark;

    // Inherited by the temporary copy of the uninstaller, so that the mark
    // outlives the uninstaller until the copy has finished the removal.
    inherited.nLength = sizeof inherited;
    inherited.lpSecurityDescriptor = NULL;
    inherited.bInheritHandle = TRUE;
    mark = CreateMutexA(&inherited, FALSE, name);

    // A mark made by a run with more rights cannot be opened: it is there.
    return mark && GetLastError() != ERROR_ALREADY_EXISTS;
}
