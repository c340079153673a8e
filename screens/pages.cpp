// The welcome, agreement and finish pages, the progress panel, and what they share.
#include "screens.h"

void CenterOnScreen(HWND window)
{
    RECT desktop, own;

    if (!GetWindowRect(GetDesktopWindow(), &desktop) || !GetWindowRect(window, &own))
        return;
    // Signed halves that round down, so a page larger than the desktop
    // overhangs both edges alike.
    int x = (desktop.right - (own.right - own.left)) >> 1;
    int y = (desktop.bottom - (own.bottom - own.top)) >> 1;
    SetWindowPos(window, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
}

void SetStatusText(HWND dialog, int control, UINT string)
{
    char text[256];

    LoadStringA(SetupState.Instance, string, text, sizeof text);
    SendDlgItemMessageA(dialog, control, WM_SETTEXT, 0, (LPARAM)text);
}

static void OpenPage(HWND page)
{
    SetWindowTextA(page, SetupTitle);
    CenterOnScreen(page);
}

// Only a command whose notification code is 0 ends a page: the whole wParam
// is compared, not its low word.
static INT_PTR EndOnCommand(HWND page, WPARAM command, const WPARAM *ends, int count)
{
    for (int i = 0; i < count; i++)
        if (command == ends[i]) {
            EndDialog(page, command);
            return TRUE;
        }
    return FALSE;
}

INT_PTR CALLBACK WelcomePage(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    static const WPARAM ends[] = { IDOK, IDCANCEL };

    switch (message) {
    case WM_INITDIALOG:
        OpenPage(page);
        return TRUE;
    case WM_COMMAND:
        return EndOnCommand(page, wParam, ends, ARRAY_LENGTH(ends));
    }
    return FALSE;
}

INT_PTR CALLBACK AgreementPage(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    static const WPARAM ends[] = { IDOK, IDCANCEL, IDC_BACK };

    switch (message) {
    case WM_INITDIALOG:
        OpenPage(page);
        SendDlgItemMessageA(page, IDC_AGREEMENT_TEXT, EM_LIMITTEXT, SetupState.AgreementSize, 0);
        // Locked anew at every opening and left locked: the block lives until the run ends.
        return SendDlgItemMessageA(page, IDC_AGREEMENT_TEXT, WM_SETTEXT, 0,
                                   (LPARAM)GlobalLock(SetupState.AgreementText));
    case WM_COMMAND:
        return EndOnCommand(page, wParam, ends, ARRAY_LENGTH(ends));
    }
    return FALSE;
}

INT_PTR CALLBACK FinishPage(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    static const WPARAM ends[] = { IDOK };

    switch (message) {
    case WM_INITDIALOG:
        OpenPage(page);
        return TRUE;
    case WM_COMMAND:
        return EndOnCommand(page, wParam, ends, ARRAY_LENGTH(ends));
    }
    return FALSE;
}

INT_PTR CALLBACK ProgressPanel(HWND panel, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    CenterOnScreen(panel);
    return TRUE;
}
