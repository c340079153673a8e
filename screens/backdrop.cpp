// The full-screen navy backdrop with the setup title drawn near its top-left corner.
#include "screens.h"

static LRESULT CALLBACK BackdropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// RegisterClassA, not its extended form: Windows NT 3.5 has only this one,
// and the small icon the extended form adds was never set.
UINT RegisterBackdropClass(void)
{
    WNDCLASSA windowClass;

    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = BackdropWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = SetupState.Instance;
    windowClass.lpszMenuName = NULL;

    windowClass.hIcon = LoadIconA(SetupState.Instance, MAKEINTRESOURCEA(IDI_SETUP));
    if (!windowClass.hIcon)
        return IDS_NO_ICON;
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    if (!windowClass.hCursor)
        return IDS_NO_CURSOR;
    windowClass.hbrBackground = SetupState.BackdropBrush;
    windowClass.lpszClassName = SetupClassName;
    return RegisterClassA(&windowClass) ? 0 : IDS_NO_WINDOW_CLASS;
}

static void PaintBackdrop(HWND window, HDC context)
{
    HGDIOBJ previous = SelectObject(context, SetupState.BackdropBrush);
    RECT client;

    if (!previous)
        return;
    GetClientRect(window, &client);
    PatBlt(context, 0, 0, client.right, client.bottom, PATCOPY);
    SelectObject(context, previous);
}

// Shadow, rim, then the title itself on top; in hundredths of an inch below
// the top-left corner, so the title stands still whatever the screen size.
static const struct { COLORREF Colour; int X, Y; } TitlePasses[] = {
    { RGB(0, 0, 0), 25, -25 },
    { RGB(128, 128, 128), 23, -18 },
    { RGB(192, 0, 0), 20, -20 },
};

// Bold italic Helvetica-like, half an inch high in the logical units below.
static const LOGFONTA TitleFont = {
    -50, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET,
    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
    VARIABLE_PITCH | FF_SWISS, ""
};

static void PaintTitle(HWND window)
{
    PAINTSTRUCT paint;
    HDC context = BeginPaint(window, &paint);
    HFONT font;
    HGDIOBJ previous;
    unsigned pass;

    SetBkMode(context, TRANSPARENT);
    SetMapMode(context, MM_LOENGLISH);
    font = CreateFontIndirectA(&TitleFont);
    previous = SelectObject(context, font);
    for (pass = 0; pass < sizeof TitlePasses / sizeof TitlePasses[0]; pass++) {
        SetTextColor(context, TitlePasses[pass].Colour);
        TextOutA(context, TitlePasses[pass].X, TitlePasses[pass].Y, SetupTitle, SETUP_TITLE_LENGTH);
    }
    SelectObject(context, previous);
    DeleteObject(font);
    EndPaint(window, &paint);
}

static LRESULT CALLBACK BackdropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        PaintBackdrop(window, (HDC)wParam);
        return 0;
    case WM_PAINT:
        PaintTitle(window);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
