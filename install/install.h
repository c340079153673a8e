// The installation steps: everything that reads or changes files and the registry.
#ifndef INSTALL_H
#define INSTALL_H

#include "../common/state.h"
#include "../common/keys.h"
#include "../common/productfiles.h"
#include "../common/folders.h"
#include "../common/sha256.h"

// The SHA-256 digest of each shipped file as the build staged it. Every
// setup folder's Setup.exe is linked with the table of its own folder.
struct SHIPPEDDIGEST {
    const char *File;
    BYTE Digest[SHA256_BYTES];
};
extern const SHIPPEDDIGEST ShippedDigests[COPIED_FILE_COUNT];

int LoadAgreementText(void);

void DefaultInstallDir(void);
int PrepareInstallDir(HWND owner);

void RemovePreviousInstall(HWND owner);
int CopyProductFiles(void);
int WriteRegistryEntries(void);
int CreateStartMenuShortcut(HWND owner);

#endif
