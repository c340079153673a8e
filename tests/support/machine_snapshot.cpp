// Folders, the product's registry keys and the Start Menus, taken down one line per item.
#include "machine_snapshot.h"
#include "installation.h"
#include "sandbox.h"
#include "common/product.h"
#include "common/sha256.h"
#include <shlobj.h>
#include <cstdio>

static std::string Hex(DWORD number)
{
    char text[16];
    snprintf(text, sizeof text, "%lx", (unsigned long)number);
    return text;
}

// Short readable bytes as they are, others by their size and digest.
static std::string BytesText(const std::string &bytes)
{
    bool readable = bytes.size() <= 48;
    for (unsigned char byte : bytes)
        readable = readable && byte >= ' ' && byte < 0x7F;
    if (readable)
        return "\"" + bytes + "\"";
    SHA256HASH hash;
    BYTE digest[SHA256_BYTES];
    Sha256Begin(&hash);
    Sha256Add(&hash, (const BYTE *)bytes.data(), (DWORD)bytes.size());
    Sha256End(&hash, digest);
    std::string text = std::to_string(bytes.size()) + " bytes sha256 ";
    for (int at = 0; at < 8; at++) {
        char pair[3];
        snprintf(pair, sizeof pair, "%02x", digest[at]);
        text += pair;
    }
    return text;
}

static std::string ReadWhole(const std::string &path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "(unreadable, error " + std::to_string(GetLastError()) + ")";
    char block[4096];
    DWORD read;
    while (ReadFile(file, block, sizeof block, &read, NULL) && read)
        bytes.append(block, read);
    CloseHandle(file);
    return bytes;
}

// A shortcut by what it says: its bytes hold the target's times, which
// differ from one installation to the next.
static std::string ShortcutText(const std::string &path)
{
    std::string text = "(not a readable shortcut)";
    bool initialised = SUCCEEDED(CoInitialize(NULL));
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link))
        && SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            char target[MAX_PATH] = "", arguments[MAX_PATH] = "", folder[MAX_PATH] = "", description[MAX_PATH] = "",
                 icon[MAX_PATH] = "";
            int iconIndex = 0, show = 0;
            WORD hotkey = 0;
            link->GetPath(target, MAX_PATH, NULL, SLGP_RAWPATH);
            link->GetArguments(arguments, MAX_PATH);
            link->GetWorkingDirectory(folder, MAX_PATH);
            link->GetDescription(description, MAX_PATH);
            link->GetIconLocation(icon, MAX_PATH, &iconIndex);
            link->GetShowCmd(&show);
            link->GetHotkey(&hotkey);
            text = std::string("target \"") + target + "\" arguments \"" + arguments + "\" in \"" + folder
                   + "\" described \"" + description + "\" icon \"" + icon + "\"," + std::to_string(iconIndex)
                   + " show " + std::to_string(show) + " hotkey " + Hex(hotkey);
        }
    }
    if (file)
        file->Release();
    if (link)
        link->Release();
    if (initialised)
        CoUninitialize();
    return text;
}

static void TakeFolder(MachineSnapshot &snapshot, const std::string &folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = folder + "\\" + name;
        // Read directly: tests run as root, for whom Wine lets a read-only file be changed.
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            snapshot.Items["folder " + path] = "attributes " + Hex(attributes);
            TakeFolder(snapshot, path);
            continue;
        }
        std::string bytes = ReadWhole(path);
        size_t length = name.size();
        bool shortcut = length > 4 && lstrcmpiA(name.c_str() + length - 4, ".lnk") == 0;
        snapshot.Items["file " + path] = "attributes " + Hex(attributes) + " "
                                         + (shortcut ? std::to_string(bytes.size()) + " bytes " + ShortcutText(path)
                                                     : BytesText(bytes));
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

static std::string RootName(HKEY root)
{
    return root == HKEY_LOCAL_MACHINE ? "HKLM" : "HKCU";
}

static std::string ValueText(DWORD type, const std::string &data)
{
    if ((type == REG_DWORD) && data.size() == 4)
        return "REG_DWORD " + std::to_string(*(const DWORD *)data.data());
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::string text = type == REG_SZ ? "REG_SZ \"" : "REG_EXPAND_SZ \"";
        for (char c : data)
            if (c == '\0')
                text += "\\0";
            else
                text += c;
        return text + "\"";
    }
    std::string text = "type " + std::to_string(type) + " bytes";
    for (unsigned char byte : data) {
        char pair[4];
        snprintf(pair, sizeof pair, " %02x", byte);
        text += pair;
    }
    return text;
}

