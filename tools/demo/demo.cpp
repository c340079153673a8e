// A scripted run of Setup.exe and of the uninstaller for scripts/run.sh. It
// starts the setup from a setup folder and clicks through every page with the
// proposed choices, or removes the product again through Wine's list of
// installed programs, and saves a screenshot of each page and box as a BMP
// file.
//
//   demo.exe install <setup folder> <screenshot folder>
//   demo.exe remove <screenshot folder>
//
// It must run on the same desktop as the programs it drives (scripts/run.sh
// starts it in Wine's virtual desktop), since it finds their windows by
// enumeration.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <string>
#include "resources/resource.h"
#include "support/pages.h"

static SetupRun Setup;
static std::string ShotFolder;
// How long a page, a box or a program's end is waited for.
static const DWORD Wait = 15000;

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

// Lets a program paint what was just shown before the screen is taken: the
// pictures are for people, so a moment more does no harm.
static void LetPaint(HANDLE process = Setup.Process.hProcess)
{
    WaitForInputIdle(process, 2000);
    Sleep(400);
}

static int Fail(const char *what, HANDLE process = Setup.Process.hProcess)
{
    printf("demo: %s did not come\n", what);
    TerminateProcess(process, 99);
    return 1;
}

static int Install(const std::string &folder)
{
    std::string command = "\"" + folder + "\\Setup.exe\"";
    STARTUPINFOA startup = { sizeof startup };
    Setup.Started = CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &startup,
                                   &Setup.Process) != 0;
    if (!Setup.Started) {
        printf("demo: cannot start %s\n", command.c_str());
        return 1;
    }

    HWND page = WaitForPage(Setup, IDD_WELCOME, Wait);
    if (!page)
        return Fail("the welcome page");
    // The backdrop alone: the page steps aside for a moment.
    ShowWindow(page, SW_HIDE);
    LetPaint();
    SaveScreen("1-backdrop");
    ShowWindow(page, SW_SHOW);
    LetPaint();
    SaveScreen("2-welcome");
    Click(page, IDOK);

    if (!(page = WaitForPage(Setup, IDD_AGREEMENT, Wait)))
        return Fail("the agreement page");
    LetPaint();
    SaveScreen("3-agreement");
    Click(page, IDOK);

    if (!(page = WaitForPage(Setup, IDD_DIRECTORY, Wait)))
        return Fail("the directory page");
    LetPaint();
    SaveScreen("4-directory");
    printf("  installing into %s\n", ControlText(page, IDC_INSTALL_DIR).c_str());
    Click(page, IDOK);

    // The progress panel is up only while files are copied and the registry
    // written, and the setup pumps no messages meanwhile, so the panel is
    // drawn bit by bit: the screen is taken over and over while it is up,
    // and the one that shows most of its text is kept.
    HWND progress = WaitForPage(Setup, IDD_PROGRESS, 5000, 1);
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

    if (!(page = WaitForPage(Setup, IDD_FINISH, Wait)))
        return Fail("the finish page");
    LetPaint();
    SaveScreen("6-finish");
    Click(page, IDOK);

    DWORD code = 99;
    if (WaitForSingleObject(Setup.Process.hProcess, Wait) != WAIT_OBJECT_0)
        return Fail("the end of the setup");
    GetExitCodeProcess(Setup.Process.hProcess, &code);
    printf("  Setup.exe ended with exit code %lu\n", code);
    return 0;
}

struct Child {
    const char *ClassName, *Text;
    HWND Found;
};

static BOOL CALLBACK FindChild(HWND window, LPARAM data)
{
    Child *search = (Child *)data;
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    if (lstrcmpiA(ClassOf(window).c_str(), search->ClassName) == 0
        && (!search->Text || lstrcmpA(text, search->Text) == 0)) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

// A control anywhere below a window, by its class and, when given, its text.
static HWND ChildOf(HWND window, const char *className, const char *text = NULL)
{
    Child search = { className, text, NULL };
    EnumChildWindows(window, FindChild, (LPARAM)&search);
    return search.Found;
}

// A window of any process, by its title: the list of installed programs and
// the uninstaller run in processes of their own.
static HWND WaitForTitled(const char *title)
{
    HWND found = NULL;
    WaitFor([&] { return (found = FindTitled(title)) != NULL; }, Wait, 50);
    return found;
}

// Presses a button of one of the uninstaller's boxes after the screenshot.
static bool ShootAndPress(const char *shot, int button)
{
    HWND box = WaitForTitled("Brindlecast 1.26 Uninstall");
    if (!box)
        return false;
    Sleep(400);
    printf("  the uninstaller says: %s\n", ControlText(box, 0xFFFF).c_str());
    SaveScreen(shot);
    Click(box, button);
    return WaitGone(box, Wait);
}

// Through Wine's list of installed programs, as a user removes a program:
// the product picked in the list, Remove, Yes, OK, and the list without it.
static int Remove()
{
    PROCESS_INFORMATION list;
    STARTUPINFOA startup = { sizeof startup };
    char command[] = "uninstaller.exe";
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &list)) {
        printf("demo: cannot start Wine's list of installed programs\n");
        return 1;
    }
    HWND programs = WaitForTitled("Add/Remove Programs");
    HWND view = programs ? ChildOf(programs, "SysListView32") : NULL;
    HWND remove = programs ? ChildOf(programs, "Button", "&Remove") : NULL;
    if (!view || !remove)
        return Fail("the list of installed programs", list.hProcess);
    // The first line of the list, below its header, clicked: the only program there.
    RECT lines, header;
    GetWindowRect(view, &lines);
    GetWindowRect(ChildOf(view, "SysHeader32"), &header);
    MouseClickAt({ lines.left + 40, header.bottom + 8 });
    if (!WaitFor([&] { return IsWindowEnabled(remove) != 0; }, Wait, 50))
        return Fail("the choice of Brindlecast in the list", list.hProcess);
    LetPaint(list.hProcess);
    SaveScreen("7-programs");

    PostMessageA(remove, BM_CLICK, 0, 0);
    if (!ShootAndPress("8-uninstall-question", IDYES))
        return Fail("the uninstaller's question", list.hProcess);
    if (!ShootAndPress("9-uninstall-removed", IDOK))
        return Fail("the uninstaller's closing box", list.hProcess);
    // The list reads the registry again once the uninstaller has ended.
    if (!WaitFor([&] { return SendMessageA(view, LVM_GETITEMCOUNT, 0, 0) == 0; }, Wait, 50))
        return Fail("the list without Brindlecast", list.hProcess);
    LetPaint(list.hProcess);
    SaveScreen("10-programs-after");
    PostMessageA(ChildOf(programs, "Button", "OK"), BM_CLICK, 0, 0);
    WaitForSingleObject(list.hProcess, Wait);
    return 0;
}

int main(int argc, char **argv)
{
    std::string phase = argc > 1 ? argv[1] : "";
    if (phase == "install" && argc == 4) {
        ShotFolder = argv[3];
        return Install(argv[2]);
    }
    if (phase == "remove" && argc == 3) {
        ShotFolder = argv[2];
        return Remove();
    }
    printf("usage: demo.exe install <setup folder> <screenshot folder>\n"
           "       demo.exe remove <screenshot folder>\n");
    return 2;
}
