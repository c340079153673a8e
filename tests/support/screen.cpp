// Screenshots and colours found in them.
#include "screen.h"
#include "messages.h"
#include <algorithm>
#include <gtest/gtest.h>

static int FloorHalf(int value)
{
    return value >= 0 ? value / 2 : -((1 - value) / 2);
}

POINT CentredAt(int width, int height)
{
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    return { FloorHalf(desktop.right - width), FloorHalf(desktop.bottom - height) };
}

void ExpectCentred(const RECT &placed)
{
    POINT expected = CentredAt(placed.right - placed.left, placed.bottom - placed.top);
    EXPECT_EQ(placed.left, expected.x);
    EXPECT_EQ(placed.top, expected.y);
}

COLORREF ScreenShot::At(int x, int y) const
{
    DWORD pixel = Pixels[y * Width + x];
    return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
}

ScreenShot GrabScreen()
{
    ScreenShot shot;
    HDC screen = GetDC(NULL);
    shot.Width = GetDeviceCaps(screen, HORZRES);
    shot.Height = GetDeviceCaps(screen, VERTRES);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.Width;
    info.bmiHeader.biHeight = -shot.Height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    DWORD *bits = NULL;
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, (void **)&bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.Width, shot.Height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    shot.Pixels.assign(bits, bits + shot.Width * shot.Height);
    for (DWORD &pixel : shot.Pixels)
        pixel &= 0xFFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return shot;
}

ColourBounds FindColour(const ScreenShot &shot, COLORREF colour, const RECT &area)
{
    ColourBounds found;
    for (int y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, shot.Height); y++)
        for (int x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, shot.Width); x++)
            if (shot.At(x, y) == colour) {
                found.Count++;
                found.Left = std::min(found.Left, x);
                found.Right = std::max(found.Right, x);
                found.Top = std::min(found.Top, y);
                found.Bottom = std::max(found.Bottom, y);
            }
    return found;
}

const TitlePass TitlePasses[3] = {
    { RGB(0, 0, 0), 25, -25 },
    { RGB(128, 128, 128), 23, -18 },
    { RGB(192, 0, 0), 20, -20 },
};

LOGFONTA TitleLookFont()
{
    return { -50, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
             DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "" };
}

void DrawTitleLook(HDC context, int width, int height)
{
    int saved = SaveDC(context);
    HBRUSH navy = CreateSolidBrush(RGB(0, 0, 128));
    RECT area = { 0, 0, width, height };
    FillRect(context, &area, navy);
    DeleteObject(navy);
    SetBkMode(context, TRANSPARENT);
    SetMapMode(context, MM_LOENGLISH);
    LOGFONTA look = TitleLookFont();
    HFONT font = CreateFontIndirectA(&look);
    SelectObject(context, font);
    for (const TitlePass &pass : TitlePasses) {
        SetTextColor(context, pass.Colour);
        TextOutA(context, pass.X, pass.Y, SetupTitleText, lstrlenA(SetupTitleText));
    }
    RestoreDC(context, saved);
    DeleteObject(font);
}

Canvas::Canvas(int width, int height) : Width(width), Height(height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    Context = CreateCompatibleDC(NULL);
    Bitmap = CreateDIBSection(Context, &info, DIB_RGB_COLORS, (void **)&Bits, NULL, 0);
    Previous = SelectObject(Context, Bitmap);
    FillMemory(Bits, width * height * 4, 0xFF);
}

Canvas::~Canvas()
{
    SelectObject(Context, Previous);
    DeleteObject(Bitmap);
    DeleteDC(Context);
}

void Canvas::Copy(HWND window)
{
    HDC shown = GetDC(window);
    BitBlt(Context, 0, 0, Width, Height, shown, 0, 0, SRCCOPY);
    ReleaseDC(window, shown);
    GdiFlush();
}

int Canvas::CountOther(COLORREF colour) const
{
    DWORD want = GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
    int other = 0;
    for (int i = 0; i < Width * Height; i++)
        other += (Bits[i] & 0xFFFFFF) != want;
    return other;
}

int Canvas::CountDiffering(const Canvas &other) const
{
    int differing = 0;
    for (int i = 0; i < Width * Height; i++)
        differing += (Bits[i] & 0xFFFFFF) != (other.Bits[i] & 0xFFFFFF);
    return differing;
}

std::vector<DWORD> IconPixels(HICON icon)
{
    Canvas drawn(32, 32);
    if (!icon || !DrawIconEx(drawn.Context, 0, 0, icon, 32, 32, 0, NULL, DI_NORMAL))
        return {};
    GdiFlush();
    std::vector<DWORD> pixels(drawn.Bits, drawn.Bits + 32 * 32);
    for (DWORD &pixel : pixels)
        pixel &= 0xFFFFFF;
    return pixels;
}
