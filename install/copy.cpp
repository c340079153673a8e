// Copies the seven shipped product files from the setup folder into the install folder.
#include "install.h"

int CopyProductFiles(void)
{
    char target[INSTALL_PATH_ROOM];

    if (!EnterSetupFolder())
        return 0;
    for (int i = 0; i < COPIED_FILE_COUNT; i++) {
        SetupState.StepMessageId = IDS_COPY_FAILED;
        // The source is the bare name in the setup folder, which is current.
        if (!CopyFileA(ProductFiles[i], InstallFolderPath(target, ProductFiles[i]), FALSE))
            return 0;
        // A copy taken from read-only media carries that attribute, and the
        // next installation could neither replace nor delete it.
        ClearReadOnly(target);
    }
    return 1;
}
