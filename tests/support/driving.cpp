// Keys, clicks and focus as the user gives them, and modal pages run in-process.
#include "driving.h"
#include <thread>

HWND FocusOf(DWORD thread)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : NULL;
}

bool PressKey(DWORD thread, UINT key)
{
    HWND target = FocusOf(thread);
    if (!target)
        return false;
    UINT scan = MapVirtualKeyA(key, 0);
    PostMessageA(target, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageA(target, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000);
    return true;
}

bool WaitForFocus(DWORD thread, HWND control, DWORD timeout)
{
    return WaitFor([&] { return FocusOf(thread) == control; }, timeout);
}

// The pushed look of a button, as its own thread reports it; -1 when the
// thread does not answer.
static int Pushed(HWND button)
{
    DWORD_PTR state = 0;
    if (!SendMessageTimeoutA(button, BM_GETSTATE, 0, 0, SMTO_ABORTIFHUNG, 2000, &state))
        return -1;
    return (state & BST_PUSHED) != 0;
}

bool Settle(HWND page, int button)
{
    HWND marker = GetDlgItem(page, button);
    // Posted messages of a thread are handled in order; the pushed look of
    // a button shows when the marker's turn has come. The look is taken
    // back the same way, and waited for, so that the next marker cannot be
    // mistaken for this one.
    for (int push : { 1, 0 }) {
        PostMessageA(marker, BM_SETSTATE, push, 0);
        int state = -1;
        // Stops early when the thread no longer answers (-1).
        WaitFor([&] { return (state = Pushed(marker)) != 1 - push; }, 5000);
        if (state != push)
            return false;
    }
    return true;
}

struct PageSearch {
    HWND Found;
};

static BOOL CALLBACK FindDialog(HWND window, LPARAM data)
{
    if (ClassOf(window) == "#32770" && IsWindowVisible(window)) {
        ((PageSearch *)data)->Found = window;
        return FALSE;
    }
    return TRUE;
}

INT_PTR RunModalPage(int page, DLGPROC procedure, HWND owner, const std::function<void(HWND)> &drive)
{
    DWORD thread = GetCurrentThreadId();
    bool cameUp = false;
    std::thread driver([&] {
        PageSearch search = { NULL };
        for (int tries = 0; tries < 200 && !search.Found; tries++) {
            EnumThreadWindows(thread, FindDialog, (LPARAM)&search);
            if (!search.Found)
                Sleep(25);
        }
        if (!search.Found)
            return;
        cameUp = true;
        drive(search.Found);
        // A page the drive could not end would hang the test program.
        for (int tries = 0; tries < 200 && IsWindow(search.Found); tries++)
            Sleep(25);
        if (IsWindow(search.Found))
            EndDialog(search.Found, -3);
    });
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(page), owner, procedure, 0);
    driver.join();
    return cameUp ? result : -2;
}
