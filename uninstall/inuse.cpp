// Sees a product file in use before anything is removed, and lets the user close its program and retry.
#include "uninstall.h"
#include "../common/inuse.h"

int ProductFilesFree(void)
{
    char line[IN_USE_LINE_ROOM];

    // This program's own file is in use while it runs: it goes once it has
    // ended, by the temporary copy.
    while (FileInUse(UninstallState.Folder, ARRAY_LENGTH(ProductFiles), UninstallerFile, line))
        if (Say(IDS_PRODUCT_RUNNING, MB_RETRYCANCEL | MB_ICONWARNING, line) != IDRETRY)
            return 0;
    return 1;
}
