// The product file list, and the seven shipped files copied into the install folder.
#include "install.h"

const char ProgramFile[] = "Tessel.exe";
const char UninstallerFile[] = "Uninstal.exe";

const char *const ProductFiles[PRODUCT_FILE_COUNT] = {
    "License.txt", "Order.txt", ProgramFile, "Tessel.hlp", "Tessel.cnt", UninstallerFile,
    "Readme.txt", "Log.txt", "Tessel.gid", "Tessel.fts",
};

int CopyProductFiles(void)
{
    char *name;

    if (!EnterSetupFolder())
        return 0;
    name = AppendText(SetupState.InstallPath, "\\");
    for (int i = 0; i < COPIED_FILE_COUNT; i++) {
        CopyText(name, ProductFiles[i]);
        SetupState.StepMessageId = IDS_COPY_FAILED;
        // The source is the bare name in the setup folder, which is current.
        if (!CopyFileA(ProductFiles[i], SetupState.InstallPath, FALSE))
            return 0;
    }
    name[-1] = 0;
    return 1;
}
