// A scripted run of Setup.exe for scripts/run.sh: it starts the setup from a
// setup folder, clicks through every page with the proposed choices, and
// saves a screenshot of the backdrop and of each page as a BMP file.
//
//   demo.exe <setup folder> <screenshot folder>
//
// It must run on the same desktop as the setup (scripts/run.sh starts it in
// Wine's virtual desktop), since it finds the setup's windows by enumeration.
#include <windows.h>
#include <stdio.h>
#include <string>
#include "resources/resource.h"

static PROCESS_INFORMATION Setup;
static std::string ShotFolder;

struct Search {
    DWORD ProcessId;
    HWND Found[32];
    int Count;
};

static BOOL CALLBACK Collect(HWND window, LPARAM data)
{
    Search *search = (Search *)data;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->ProcessId && IsWindowVisible(window) && search->Count < 32)
        search->Found[search->Count++] = window;
    return TRUE;
}

// The text as the window holds it, without asking its thread: the setup
// does not answer while it installs.
static std::string TextOf(HWND window)
{
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// An edit control's text has to be asked for.
static std::string EditText(HWND window)
{
    char text[1024] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, &length);
    return text;
}

// The pages are told apart by their controls, and the welcome and finish
// pages by their first line.
static int PageOf(HWND window)
{
    char name[32];
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "SetupClass") == 0)
        return -1;
    if (lstrcmpA(name, "#32770") != 0)
        return 0;
    if (GetDlgItem(window, IDC_INSTALL_DIR))
        return IDD_DIRECTORY;
    if (GetDlgItem(window, IDC_AGREEMENT_TEXT))
        return IDD_AGREEMENT;
    if (GetDlgItem(window, IDC_STATUS_COPY))
        return IDD_PROGRESS;
    std::string first = TextOf(GetWindow(window, GW_CHILD));
    if (first.find("Welcome") == 0)
        return IDD_WELCOME;
    if (first.find("Setup complete") != std::string::npos)
        return IDD_FINISH;
    return 0;
}

static HWND FindPage(int page)
{
    Search search = { Setup.dwProcessId, {}, 0 };
    EnumWindows(Collect, (LPARAM)&search);
    for (int i = 0; i < search.Count; i++)
        if (PageOf(search.Found[i]) == page)
            return search.Found[i];
    return NULL;
}

static HWND WaitForPage(int page, DWORD timeout = 15000, DWORD poll = 50)
{
    DWORD start = GetTickCount();
    do {
        HWND found = FindPage(page);
        if (found)
            return found;
        Sleep(poll);
    } while (GetTickCount() - start < timeout);
    return NULL;
}

// The whole screen as 24-bit pixels, bottom row first, as a BMP file holds them.
struct Screen {
    int Width, Height, Stride;
    std::string Pixels;
};

