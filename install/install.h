// The installation steps: everything that reads or changes files and the registry.
#ifndef INSTALL_H
#define INSTALL_H

#include "../common/state.h"
#include "../common/keys.h"
#include "../common/productfiles.h"
#include "../common/folders.h"

int LoadAgreementText(void);

void DefaultInstallDir(void);
int PrepareInstallDir(HWND owner);

void RemovePreviousInstall(HWND owner);
int CopyProductFiles(void);
int WriteRegistryEntries(void);
int CreateStartMenuShortcut(HWND owner);

#endif
