// Saves the registry keys an installation may change into its journal, and puts them back.
#include "keysave.h"
#include "keys.h"
#include "text.h"

// What follows in a saved key: a value, a subkey, or the key's end.
enum { SAVED_END, SAVED_VALUE, SAVED_SUBKEY };
// A key saved whole, or only whether it exists: a parent that the run may
// make, whose other subkeys belong to other programs.
enum { SAVED_EXISTENCE, SAVED_WHOLE };
// The longest path of such a key below its root, and a key's name.
#define PLACE_ROOM 160
#define KEY_NAME_ROOM 256
#define PLACE_COUNT 7

struct KEYPLACE {
    HKEY Root;
    DWORD Kind;
    char Path[PLACE_ROOM];
};

// The keys that the registry step writes, parents before their subkeys.
static void TouchedKeys(KEYPLACE *places, DWORD platformId, DWORD majorVersion)
{
    for (int i = 0; i < PLACE_COUNT; i++) {
        places[i].Root = HKEY_LOCAL_MACHINE;
        places[i].Kind = SAVED_WHOLE;
    }
    JoinPath(places[0].Path, MachineSoftwareKey, MakerName);
    CurrentVersionPath(places[1].Path, AppPathsKey, ProgramFile);
    CurrentVersionPath(places[2].Path, UninstallKey, 0);
    places[2].Kind = SAVED_EXISTENCE;
    CurrentVersionPath(places[3].Path, UninstallKey, ProductName);
    places[4].Root = HKEY_CURRENT_USER;
    JoinPath(places[4].Path, UserSoftwareKey, MakerName);
    places[5].Root = AssociationKey(platformId, majorVersion, SettingsExtension, places[5].Path);
    places[6].Root = AssociationKey(platformId, majorVersion, ProductName, places[6].Path);
}

static int Put(HANDLE file, const void *bytes, DWORD size)
{
    DWORD written;

    return WriteFile(file, bytes, size, &written, NULL) && written == size;
}

static int PutDword(HANDLE file, DWORD value)
{
    return Put(file, &value, sizeof value);
}

static int PutText(HANDLE file, const char *text)
{
    return Put(file, text, lstrlenA(text) + 1);
}

static int SaveValues(HANDLE file, HKEY key)
{
    DWORD nameRoom, dataRoom, nameSize, type, size;
    BYTE *scratch;
    LONG result = ERROR_SUCCESS;

    if (RegQueryInfoKeyA(key, NULL, NULL, NULL, NULL, NULL, NULL, NULL, &nameRoom, &dataRoom, NULL, NULL)
            != ERROR_SUCCESS
        || (scratch = (BYTE *)GlobalAlloc(GMEM_FIXED, ++nameRoom + dataRoom + 1)) == NULL)
        return 0;
    for (DWORD index = 0; result == ERROR_SUCCESS; index++) {
        nameSize = nameRoom;
        size = dataRoom;
        result = RegEnumValueA(key, index, (char *)scratch, &nameSize, NULL, &type, scratch + nameRoom, &size);
        if (result == ERROR_SUCCESS
            && !(PutDword(file, SAVED_VALUE) && Put(file, scratch, nameSize + 1) && PutDword(file, type)
                 && PutDword(file, size) && Put(file, scratch + nameRoom, size)))
            result = ERROR_WRITE_FAULT;
    }
    GlobalFree(scratch);
    return result == ERROR_NO_MORE_ITEMS;
}

static int SaveTree(HANDLE file, HKEY key)
{
    char name[KEY_NAME_ROOM];
    DWORD size;
    HKEY subkey;
    LONG result = ERROR_SUCCESS;
    int saved;

    if (!SaveValues(file, key))
        return 0;
    for (DWORD index = 0; result == ERROR_SUCCESS; index++) {
        size = sizeof name;
        result = RegEnumKeyExA(key, index, name, &size, NULL, NULL, NULL, NULL);
        if (result != ERROR_SUCCESS)
            break;
        if ((result = RegOpenKeyExA(key, name, 0, KEY_READ, &subkey)) != ERROR_SUCCESS)
            return 0;
        saved = PutDword(file, SAVED_SUBKEY) && PutText(file, name) && SaveTree(file, subkey);
        RegCloseKey(subkey);
        if (!saved)
            return 0;
    }
    return result == ERROR_NO_MORE_ITEMS && PutDword(file, SAVED_END);
}

