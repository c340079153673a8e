// The screen as a user sees it: where a centred window stands, and the
// screen's pixels read back.
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

#endif
