// Finds the folder the uninstaller runs from, and what of the product the
// registry records there and the folder still holds.
#include "uninstall.h"

char *AddName(char *end, const char *name)
{
    return CopyText(CopyText(end, "\\"), name);
}

typedef int (*ValueReader)(HKEY key, const char *value, char *to, DWORD room);
typedef LONG(WINAPI *QueryValueCall)(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
typedef DWORD(WINAPI *ModuleNameCall)(HMODULE, LPWSTR, DWORD);

static int ReadWith(ValueReader read, HKEY root, const char *path, const char *value, char *to, DWORD room)
{
    HKEY key;
    int done;

    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    done = read(key, value, to, room);
    RegCloseKey(key);
    return done;
}

int ReadString(HKEY root, const char *path, const char *value, char *to, DWORD room)
{
    return ReadWith(ReadKeyText, root, path, value, to, room);
}

// The program of a command value, by its ANSI form (AnsiPathOf), at the
// start of `to`. On Windows NT the command is read in wide characters: the
// setup records the true name of a folder whose characters the code page
// lacks, which an ANSI read gives with '?' or look-alikes in their place.
static int ReadCommandProgram(HKEY key, const char *value, char *to, DWORD room)
{
    QueryValueCall query = (QueryValueCall)(void *)BoundFunction(CALL_REG_QUERY_VALUE_EX_W);
    WCHAR name[MAX_PATH], text[WIDE_PATH_CHARS], *program = text, *end;
    DWORD size = sizeof text - sizeof *text;
    LONG result;

    // Windows 95 has the wide call as a stand-in that fails as not there.
    if (!query || !MultiByteToWideChar(CP_ACP, 0, value, -1, name, MAX_PATH)
        || (result = query(key, name, NULL, NULL, (BYTE *)text, &size)) == ERROR_CALL_NOT_IMPLEMENTED) {
        if (!ReadKeyText(key, value, to, room))
            return 0;
        CopyText(to, CommandProgram(to));
        return 1;
    }
    if (result != ERROR_SUCCESS)
        return 0;
    text[size / sizeof *text] = 0;
    // Quoted, as the setup writes it, the program ends at the closing quote.
    if (*program == L'"') {
        for (end = ++program; *end && *end != L'"'; end++)
            ;
        *end = 0;
    }
    return AnsiPathOf(to, room, program);
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
    if (!ProgramPath(UninstallState.Program, MAX_PATH)) {
        ModuleNameCall wideName = (ModuleNameCall)(void *)BoundFunction(CALL_GET_MODULE_FILE_NAME_W);
        WCHAR wide[WIDE_PATH_CHARS];

        // Windows NT gave the path, but its folder's name has characters the
        // code page lacks and no short form to stand for it.
        if (wideName && wideName(NULL, wide, WIDE_PATH_CHARS) != 0)
            UninstallState.MessageId = IDS_NO_ANSI_FORM;
        return 0;
    }
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
    // would not take it for an installation either. One whose true name has
    // no ANSI form is another folder's: this one has such a form.
    int recordedFolder = ReadString(HKEY_LOCAL_MACHINE, CurrentVersionPath(path, AppPathsKey, ProgramFile),
                                    AppPathValue, recorded, MAX_PATH)
                         && HasDrivePrefix(recorded);

    UninstallState.RecordedHere = recordedFolder
                                  && ReadWith(ReadKeyPath, HKEY_LOCAL_MACHINE, path, AppPathValue, recorded, MAX_PATH)
                                  && SameFolder(recorded, UninstallState.Folder);
    UninstallState.OtherInstallation = recordedFolder && !UninstallState.RecordedHere;
    UninstallState.EntryHere = ReadWith(ReadCommandProgram, HKEY_LOCAL_MACHINE,
                                        CurrentVersionPath(path, UninstallKey, ProductName), UninstallStringValue,
                                        recorded, sizeof recorded)
                               && InOwnFolder(recorded);
    if (UninstallState.RecordedHere || UninstallState.EntryHere)
        return 1;
    // Without a record, only the product's program makes the folder an
    // installation: the names of its texts (License.txt, Readme.txt, Log.txt,
    // Order.txt) are anyone's, and a copy of this program in a shared
    // folder must not take them.
    return FileThere(JoinPath(path, UninstallState.Folder, ProgramFile));
}
