// Screenshots and colours found in them.
#include "screen.h"
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