int SaveTouchedKeys(HANDLE file, DWORD platformId, DWORD majorVersion)
{
    KEYPLACE places[PLACE_COUNT];
    HKEY key;
    LONG result;
    int saved;

    TouchedKeys(places, platformId, majorVersion);
    for (const KEYPLACE &place : places) {
        result = RegOpenKeyExA(place.Root, place.Path, 0, KEY_READ, &key);
        if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
            return 0;
        saved = PutDword(file, (DWORD)(ULONG_PTR)place.Root) && PutText(file, place.Path)
                && PutDword(file, place.Kind) && PutDword(file, result == ERROR_SUCCESS)
                && (result != ERROR_SUCCESS || place.Kind != SAVED_WHOLE || SaveTree(file, key));
        if (result == ERROR_SUCCESS)
            RegCloseKey(key);
        if (!saved)
            return 0;
    }
    return 1;
}

// The saved bytes, read with their bounds checked: a journal cut off or
// damaged stops the reading, never overruns it.
struct SAVEDREADER {
    const BYTE *At, *End;
};

static int TakeDword(SAVEDREADER *reader, DWORD *value)
{
    if (reader->End - reader->At < 4)
        return 0;
    *value = reader->At[0] | reader->At[1] << 8 | reader->At[2] << 16 | (DWORD)reader->At[3] << 24;
    reader->At += 4;
    return 1;
}

static const char *TakeText(SAVEDREADER *reader)
{
    const BYTE *text = reader->At;

    while (reader->At < reader->End)
        if (*reader->At++ == 0)
            return (const char *)text;
    return 0;
}

// Deletes a key with all below it.
static int DeleteTree(HKEY parent, const char *name)
{
    char subkey[KEY_NAME_ROOM];
    DWORD size = sizeof subkey;
    HKEY key;
    LONG result;

    if (RegOpenKeyExA(parent, name, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        while (RegEnumKeyExA(key, 0, subkey, &size, NULL, NULL, NULL, NULL) == ERROR_SUCCESS
               && DeleteTree(key, subkey))
            size = sizeof subkey;
        RegCloseKey(key);
    }
    result = RegDeleteKeyA(parent, name);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

// Reads one saved key, and makes it below `parent` with its values and
// subkeys unless `parent` is 0. 0 when the saved bytes end early.
static int WalkTree(SAVEDREADER *reader, HKEY parent, const char *name)
{
    HKEY key = NULL;
    DWORD tag, type, size;
    const char *item;
    int whole = 1;

    if (parent && RegCreateKeyExA(parent, name, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_WRITE, NULL, &key, NULL)
                      != ERROR_SUCCESS)
        key = NULL;
    while (whole && (whole = TakeDword(reader, &tag)) != 0 && tag != SAVED_END) {
        if (!(item = TakeText(reader)))
            whole = 0;
        else if (tag == SAVED_SUBKEY)
            whole = WalkTree(reader, key, item);
        else if ((whole = TakeDword(reader, &type) && TakeDword(reader, &size)
                          && size <= (DWORD)(reader->End - reader->At)) != 0) {
            if (key)
                RegSetValueExA(key, item, 0, type, reader->At, size);
            reader->At += size;
        }
    }
    if (key)
        RegCloseKey(key);
    return whole;
}

void RestoreKeys(const BYTE *saved, DWORD size)
{
    const BYTE *starts[PLACE_COUNT];
    SAVEDREADER reader = { saved, saved + size };
    DWORD root, kind, existed;
    int count = 0;

    // Back in reverse, subkeys before their parents: the starts first.
    while (count < PLACE_COUNT && reader.At < reader.End) {
        starts[count] = reader.At;
        if (!TakeDword(&reader, &root) || !TakeText(&reader) || !TakeDword(&reader, &kind)
            || !TakeDword(&reader, &existed) || (existed && kind == SAVED_WHOLE && !WalkTree(&reader, NULL, NULL)))
            break;
        count++;
    }
    while (count-- > 0) {
        reader.At = starts[count];
        TakeDword(&reader, &root);
        const char *path = TakeText(&reader);
        HKEY rootKey = (HKEY)(ULONG_PTR)(LONG)root;
        TakeDword(&reader, &kind);
        TakeDword(&reader, &existed);
        if (kind == SAVED_WHOLE) {
            DeleteTree(rootKey, path);
            if (existed)
                WalkTree(&reader, rootKey, path);
        } else if (!existed) {
            RegDeleteKeyA(rootKey, path);
        }
    }
}
