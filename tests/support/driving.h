// Driving pages as a user does: keys and clicks, the focus they move, and
// a modal page of the program run in-process and steered from a second thread.
#ifndef TESTS_DRIVING_H
#define TESTS_DRIVING_H

#include <windows.h>
#include <functional>
#include "pages.h"

// A key pressed and released in the control that has the focus on the
// given thread (the page's thread, or a Setup.exe run's main thread); false
// when nothing there has the focus.
bool PressKey(DWORD thread, UINT key);
// (Mouse clicks and waiting for a condition: pages.h.)
HWND FocusOf(DWORD thread);
// Waits until a control of that thread has the keyboard focus.
bool WaitForFocus(DWORD thread, HWND control, DWORD timeout = 10000);

// Posts a harmless marker behind whatever was posted to the page before and
// waits until the page has handled it: false when the page did not (gone,
// or hung). The button's pushed look, the marker, is taken back before it
// returns.
bool Settle(HWND page, int button);

// Runs a page template of the program modally on this thread; `drive` runs
// on a second thread once the page is up and steers it. Returns the page's
// result (or -2 if the page never came up).
INT_PTR RunModalPage(int page, DLGPROC procedure, HWND owner, const std::function<void(HWND)> &drive);

#endif
