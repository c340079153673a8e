// Removes what the setup program recorded in the registry for this folder;
// the entries of an installation in another folder stay.
#include "uninstall.h"

static const char *RootName(HKEY root)
{
    if (root == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    return root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER" : "HKEY_CLASSES_ROOT";
}

// A key and everything below it. Windows NT deletes only keys without
// subkeys, so those go first. Returns 1 when the key is gone or never was.
static int DeleteTree(HKEY parent, const char *path)
{
    char name[256];
    HKEY key;
    LONG opened = RegOpenKeyExA(parent, path, 0, KEY_ENUMERATE_SUB_KEYS, &key);

    if (opened == ERROR_FILE_NOT_FOUND)
        return 1;
    if (opened != ERROR_SUCCESS)
        return 0;
    for (;;) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS || !DeleteTree(key, name))
            break;
    }
    RegCloseKey(key);
    return RegDeleteKeyA(parent, path) == ERROR_SUCCESS;
}

static void RemoveKey(HKEY root, const char *path)
{
    if (!DeleteTree(root, path))
        NoteRemaining(RootName(root), path);
}

// Deletes a key only when nothing at all is left in it: Windows 95 would
// take any subkeys along.
static void RemoveIfEmpty(HKEY root, const char *path)
{
    HKEY key;
    DWORD subkeys, values;
    LONG asked;

    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    asked = RegQueryInfoKeyA(key, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    if (asked == ERROR_SUCCESS && subkeys == 0 && values == 0)
        RegDeleteKeyA(root, path);
}

// Below a software key: the product's version key (or, without a version,
// the product key), then the product and maker keys when nothing else is
// left under them.
static void RemoveProductKeys(HKEY root, const char *software, const char *version)
{
    char path[sizeof MachineSoftwareKey + sizeof MakerName + sizeof ProductName + sizeof VersionName];
    char *makerEnd = AddName(CopyText(path, software), MakerName);
    char *productEnd = AddName(makerEnd, ProductName);

    if (version)
        AddName(productEnd, version);
    RemoveKey(root, path);
    *productEnd = 0;
    RemoveIfEmpty(root, path);
    *makerEnd = 0;
    RemoveIfEmpty(root, path);
}

// From where the setup wrote it on this Windows.
static void RemoveAssociation(void)
{
    char type[sizeof ProductName + 1], path[ASSOCIATION_KEY_ROOM];
    HKEY root = AssociationKey(UninstallState.PlatformId, UninstallState.MajorVersion, SettingsExtension, path);

    // Another program may have taken the extension over since: it is then that program's.
    if (ReadString(root, path, NULL, type, sizeof type) && lstrcmpiA(type, ProductName) == 0)
        RemoveKey(root, path);
    AssociationKey(UninstallState.PlatformId, UninstallState.MajorVersion, ProductName, path);
    RemoveKey(root, path);
    NotifyAssociationsChanged();
}

void RemoveRegistryEntries(void)
{
    if (UninstallState.OtherInstallation)
        return;
    RemoveProductKeys(HKEY_LOCAL_MACHINE, MachineSoftwareKey, VersionName);
    RemoveProductKeys(HKEY_CURRENT_USER, UserSoftwareKey, NULL);
    RemoveAssociation();
}

// The uninstall entry and the App Paths entry are how the list of installed
// programs and the setup program know the installation.
void RemoveInstallationRecord(void)
{
    char path[KEY_PATH_ROOM];

    if (UninstallState.EntryHere && !UninstallState.OtherInstallation)
        RemoveKey(HKEY_LOCAL_MACHINE, CurrentVersionPath(path, UninstallKey, ProductName));
    if (UninstallState.RecordedHere)
        RemoveKey(HKEY_LOCAL_MACHINE, CurrentVersionPath(path, AppPathsKey, ProgramFile));
}