static bool TakeScreen(Screen &shot)
{
    shot.Width = GetSystemMetrics(SM_CXSCREEN);
    shot.Height = GetSystemMetrics(SM_CYSCREEN);
    shot.Stride = (shot.Width * 3 + 3) & ~3;
    BITMAPINFOHEADER header = { sizeof header, shot.Width, shot.Height, 1, 24, BI_RGB, 0, 0, 0, 0, 0 };
    void *bits = NULL;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, (BITMAPINFO *)&header, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    bool ok = bits && BitBlt(memory, 0, 0, shot.Width, shot.Height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    if (ok)
        shot.Pixels.assign((const char *)bits, shot.Stride * shot.Height);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return ok;
}

static bool WriteScreen(const Screen &shot, const char *name)
{
    BITMAPINFOHEADER header = { sizeof header, shot.Width, shot.Height, 1, 24, BI_RGB,
                                (DWORD)shot.Pixels.size(), 0, 0, 0, 0 };
    BITMAPFILEHEADER file = { 0x4D42, (DWORD)(sizeof file + sizeof header + shot.Pixels.size()), 0, 0,
                              sizeof file + sizeof header };
    std::string path = ShotFolder + "\\" + name + ".bmp";
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written;
    bool ok = out != INVALID_HANDLE_VALUE && WriteFile(out, &file, sizeof file, &written, NULL)
              && WriteFile(out, &header, sizeof header, &written, NULL)
              && WriteFile(out, shot.Pixels.data(), shot.Pixels.size(), &written, NULL);
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    printf("  %s %s\n", ok ? "saved" : "could not save", name);
    return ok;
}

static bool SaveScreen(const char *name)
{
    Screen shot;
    return TakeScreen(shot) && WriteScreen(shot, name);
}

static const unsigned char *PixelAt(const Screen &shot, int x, int y)
{
    return (const unsigned char *)shot.Pixels.data() + (shot.Height - 1 - y) * shot.Stride + 3 * x;
}

static bool Inside(const RECT &area, int x, int y)
{
    return x >= area.left && x < area.right && y >= area.top && y < area.bottom;
}

// How far the progress panel is drawn on a screen: 0 while anything but
// the dialog's face shows between its controls (the page below still shows
// through), else one more than the dark pixels of its status lines.
static int PanelDrawn(const Screen &shot, HWND panel)
{
    RECT frame, lines[2], controls[8];
    int count = 0, face = 0, other = 0, ink = 0;
    COLORREF faceColour = GetSysColor(COLOR_BTNFACE);

    if (!GetWindowRect(panel, &frame) || !GetWindowRect(GetDlgItem(panel, IDC_STATUS_COPY), &lines[0])
        || !GetWindowRect(GetDlgItem(panel, IDC_STATUS_REGISTRY), &lines[1]))
        return 0;
    for (HWND control = GetWindow(panel, GW_CHILD); control && count < 8; control = GetWindow(control, GW_HWNDNEXT))
        if (GetWindowRect(control, &controls[count]))
            count++;
    InflateRect(&frame, -4, -4);   // the frame's edges
    for (int y = frame.top > 0 ? frame.top : 0; y < frame.bottom && y < shot.Height; y++)
        for (int x = frame.left > 0 ? frame.left : 0; x < frame.right && x < shot.Width; x++) {
            const unsigned char *pixel = PixelAt(shot, x, y);
            bool onControl = false;
            for (int i = 0; i < count; i++)
                if (Inside(controls[i], x, y))
                    onControl = true;
            if (Inside(lines[0], x, y) || Inside(lines[1], x, y))
                ink += pixel[0] + pixel[1] + pixel[2] < 200;
            else if (onControl)
                continue;
            else if (RGB(pixel[2], pixel[1], pixel[0]) == faceColour)
                face++;
            else
                other++;
        }
    return face > 0 && other * 50 < face ? ink + 1 : 0;
}

// Lets the setup paint what was just shown before the screen is taken.
static void Settle()
{
    WaitForInputIdle(Setup.hProcess, 2000);
    Sleep(400);
}

static void Press(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

static int Fail(const char *what)
{
    printf("demo: %s did not come\n", what);
    TerminateProcess(Setup.hProcess, 99);
    return 1;
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        printf("usage: demo.exe <setup folder> <screenshot folder>\n");
        return 2;
    }
    std::string folder = argv[1];
    ShotFolder = argv[2];
    std::string command = "\"" + folder + "\\Setup.exe\"";
    STARTUPINFOA startup = { sizeof startup };
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &startup, &Setup)) {
        printf("demo: cannot start %s\n", command.c_str());
        return 1;
    }

    HWND page = WaitForPage(IDD_WELCOME);
    if (!page)
        return Fail("the welcome page");
    // The backdrop alone: the page steps aside for a moment.
    ShowWindow(page, SW_HIDE);
    Settle();
    SaveScreen("1-backdrop");
    ShowWindow(page, SW_SHOW);
    Settle();
    SaveScreen("2-welcome");
    Press(page, IDOK);

    if (!(page = WaitForPage(IDD_AGREEMENT)))
        return Fail("the agreement page");
    Settle();
    SaveScreen("3-agreement");
    Press(page, IDOK);

    if (!(page = WaitForPage(IDD_DIRECTORY)))
        return Fail("the directory page");
    Settle();
    SaveScreen("4-directory");
    printf("  installing into %s\n", EditText(GetDlgItem(page, IDC_INSTALL_DIR)).c_str());
    Press(page, IDOK);

    // The progress panel is up only while files are copied and the registry
    // written, and the setup pumps no messages meanwhile, so the panel is
    // drawn bit by bit: the screen is taken over and over while it is up,
    // and the one that shows most of its text is kept.
    HWND progress = WaitForPage(IDD_PROGRESS, 5000, 1);
    Screen best, shot;
    int most = 0;
    int frames = 0;
    while (progress && IsWindowVisible(progress) && TakeScreen(shot)) {
        int drawn = PanelDrawn(shot, progress);
        frames++;
        if (drawn > most) {
            most = drawn;
            best = shot;
        }
    }
    if (most > 0)
        WriteScreen(best, "5-progress");
    else
        printf("  the progress panel went by too fast to be taken (%s, %d frames)\n", progress ? "seen" : "not seen", frames);

    if (!(page = WaitForPage(IDD_FINISH)))
        return Fail("the finish page");
    Settle();
    SaveScreen("6-finish");
    Press(page, IDOK);

    DWORD code = 99;
    if (WaitForSingleObject(Setup.hProcess, 15000) != WAIT_OBJECT_0)
        return Fail("the end of the setup");
    GetExitCodeProcess(Setup.hProcess, &code);
    printf("  Setup.exe ended with exit code %lu\n", code);
    return 0;
}
