// Helpers of the install-folder and file-copy tests.
#include "folder_support.h"
#include "sandbox.h"
#include "resources/resource.h"
#include <shlobj.h>

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
    DeleteDeepTree(path);
}

static std::wstring Deep(const std::string &path)
{
    std::wstring wide = L"\\\\?\\";
    for (char c : path)
        wide += (wchar_t)(unsigned char)c;
    return wide;
}

bool CreateDeepFolder(const std::string &path)
{
    return CreateDirectoryW(Deep(path).c_str(), NULL) != 0;
}

std::string MakeDeepFolder(const std::string &base, size_t length)
{
    std::string path = base;
    CreateDirectoryW(Deep(path).c_str(), NULL);
    while (path.size() < length) {
        size_t room = length - path.size() - 1;
        // Each level a name of up to 200 characters; no level of one
        // character, so the last is never a stray short name.
        size_t name = room > 200 ? (room - 200 < 2 ? 150 : 200) : room;
        path += "\\" + std::string(name, (char)('a' + path.size() % 26));
        CreateDirectoryW(Deep(path).c_str(), NULL);
    }
    return path;
}

bool DeepFileExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesW(Deep(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadDeepBytes(const std::string &path)
{
    return ReadOpenFile(CreateFileW(Deep(path).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL));
}

void DeleteDeepTree(const std::string &path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((Deep(path) + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::string child = path + "\\";
            for (wchar_t c : name)
                child += (char)c;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteDeepTree(child);
            else {
                SetFileAttributesW(Deep(child).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(Deep(child).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(Deep(path).c_str());
}

static std::string ReportedProgram;
static SetupFolderSwap *ActiveFolderSwap;

static DWORD WINAPI ReportProgramPath(HMODULE module, LPSTR path, DWORD size)
{
    typedef DWORD(WINAPI * Real)(HMODULE, LPSTR, DWORD);
    if (module && module != GetModuleHandleA(NULL))
        return ((Real)ActiveFolderSwap->Swap.Original)(module, path, size);
    // As the real call does: cut to the buffer, and the full size returned when cut.
    DWORD length = ReportedProgram.size();
    if (size == 0)
        return 0;
    if (length >= size) {
        memcpy(path, ReportedProgram.data(), size - 1);
        path[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    memcpy(path, ReportedProgram.c_str(), length + 1);
    return length;
}

SetupFolderSwap::SetupFolderSwap(const std::string &folder)
    : Swap("kernel32.dll", "GetModuleFileNameA", (void *)ReportProgramPath)
{
    ReportedProgram = folder + "\\Setup.exe";
    ActiveFolderSwap = this;
}

SetupFolderSwap::~SetupFolderSwap()
{
    ActiveFolderSwap = NULL;
}

const char *const ShippedFiles[7] = {
    "License.txt", "Order.txt", "Tessel.exe", "Tessel.hlp", "Tessel.cnt", "Uninstal.exe", "Readme.txt",
};

std::string StageMedia(const std::string &folder)
{
    CreateDirectoryA(folder.c_str(), NULL);
    for (const char *file : ShippedFiles)
        CopyFileA((std::string(SETUP_MEDIA_DIR) + "\\" + file).c_str(), (folder + "\\" + file).c_str(), FALSE);
    return folder;
}

void MouseClick(HWND control)
{
    RECT box;
    GetWindowRect(control, &box);
    SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof input[0]);
}

bool WaitForFocus(const SetupRun &run, HWND control, DWORD timeout)
{
    DWORD start = GetTickCount();
    do {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (GetGUIThreadInfo(run.Process.dwThreadId, &info) && info.hwndFocus == control)
            return true;
        Sleep(20);
    } while (GetTickCount() - start < timeout);
    return false;
}

std::string ShortcutIn(int csidl)
{
    char path[MAX_PATH];
    if (SHGetFolderPathA(NULL, csidl, NULL, 0, path) != S_OK)
        return "";
    return std::string(path) + "\\Brindlecast.lnk";
}

void FolderGuiTest::SetUp()
{
    GuiTest::SetUp();
    // Named after the suite; parameterised suites carry a slash in their name.
    std::string name = ::testing::UnitTest::GetInstance()->current_test_suite()->name();
    for (char &c : name)
        if (c == '/')
            c = '-';
    Scratch = ScratchOnC(name);
}

void FolderGuiTest::TearDown()
{
    GuiTest::TearDown();
    RemoveScratchOnC(Scratch);
    if (!Setup.empty())
        DeleteTree(Setup);
    ResetMachine();
}

std::string FolderGuiTest::Stage(const std::string &name)
{
    return Setup = StageSetupFolder(name);
}
