// Sees a product file in use before the run changes anything, and lets the user close its program and retry.
#include "install.h"
#include "../common/inuse.h"
#include "../common/messages.h"

// The files the run deletes or replaces: all of an earlier installation's
// (unless its folder is the setup's own, which keeps them) and the shipped
// ones in the install folder.
static int ProductFileInUse(char *line)
{
    char oldPath[PREVIOUS_PATH_ROOM];

    return (FindPreviousInstall(oldPath) && !IsSetupFolder(oldPath)
            && FileInUse(oldPath, ARRAY_LENGTH(ProductFiles), 0, line))
           || FileInUse(SetupState.InstallPath, COPIED_FILE_COUNT, 0, line);
}

int ProductFilesFree(HWND owner)
{
    // Named by the failure report of a run without pages, after this returns.
    static char line[IN_USE_LINE_ROOM];
    char format[128], text[sizeof format + sizeof line];

    while (ProductFileInUse(line)) {
        if (SetupState.RunMode != RUN_WITH_PAGES) {
            SetupState.StepMessageInsert = line;
            return 0;
        }
        format[LoadStringA(SetupState.Instance, IDS_PRODUCT_RUNNING, format, sizeof format)] = 0;
        wsprintfA(text, format, line);
        LogLine("Message %u: %s", IDS_PRODUCT_RUNNING, text);
        if (MessageBoxA(owner, text, SetupTitle, MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY)
            return 0;
    }
    return 1;
}
