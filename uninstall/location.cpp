// Finds the folder the uninstaller runs from, and what of the product the
// registry records there and the folder still holds.
#include "uninstall.h"

char *AddName(char *end, const char *name)
{
    return CopyText(CopyText(end, "\\"), name);
}

char *CurrentVersionPath(char *to, const char *key, const char *entry)
{
    char *end = CopyText(to, MachineSoftwareKey);

    for (const char *name : CurrentVersionChain)
        end = AddName(end, name);
    AddName(AddName(end, key), entry);
    return to;
}

int ReadString(HKEY root, const char *path, const char *value, char *to, DWORD room)
{
    HKEY key;
    int read;

    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    read = ReadKeyText(key, value, to, room);
    RegCloseKey(key);
    return read;
}

int InOwnFolder(const char *file)
{
    char folder[MAX_PATH];

    // Only a path from a drive's root names a folder whatever is current.
    if (!HasDrivePrefix(file) || lstrlenA(file) >= MAX_PATH)
        return 0;
    FolderOf(folder, file, FOLDER_AND_BACKSLASH);
    return SameFolder(folder, UninstallState.Folder);
}

int FileThere(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int LocateInstallation(void)
{
    char path[FOLDER_PATH_ROOM];

    UninstallState.MessageId = IDS_NO_PROGRAM_PATH;
    if (!ProgramPath(UninstallState.Program, MAX_PATH))
        return 0;
    if (!FolderOf(UninstallState.Folder, UninstallState.Program, FOLDER_ALONE))
        return 0;
    // Beside the setup program it is part of the setup files, perhaps on a
    // disc: they are not an installation.
    UninstallState.MessageId = IDS_SETUP_FOLDER;
    return !FileThere(JoinPath(path, UninstallState.Folder, SetupFile));
}

int IsInstalled(void)
{
    char path[FOLDER_PATH_ROOM], recorded[FOLDER_PATH_ROOM];
    static_assert(KEY_PATH_ROOM <= FOLDER_PATH_ROOM, "a key path fits where a file path does");

    // A folder not given from its drive's root is nobody's: the setup
    // would not take it for an installation either.
    int recordedFolder = ReadString(HKEY_LOCAL_MACHINE, CurrentVersionPath(path, AppPathsKey, ProgramFile),
                                    AppPathValue, recorded, MAX_PATH)
                         && HasDrivePrefix(recorded);

    UninstallState.RecordedHere = recordedFolder && SameFolder(recorded, UninstallState.Folder);
    UninstallState.OtherInstallation = recordedFolder && !UninstallState.RecordedHere;
    UninstallState.EntryHere =
        ReadString(HKEY_LOCAL_MACHINE, CurrentVersionPath(path, UninstallKey, ProductName), UninstallStringValue,
                   recorded, sizeof recorded)
        && InOwnFolder(CommandProgram(recorded));
    if (UninstallState.RecordedHere || UninstallState.EntryHere)
        return 1;
    // Without a record, only the product's program makes the folder an
    // installation: the names of its texts (License.txt, Readme.txt, Log.txt,
    // Order.txt) are anyone's, and a copy of this program in a shared
    // folder must not take them.
    return FileThere(JoinPath(path, UninstallState.Folder, ProgramFile));
}
