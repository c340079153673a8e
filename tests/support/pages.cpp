// Pages and boxes of a running program found among its windows, read, pressed and waited for.
#include "pages.h"
#include "resources/resource.h"

bool WaitFor(const std::function<bool()> &condition, DWORD timeout, DWORD poll)
{
    DWORD start = GetTickCount();
    do {
        if (condition())
            return true;
        Sleep(poll);
    } while (GetTickCount() - start < timeout);
    return false;
}

struct Search {
    DWORD ProcessId;
    std::vector<HWND> Found;
};

static BOOL CALLBACK CollectWindow(HWND window, LPARAM data)
{
    Search *search = (Search *)data;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->ProcessId && IsWindowVisible(window))
        search->Found.push_back(window);
    return TRUE;
}

std::vector<HWND> WindowsOf(const SetupRun &run)
{
    Search search = { run.Process.dwProcessId, {} };
    EnumWindows(CollectWindow, (LPARAM)&search);
    return search.Found;
}

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsAbove(HWND upper, HWND lower)
{
    for (HWND window = GetWindow(upper, GW_HWNDNEXT); window; window = GetWindow(window, GW_HWNDNEXT))
        if (window == lower)
            return true;
    return false;
}

int PageOf(HWND window)
{
    if (ClassOf(window) != "#32770")
        return 0;
    if (GetDlgItem(window, IDC_INSTALL_DIR))
        return IDD_DIRECTORY;
    if (GetDlgItem(window, IDC_AGREEMENT_TEXT))
        return IDD_AGREEMENT;
    if (GetDlgItem(window, IDC_STATUS_COPY))
        return IDD_PROGRESS;
    // The welcome and finish pages share their controls' ids with message
    // boxes; their first line tells them apart.
    std::string first = WindowText(GetWindow(window, GW_CHILD));
    if (first == "Welcome to the Brindlecast 1.26 Setup program.")
        return IDD_WELCOME;
    if (first == "Brindlecast 1.26 Setup complete!")
        return IDD_FINISH;
    return 0;
}

HWND FindPage(const SetupRun &run, int page)
{
    for (HWND window : WindowsOf(run))
        if (PageOf(window) == page)
            return window;
    return NULL;
}

HWND WaitForPage(const SetupRun &run, int page, DWORD timeout, DWORD poll)
{
    HWND found = NULL;
    WaitFor([&] { return (found = FindPage(run, page)) != NULL; }, timeout, poll);
    return found;
}

HWND BackdropOf(const SetupRun &run)
{
    for (HWND window : WindowsOf(run))
        if (ClassOf(window) == "SetupClass")
            return window;
    return NULL;
}

struct Titled {
    const std::string &Title;
    const char *ClassName;
    HWND Found;
};

static BOOL CALLBACK FindTitledWindow(HWND window, LPARAM data)
{
    Titled *search = (Titled *)data;
    // The title as the window system keeps it: another process's thread is
    // not asked, so a busy one cannot hold the search up.
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    if (IsWindowVisible(window) && search->Title == title
        && (!search->ClassName || ClassOf(window) == search->ClassName)) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindTitled(const std::string &title, const char *className)
{
    Titled search = { title, className, NULL };
    EnumWindows(FindTitledWindow, (LPARAM)&search);
    return search.Found;
}

std::string WindowText(HWND window)
{
    char text[8192];
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &length))
        return "";
    return std::string(text, length);
}

std::string ControlText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

void Click(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void MouseClickAt(POINT point)
{
    // The position travels with the button events themselves, in the
    // platform's 0..65535 screen scale. A click taken at "wherever the
    // pointer is" can land elsewhere: the setup can move the pointer back
    // to where it stood when its page appeared, whenever it gets round to
    // the window system's events for that page.
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    LONG x = (point.x * 65536 + width - 1) / width;
    LONG y = (point.y * 65536 + height - 1) / height;
    INPUT input[2] = {};
    DWORD place = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dx = input[1].mi.dx = x;
    input[0].mi.dy = input[1].mi.dy = y;
    input[0].mi.dwFlags = place | MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = place | MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof input[0]);
}

void MouseClick(HWND control)
{
    RECT box;
    GetWindowRect(control, &box);
    MouseClickAt({ (box.left + box.right) / 2, (box.top + box.bottom) / 2 });
}

bool WaitGone(HWND window, DWORD timeout)
{
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeout, 50);
}
