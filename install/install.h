// The installation steps: everything that reads or changes files and the registry.
#ifndef INSTALL_H
#define INSTALL_H

#include "../driver/driver.h"

#define PRODUCT_FILE_COUNT 10
#define COPIED_FILE_COUNT 7
// In copy order; the last three are only ever deleted.
extern const char *const ProductFiles[PRODUCT_FILE_COUNT];
extern const char ProgramFile[];
extern const char UninstallerFile[];

int LoadAgreementText(void);

void DefaultInstallDir(void);
void TrimBlanks(char *text);
int HasDrivePrefix(const char *text);
int PrepareInstallDir(HWND owner);

void RemovePreviousInstall(HWND owner);
int CopyProductFiles(void);
int WriteRegistryEntries(HWND owner);
int CreateStartMenuShortcut(HWND owner);

// Opens each name in turn below a root, every key with the same access;
// returns how many opened (all of them when it returns count).
int OpenKeyChain(HKEY root, const char *const *names, int count, REGSAM access, HKEY *keys);
void CloseKeys(HKEY *keys, int count);

#endif
