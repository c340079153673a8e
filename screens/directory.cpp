// The install-folder page: the folder to install into and where the shortcut goes.
#include "screens.h"
#include "../install/install.h"

int CheckedRadioIndex(HWND window, int firstId, int count)
{
    for (int position = 0; position < count; position++)
        if (IsDlgButtonChecked(window, firstId + position) == BST_CHECKED)
            return position;
    return 0;
}

static BOOL OpenDirectoryPage(HWND page)
{
    SetWindowTextA(page, SetupTitle);
    CenterOnScreen(page);
    ProposeInstallDir();
    SendDlgItemMessageA(page, IDC_INSTALL_DIR, WM_SETTEXT, 0, (LPARAM)SetupState.InstallPath);
    SendDlgItemMessageA(page, IDC_INSTALL_DIR, EM_LIMITTEXT, INSTALL_DIR_CHARS, 0);
    // Shortcuts for all users exist only on the NT family.
    if (SetupState.PlatformId != VER_PLATFORM_WIN32_NT)
        EnableWindow(GetDlgItem(page, IDC_SHORTCUT_ALL), FALSE);
    return CheckRadioButton(page, IDC_SHORTCUT_ALL, IDC_SHORTCUT_NONE, IDC_SHORTCUT_ALL + ProposedShortcut());
}

// A folder that is refused is said in a box over the page, which stays open
// for another try.
static INT_PTR AcceptFolder(HWND page)
{
    UINT refusal;

    SendDlgItemMessageA(page, IDC_INSTALL_DIR, WM_GETTEXT, INSTALL_DIR_CHARS, (LPARAM)SetupState.InstallPath);
    TrimBlanks(SetupState.InstallPath);
    if ((refusal = PrepareInstallDir()) != 0) {
        ReportFailure(page, refusal);
        return FALSE;
    }
    SetupState.ShortcutChoice =
        (BYTE)CheckedRadioIndex(page, IDC_SHORTCUT_ALL, IDC_SHORTCUT_NONE - IDC_SHORTCUT_ALL + 1);
    EndDialog(page, IDOK);
    return TRUE;
}

INT_PTR CALLBACK DirectoryPage(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return OpenDirectoryPage(page);
    case WM_COMMAND:
        switch (wParam) {
        case IDOK:
            return AcceptFolder(page);
        case IDCANCEL:
        case IDC_BACK:
            EndDialog(page, wParam);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
