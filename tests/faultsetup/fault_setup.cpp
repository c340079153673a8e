// The setup program with one run-time binding failing, as on a Windows that
// lacks it: BRINDLECAST_TEST_MISSING names a function whose lookup finds
// nothing, or "shell32.dll" for a shell that cannot be loaded at all; or
// held at its first copy until a test lets it go (support/held_copy.h); or
// with its calls that change the machine counted, one of them failed or the
// run stopped before it (support/change_fault.h). The fault is made at this
// program's own import table; everything else is the setup as it ships.
#include "driver/driver.h"
#include "support/binding_fault.h"
#include "support/held_copy.h"
#include "support/change_fault.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    static char missing[64], hold[64];

    if (GetEnvironmentVariableA("BRINDLECAST_TEST_MISSING", missing, sizeof missing)) {
        if (lstrcmpiA(missing, "shell32.dll") == 0)
            new LibraryGone(missing);
        else
            new ProcedureSwap(missing, NULL);
    }
    if (GetEnvironmentVariableA(HELD_COPY_VARIABLE, hold, sizeof hold))
        new HeldCopy(hold);
    CountChangeCalls();
    RunSetup();
    return 1;
}
