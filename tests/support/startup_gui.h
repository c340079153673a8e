// GUI helpers for the start-up, backdrop and page tests: a setup folder
// with a long path, the run's backdrop window, a way to know a page has
// handled what was posted to it, and the screen's pixels.
#ifndef TESTS_STARTUP_GUI_H
#define TESTS_STARTUP_GUI_H

#include <windows.h>
#include <climits>
#include <string>
#include <vector>
#include "gui.h"
#include "folder_support.h"

// A setup folder whose own path is exactly `length` characters long, made
// of nested folders under the temporary folder, holding Setup.exe and
// License.txt. Returns the folder.
std::string StageDeepSetupFolder(const std::string &name, size_t length);

// Setup.exe in `folder` started the way StartSetup does, but through the
// wide calls (the folder's path may be long) and from the temporary folder
// as current folder.
SetupRun StartSetupElsewhere(const std::string &folder);

// Posts a harmless marker behind whatever was posted to the page before and
// waits until the page has handled it: false when the page did not (gone,
// or hung). The button is left as it was.
bool Settle(HWND page, int button);

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
