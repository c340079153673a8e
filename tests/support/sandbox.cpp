// Scratch folders and registry keys for tests, and cleanup of what the setup writes.
#include "sandbox.h"
#include <shlobj.h>

std::string MakeScratchDir(const std::string &name)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string path = std::string(temp) + "bc-" + name;
    DeleteTree(path);
    CreateDirectoryA(path.c_str(), NULL);
    return path;
}

void DeleteTree(const std::string &path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(child);
            else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

void WriteBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written;
    WriteFile(file, bytes.data(), bytes.size(), &written, NULL);
    CloseHandle(file);
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

static void DeleteShortcut(int folder)
{
    char path[MAX_PATH];
    if (SHGetFolderPathA(NULL, folder, NULL, 0, path) == S_OK)
        DeleteFileA((std::string(path) + "\\Brindlecast.lnk").c_str());
}

void ResetMachine()
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnwicke");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tessel.exe");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brindlecast");
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Tarnwicke");
    DeleteKeyTree(HKEY_CLASSES_ROOT, ".tsl");
    DeleteKeyTree(HKEY_CLASSES_ROOT, "Brindlecast");
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Setup.exe");
    DeleteShortcut(CSIDL_STARTMENU);
    DeleteShortcut(CSIDL_COMMON_STARTMENU);
}