// Outside TakeKey: its buffers would otherwise stay on the stack at every depth.
static void TakeValues(MachineSnapshot &snapshot, HKEY key, const std::string &name)
{
    for (DWORD index = 0;; index++) {
        char valueName[16384];
        BYTE data[65536];
        DWORD nameLength = sizeof valueName, type, size = sizeof data;
        if (RegEnumValueA(key, index, valueName, &nameLength, NULL, &type, data, &size) != ERROR_SUCCESS)
            break;
        snapshot.Items["value " + name + " : " + (nameLength ? valueName : "(default)")] =
            ValueText(type, std::string((const char *)data, size));
    }
}

static void TakeKey(MachineSnapshot &snapshot, HKEY root, const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    std::string name = RootName(root) + "\\" + path;
    snapshot.Items["key " + name] = "there";
    TakeValues(snapshot, key, name);
    std::vector<std::string> subkeys;
    for (DWORD index = 0;; index++) {
        char subkey[256];
        DWORD length = sizeof subkey;
        if (RegEnumKeyExA(key, index, subkey, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        subkeys.push_back(subkey);
    }
    RegCloseKey(key);
    for (const std::string &subkey : subkeys)
        TakeKey(snapshot, root, path + "\\" + subkey);
}

static std::string CurrentVersionPath()
{
    std::string path = MachineSoftwareKey;
    for (const char *name : CurrentVersionChain)
        path += std::string("\\") + name;
    return path;
}

std::vector<ProductRegistryKey> ProductRegistryKeys()
{
    const std::string currentVersion = CurrentVersionPath(), classes = MachineClassesKey;
    return {
        { HKEY_LOCAL_MACHINE, std::string(MachineSoftwareKey) + "\\" + MakerName },
        { HKEY_LOCAL_MACHINE, currentVersion + "\\" + AppPathsKey + "\\" + ProgramFile },
        { HKEY_LOCAL_MACHINE, currentVersion + "\\" + UninstallKey + "\\" + ProductName },
        { HKEY_CURRENT_USER, std::string(UserSoftwareKey) + "\\" + MakerName },
        { HKEY_LOCAL_MACHINE, classes + "\\" + SettingsExtension },
        { HKEY_LOCAL_MACHINE, classes + "\\" + ProductName },
    };
}

MachineSnapshot TakeSnapshot(const std::vector<std::string> &folders)
{
    MachineSnapshot snapshot;
    for (const std::string &folder : folders) {
        DWORD attributes = GetFileAttributesA(folder.c_str());
        snapshot.Items["folder " + folder] =
            attributes == INVALID_FILE_ATTRIBUTES ? "none" : "attributes " + Hex(attributes);
        TakeFolder(snapshot, folder);
    }
    for (const ProductRegistryKey &key : ProductRegistryKeys())
        TakeKey(snapshot, key.Root, key.Path);
    // Other programs' entries live beside the product's: only whether the list is there.
    std::string uninstall = CurrentVersionPath() + "\\" + UninstallKey;
    HKEY key;
    bool listed = RegOpenKeyExA(HKEY_LOCAL_MACHINE, uninstall.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (listed)
        RegCloseKey(key);
    snapshot.Items["key HKLM\\" + uninstall] = listed ? "there" : "none";
    // The name of a run's journal, which goes with the run.
    RegValue journal = ReadRegValue(HKEY_LOCAL_MACHINE, CurrentVersionPath(), JournalValue);
    snapshot.Items["value HKLM\\" + CurrentVersionPath() + " : " + JournalValue] =
        journal.Found ? journal.Data : "none";
    for (int csidl : { CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU }) {
        std::string menu = StartMenuFolder(csidl);
        snapshot.Items["folder " + menu] = "Start Menu " + std::to_string(csidl);
        TakeFolder(snapshot, menu);
    }
    return snapshot;
}

std::string SnapshotDifference(const MachineSnapshot &before, const MachineSnapshot &after)
{
    std::string lines;
    auto was = before.Items.begin(), is = after.Items.begin();
    while (was != before.Items.end() || is != after.Items.end()) {
        if (is == after.Items.end() || (was != before.Items.end() && was->first < is->first)) {
            lines += "- " + was->first + ": " + was->second + "\n";
            ++was;
        } else if (was == before.Items.end() || is->first < was->first) {
            lines += "+ " + is->first + ": " + is->second + "\n";
            ++is;
        } else {
            if (was->second != is->second)
                lines += "- " + was->first + ": " + was->second + "\n+ " + is->first + ": " + is->second + "\n";
            ++was;
            ++is;
        }
    }
    return lines;
}

void PrintTo(const MachineSnapshot &snapshot, std::ostream *out)
{
    *out << "\n";
    for (const auto &item : snapshot.Items)
        *out << item.first << ": " << item.second << "\n";
}
