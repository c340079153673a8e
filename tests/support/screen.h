// The screen as a user sees it: where a centred window stands, the
// screen's pixels read back, and how the setup title is to look.
#ifndef TESTS_SCREEN_H
#define TESTS_SCREEN_H

#include <windows.h>
#include <climits>
#include <vector>

// Where a window of this size stands when centred on the desktop: half the
// room left over on either side, rounded down, so a window larger than the
// desktop overhangs both edges alike.
POINT CentredAt(int width, int height);
// A window's screen rectangle stands there.
void ExpectCentred(const RECT &placed);

struct ScreenShot {
    int Width = 0, Height = 0;
    std::vector<DWORD> Pixels;   // 0x00RRGGBB, top row first
    COLORREF At(int x, int y) const;
};
ScreenShot GrabScreen();

struct ColourBounds {
    int Count = 0;
    int Left = INT_MAX, Top = INT_MAX, Right = INT_MIN, Bottom = INT_MIN;   // inclusive
};
ColourBounds FindColour(const ScreenShot &shot, COLORREF colour, const RECT &area);

// A white 32-bit bitmap in a memory context, to paint into and read back.
struct Canvas {
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;
    // A window's client area as it is shown, copied in.
    void Copy(HWND window);
    // Pixels that are not the given colour.
    int CountOther(COLORREF colour) const;
    // Pixels that differ from another canvas of the same size.
    int CountDiffering(const Canvas &other) const;
    HDC Context;
    HBITMAP Bitmap;
    HGDIOBJ Previous;
    DWORD *Bits;
    int Width, Height;
};

// An icon as drawn at 32 x 32 pixels on white; empty when it cannot be drawn.
std::vector<DWORD> IconPixels(HICON icon);

// The setup title as users are to see it on the backdrop: the title text in
// a bold italic sans-serif face half an inch high, first a black shadow,
// then a grey rim, then the dark red title on top, each placed in
// hundredths of an inch right of and below the top-left corner (negative y
// is downwards, as in MM_LOENGLISH).
struct TitlePass {
    COLORREF Colour;
    int X, Y;
};
extern const TitlePass TitlePasses[3];
LOGFONTA TitleLookFont();
// Draws that look on a navy area of the given size, in MM_TEXT context
// (which it leaves as it found it).
void DrawTitleLook(HDC context, int width, int height);

#endif
