// Scratch folders and registry keys for tests, and cleanup of what the setup writes.
#include "sandbox.h"
#include "installation.h"
#include "common/product.h"
#include <shlobj.h>
#include <algorithm>

std::string MakeScratchDir(const std::string &name)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string path = std::string(temp) + "bc-" + name;
    DeleteTree(path);
    CreateDirectoryA(path.c_str(), NULL);
    return path;
}

std::string ScratchOnC(const std::string &name)
{
    std::string path = "C:\\bc-" + name;
    RemoveScratchOnC(path);
    CreateDirectoryA(path.c_str(), NULL);
    return path;
}

void RemoveScratchOnC(const std::string &path)
{
    // A current folder inside the tree could not be removed.
    SetCurrentDirectoryA("C:\\");
    DeleteTree(path);
}

std::wstring LongForm(const std::wstring &path)
{
    WCHAR full[1024];
    DWORD length = GetLongPathNameW(path.c_str(), full, 1024);
    return length && length < 1024 ? std::wstring(full) : L"";
}

std::wstring WideText(const std::string &text)
{
    std::wstring wide(text.size(), L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), text.size(), &wide[0], wide.size());
    wide.resize(length > 0 ? length : 0);
    return wide;
}

std::string AnsiText(const std::wstring &text)
{
    std::string ansi(2 * text.size(), '\0');
    int length = WideCharToMultiByte(CP_ACP, 0, text.data(), text.size(), &ansi[0], ansi.size(), NULL, NULL);
    ansi.resize(length > 0 ? length : 0);
    return ansi;
}

std::string Expand(const char *text, const std::string &scratch)
{
    std::string out;
    for (const char *c = text; *c; c++)
        if (*c == '~')
            out += scratch;
        else
            out += *c;
    return out;
}

std::string Lower(std::string text)
{
    if (!text.empty())
        CharLowerBuffA(&text[0], text.size());
    return text;
}

std::string Upper(std::string text)
{
    if (!text.empty())
        CharUpperBuffA(&text[0], text.size());
    return text;
}

// The wide form that takes paths past MAX_PATH: full, and marked as such.
std::wstring DeepPath(const std::string &path)
{
    std::wstring wide = WideText(path), full(32768, L'\0');
    DWORD length = GetFullPathNameW(wide.c_str(), full.size(), &full[0], NULL);
    if (length && length < full.size())
        wide = full.substr(0, length);
    return L"\\\\?\\" + wide;
}

bool CreateDeepFolder(const std::string &path)
{
    return CreateDirectoryW(DeepPath(path).c_str(), NULL) != 0;
}

std::string MakeDeepFolder(const std::string &base, size_t length)
{
    std::string path = base;
    CreateDirectoryW(DeepPath(path).c_str(), NULL);
    while (path.size() < length) {
        size_t room = length - path.size() - 1;
        // Each level a name of up to 200 characters; no level of one
        // character, so the last is never a stray short name.
        size_t name = room > 200 ? (room - 200 < 2 ? 150 : 200) : room;
        path += "\\" + std::string(name, (char)('a' + path.size() % 26));
        CreateDirectoryW(DeepPath(path).c_str(), NULL);
    }
    return path;
}

bool DeepFileExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesW(DeepPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadDeepBytes(const std::string &path)
{
    return ReadOpenFile(CreateFileW(DeepPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL));
}

void WriteDeepBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileW(DeepPath(path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              NULL);
    DWORD written;
    WriteFile(file, bytes.data(), bytes.size(), &written, NULL);
    CloseHandle(file);
}

// A tree below a path in its deep wide form, its own names kept as they are.
static void DeleteDeepTree(const std::wstring &path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName, child = path + L"\\" + name;
            if (name == L"." || name == L"..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteDeepTree(child);
            else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path.c_str());
}

void DeleteTree(const std::string &path)
{
    DeleteDeepTree(DeepPath(path));
}

void WriteBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written;
    WriteFile(file, bytes.data(), bytes.size(), &written, NULL);
    CloseHandle(file);
}

void WriteWideBytes(const std::wstring &path, const std::string &bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written;
    WriteFile(file, bytes.data(), bytes.size(), &written, NULL);
    CloseHandle(file);
}

std::string ReadWideBytes(const std::wstring &path)
{
    return ReadOpenFile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL));
}

static void AddWideTree(std::map<std::wstring, std::string> &tree, const std::wstring &folder,
                        const std::wstring &below)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + below + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring name = found.cFileName, path = below + L"\\" + name;
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[path] = "folder";
            AddWideTree(tree, folder, path);
        } else {
            tree[path] = ReadWideBytes(folder + path);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

std::map<std::wstring, std::string> WideTree(const std::wstring &folder)
{
    std::map<std::wstring, std::string> tree;
    AddWideTree(tree, folder, L"");
    return tree;
}

std::string ReadOpenFile(HANDLE file)
{
    std::string bytes;
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(file, NULL));
    DWORD read = 0;
    ReadFile(file, &bytes[0], bytes.size(), &read, NULL);
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

std::string ReadBytes(const std::string &path)
{
    return ReadOpenFile(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL));
}

bool FileExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> FilesIn(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string CurrentDir()
{
    char path[1024];
    DWORD length = GetCurrentDirectoryA(sizeof path, path);
    return std::string(path, length);
}

void DeleteKeyTree(HKEY root, const std::string &subkey)
{
    RegDeleteTreeA(root, subkey.c_str());
    RegDeleteKeyA(root, subkey.c_str());
}

bool KeyExists(HKEY root, const std::string &subkey)
{
    HKEY key;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

static void SetRegRaw(HKEY root, const std::string &subkey, const char *value, DWORD type, const void *data, DWORD size)
{
    HKEY key;
    RegCreateKeyExA(root, subkey.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    RegSetValueExA(key, value, 0, type, (const BYTE *)data, size);
    RegCloseKey(key);
}

void SetRegString(HKEY root, const std::string &subkey, const char *value, const std::string &data)
{
    SetRegRaw(root, subkey, value, REG_SZ, data.c_str(), data.size() + 1);
}

void SetRegDword(HKEY root, const std::string &subkey, const char *value, DWORD data)
{
    SetRegRaw(root, subkey, value, REG_DWORD, &data, sizeof data);
}

RegValue ReadRegValue(HKEY root, const std::string &subkey, const char *value)
{
    RegValue result = { REG_NONE, 0, "", false };
    HKEY key;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return result;
    char data[4096];
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, value, NULL, &result.Type, (BYTE *)data, &size) == ERROR_SUCCESS) {
        result.Found = true;
        result.Size = size;
        result.Data.assign(data, size);
    }
    RegCloseKey(key);
    return result;
}

void DeleteRegValue(HKEY root, const std::string &subkey, const char *value)
{
    HKEY key;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, value);
    RegCloseKey(key);
}

void ResetMachine()
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, MakerKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, AppPathsEntryKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, UninstallEntryKey);
    DeleteKeyTree(HKEY_CURRENT_USER, UserMakerKey);
    DeleteKeyTree(HKEY_CLASSES_ROOT, ".tsl");
    DeleteKeyTree(HKEY_CLASSES_ROOT, FileTypeKey);
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Setup.exe");
    DeleteRegValue(HKEY_LOCAL_MACHINE, CurrentVersionKey, JournalValue);
    DeleteFileA(ShortcutPath(CSIDL_STARTMENU).c_str());
    DeleteFileA(ShortcutPath(CSIDL_COMMON_STARTMENU).c_str());
}
