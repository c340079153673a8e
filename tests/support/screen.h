// The screen's pixels, read back to see what a user sees.
#ifndef TESTS_SCREEN_H
#define TESTS_SCREEN_H

#include <windows.h>
#include <climits>
#include <vector>

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
