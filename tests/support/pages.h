// A running program's pages and boxes as another program meets them: found
// among its windows, read, pressed, and waited for. Without GoogleTest, so
// that the scripted demo (tools/demo) drives the setup with the same helpers
// as the GUI tests.
#ifndef TESTS_PAGES_H
#define TESTS_PAGES_H

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// A program started by a test or the demo.
struct SetupRun {
    PROCESS_INFORMATION Process;
    bool Started;
};

// Waits until a condition holds, looking again every `poll` milliseconds;
// false when it did not within the timeout.
bool WaitFor(const std::function<bool()> &condition, DWORD timeout = 10000, DWORD poll = 20);

// Every visible top-level window of the run.
std::vector<HWND> WindowsOf(const SetupRun &run);
// A window's class name ("#32770" for pages and boxes, "Button", ...).
std::string ClassOf(HWND window);
// Whether a window stands above another in the order of windows on the screen.
bool IsAbove(HWND upper, HWND lower);
// Which page a window is (IDD_WELCOME, IDD_AGREEMENT, IDD_DIRECTORY,
// IDD_FINISH or IDD_PROGRESS, told apart by their controls), or 0.
int PageOf(HWND window);
// The visible page of the run, or 0 when that page is not up.
HWND FindPage(const SetupRun &run, int page);
// Waits for it; 0 when it is not up within the timeout.
HWND WaitForPage(const SetupRun &run, int page, DWORD timeout = 10000, DWORD poll = 50);
// The run's backdrop: its window of class "SetupClass", or 0.
HWND BackdropOf(const SetupRun &run);
// A visible top-level window of any process by its title, and by its class
// when one is given; 0 when there is none.
HWND FindTitled(const std::string &title, const char *className = NULL);

// Texts as the window's thread answers for them (5 s at most).
std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int id);

// A button pressed as the user presses it (BM_CLICK).
void Click(HWND dialog, int id);
// The left mouse button pressed and released at a point of the screen, or
// over the middle of a control, as a user clicks it (a disabled control gets
// no click). Wait for what was posted to the page before to be handled first
// (Settle in driving.h), so that the click comes after it, as a user's would.
void MouseClickAt(POINT point);
void MouseClick(HWND control);
// Waits until a window is gone (closed or hidden).
bool WaitGone(HWND window, DWORD timeout = 10000);

#endif
