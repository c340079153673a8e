// Install folders, state, shortcuts and other programs for the registry and shortcut tests.
#include "registry_support.h"
#include "sandbox.h"
#include "setupstate.h"
#include "driver/driver.h"
#include <shlobj.h>

std::string MakeInstallFolder(const std::string &name)
{
    std::string folder = MakeScratchDir(name);
    for (const char *file : { "Tessel.exe", "Uninstal.exe" })
        CopyFileA((std::string(SETUP_MEDIA_DIR) + "\\" + file).c_str(), (folder + "\\" + file).c_str(), FALSE);
    return folder;
}

void PrepareInstallState(const std::string &folder, DWORD platformId, DWORD majorVersion, BYTE shortcutChoice)
{
    ResetSetupState();
    SetupState.PlatformId = platformId;
    SetupState.MajorVersion = majorVersion;
    SetupState.ShortcutChoice = shortcutChoice;
    lstrcpynA(SetupState.InstallPath, folder.c_str(), INSTALL_DIR_CHARS);
}

std::string StartMenuFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(NULL, csidl, NULL, 0, path);
    return path;
}

std::string ShortcutPath(int csidl)
{
    return StartMenuFolder(csidl) + "\\Brindlecast.lnk";
}

ShortcutInfo LoadShortcut(const std::string &path)
{
    ShortcutInfo info = { false, "", "", "", "", "", 0 };
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    WCHAR wide[MAX_PATH * 2];
    char text[MAX_PATH * 2];
    int icon = 0;
    HRESULT initialised = CoInitialize(NULL);

    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH * 2);
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link))
        && SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))
        && SUCCEEDED(file->Load(wide, STGM_READ))) {
        info.Loaded = true;
        text[0] = 0;
        link->GetPath(text, sizeof text, NULL, SLGP_RAWPATH);
        info.Target = text;
        text[0] = 0;
        link->GetWorkingDirectory(text, sizeof text);
        info.WorkingDir = text;
        text[0] = 0;
        link->GetDescription(text, sizeof text);
        info.Description = text;
        text[0] = 0;
        link->GetArguments(text, sizeof text);
        info.Arguments = text;
        text[0] = 0;
        link->GetIconLocation(text, sizeof text, &icon);
        info.IconPath = text;
        link->GetHotkey(&info.Hotkey);
    }
    if (file)
        file->Release();
    if (link)
        link->Release();
    if (SUCCEEDED(initialised))
        CoUninitialize();
    return info;
}

ProgramRun RunCaptured(const std::string &commandLine, DWORD timeout)
{
    ProgramRun run = { false, (DWORD)-1, "" };
    SECURITY_ATTRIBUTES inherit = { sizeof inherit, NULL, TRUE };
    HANDLE reader, writer;
    STARTUPINFOA startup = {};
    PROCESS_INFORMATION process = {};
    std::string command = commandLine;

    if (!CreatePipe(&reader, &writer, &inherit, 0))
        return run;
    SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = NULL;
    startup.hStdOutput = startup.hStdError = writer;
    BOOL started = CreateProcessA(NULL, &command[0], NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL, NULL, &startup,
                                  &process);
    CloseHandle(writer);
    if (!started) {
        CloseHandle(reader);
        return run;
    }
    // Drain the pipe while the program runs, so a long output cannot stall it.
    DWORD start = GetTickCount();
    for (;;) {
        DWORD waiting = 0, got = 0;
        char buffer[4096];
        bool ended = WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0;
        while (PeekNamedPipe(reader, NULL, 0, NULL, &waiting, NULL) && waiting
               && ReadFile(reader, buffer, sizeof buffer, &got, NULL) && got)
            run.Output.append(buffer, got);
        if (ended) {
            run.Finished = true;
            GetExitCodeProcess(process.hProcess, &run.ExitCode);
            break;
        }
        if (GetTickCount() - start >= timeout) {
            TerminateProcess(process.hProcess, 99);
            break;
        }
    }
    CloseHandle(reader);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return run;
}

static const UINT ShellNotice = WM_APP + 1;
static LONG NoticedEvents;

static LRESULT CALLBACK NoticeWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == ShellNotice)
        NoticedEvents |= (LONG)lParam;
    return DefWindowProcA(window, message, wParam, lParam);
}

bool ShellHearsOfAssociations(const std::function<void()> &action)
{
    WNDCLASSA kind = {};
    kind.lpfnWndProc = NoticeWindow;
    kind.hInstance = GetModuleHandleA(NULL);
    kind.lpszClassName = "AssociationListener";
    RegisterClassA(&kind);
    HWND listener = CreateWindowA("AssociationListener", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, kind.hInstance, NULL);
    SHChangeNotifyEntry everything = { NULL, TRUE };
    ULONG registration = listener ? SHChangeNotifyRegister(listener, SHCNRF_ShellLevel | SHCNRF_InterruptLevel,
                                                           SHCNE_ASSOCCHANGED, ShellNotice, 1, &everything)
                                  : 0;
    if (!registration) {
        if (listener)
            DestroyWindow(listener);
        return false;
    }
    NoticedEvents = 0;
    action();
    MSG message;
    for (int waited = 0; !(NoticedEvents & SHCNE_ASSOCCHANGED) && waited < 2000; waited += 20) {
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(20);
    }
    SHChangeNotifyDeregister(registration);
    DestroyWindow(listener);
    return (NoticedEvents & SHCNE_ASSOCCHANGED) != 0;
}

static const char UserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
static const char ShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

static void SaveValue(const char *key, bool &found, DWORD &type, std::string &data)
{
    HKEY opened;
    char bytes[2048];
    DWORD size = sizeof bytes;
    found = RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &opened) == ERROR_SUCCESS;
    if (!found)
        return;
    found = RegQueryValueExA(opened, "Start Menu", NULL, &type, (BYTE *)bytes, &size) == ERROR_SUCCESS;
    if (found)
        data.assign(bytes, size);
    RegCloseKey(opened);
}

static void RestoreValue(const char *key, bool found, DWORD type, const std::string &data)
{
    HKEY opened;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, NULL, 0, KEY_SET_VALUE, NULL, &opened, NULL) != ERROR_SUCCESS)
        return;
    if (found)
        RegSetValueExA(opened, "Start Menu", 0, type, (const BYTE *)data.data(), data.size());
    else
        RegDeleteValueA(opened, "Start Menu");
    RegCloseKey(opened);
}

LostStartMenu::LostStartMenu()
{
    SaveValue(UserShellFolders, UserShellFolder.Found, UserShellFolder.Type, UserShellFolder.Data);
    SaveValue(ShellFolders, ShellFolder.Found, ShellFolder.Type, ShellFolder.Data);
    Parent = MakeScratchDir("no-start-menu");
    RestoreValue(UserShellFolders, true, REG_EXPAND_SZ, Parent + "\\Start Menu" + '\0');
}

LostStartMenu::~LostStartMenu()
{
    RestoreValue(UserShellFolders, UserShellFolder.Found, UserShellFolder.Type, UserShellFolder.Data);
    RestoreValue(ShellFolders, ShellFolder.Found, ShellFolder.Type, ShellFolder.Data);
    DeleteTree(Parent);
}
