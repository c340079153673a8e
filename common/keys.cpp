// Opening and closing chains of registry keys, the way every step walks the
// registry, and where the machine's file associations live.
#include "keys.h"
#include "text.h"
#include "system.h"
#include "widefiles.h"

int OpenKeyChain(HKEY root, const char *const *names, int count, REGSAM access, HKEY *keys)
{
    int opened;

    for (opened = 0; opened < count; opened++) {
        HKEY parent = opened ? keys[opened - 1] : root;
        if (RegOpenKeyExA(parent, names[opened], 0, access, &keys[opened]) != ERROR_SUCCESS)
            break;
    }
    return opened;
}

int OpenKey(HKEY parent, const char *name, REGSAM access, HKEY *keys, int *opened)
{
    if (RegOpenKeyExA(parent, name, 0, access, &keys[*opened]) != ERROR_SUCCESS)
        return 0;
    ++*opened;
    return 1;
}

void CloseKeys(HKEY *keys, int count)
{
    while (count > 0)
        RegCloseKey(keys[--count]);
}

int ReadKeyText(HKEY key, const char *value, char *to, DWORD room)
{
    DWORD size = room - 1;

    if (RegQueryValueExA(key, value, NULL, NULL, (BYTE *)to, &size) != ERROR_SUCCESS)
        return 0;
    to[size] = 0;
    return 1;
}

typedef LONG(WINAPI *QueryValueCall)(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);

int ReadKeyPath(HKEY key, const char *value, char *to, DWORD room)
{
    QueryValueCall query = (QueryValueCall)(void *)BoundFunction(CALL_REG_QUERY_VALUE_EX_W);
    WCHAR name[MAX_PATH], text[WIDE_PATH_CHARS];
    DWORD size = sizeof text - sizeof *text, type = REG_NONE;
    LONG result;

    // Windows 95 has the wide call as a stand-in that fails as not there.
    // Only text is converted: a value of another type comes back as the
    // bytes it holds, which name a path only as ANSI text.
    if (!query || !MultiByteToWideChar(CP_ACP, 0, value, -1, name, MAX_PATH)
        || (result = query(key, name, NULL, &type, (BYTE *)text, &size)) == ERROR_CALL_NOT_IMPLEMENTED
        || (result == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ))
        return ReadKeyText(key, value, to, room);
    if (result != ERROR_SUCCESS)
        return 0;
    text[size / sizeof *text] = 0;
    return AnsiPathOf(to, room, text);
}

char *CurrentVersionPath(char *to, const char *key, const char *entry)
{
    const char *below[] = { key, entry };
    char *end = CopyText(to, MachineSoftwareKey);

    for (const char *name : CurrentVersionChain)
        end = CopyText(CopyText(end, "\\"), name);
    for (const char *name : below)
        if (name)
            end = CopyText(CopyText(end, "\\"), name);
    return to;
}

HKEY AssociationKey(DWORD platformId, DWORD majorVersion, const char *name, char *to)
{
    if (platformId == VER_PLATFORM_WIN32_NT && majorVersion >= 5) {
        JoinPath(to, MachineClassesKey, name);
        return HKEY_LOCAL_MACHINE;
    }
    CopyText(to, name);
    return HKEY_CLASSES_ROOT;
}
