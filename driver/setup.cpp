// The entry point: backdrop, checks, pages, installation and the end, in that order.
#include "driver.h"
#include "../screens/screens.h"
#include "../install/install.h"
#include "../common/system.h"

// Every start-up failure here is reported with no owner: the backdrop does
// not exist until the last step.
static int ShowBackdrop(void)
{
    SetupState.Instance = GetModuleHandleA(NULL);
    if (!SetupState.Instance)
        return 0;
    SetupState.BackdropBrush = CreateSolidBrush(NAVY);
    if (!RegisterBackdropClass())
        return 0;
    SetupState.StepMessageId = IDS_NO_WINDOW;
    SetupState.BackdropWindow = CreateWindowExA(0, SetupClassName, SetupTitle, WS_POPUP, 0, 0, 640, 480,
                                                NULL, NULL, SetupState.Instance, NULL);
    if (!SetupState.BackdropWindow)
        return 0;
    ShowWindow(SetupState.BackdropWindow, SW_SHOWMAXIMIZED);
    UpdateWindow(SetupState.BackdropWindow);
    return 1;
}

static INT_PTR ShowPage(int page, DLGPROC procedure)
{
    return DialogBoxParamA(SetupState.Instance, MAKEINTRESOURCEA(page), SetupState.BackdropWindow, procedure, 0);
}

static const struct { int Template; DLGPROC Procedure; } Pages[] = {
    { IDD_WELCOME, WelcomePage },
    { IDD_AGREEMENT, AgreementPage },
    { IDD_DIRECTORY, DirectoryPage },
};

// Returns 1 when the last page went forward; Back steps one page back and
// anything else, a cancelled page or one that could not be shown, ends the run.
static int WalkPages(void)
{
    int page = 0;

    while (page < (int)(sizeof Pages / sizeof Pages[0])) {
        INT_PTR result = ShowPage(Pages[page].Template, Pages[page].Procedure);
        if (result == IDOK)
            page++;
        else if (result == IDC_BACK && page > 0)
            page--;
        else
            return 0;
    }
    return 1;
}

static int Install(void)
{
    HWND owner = SetupState.BackdropWindow;

    RemovePreviousInstall(owner);
    SetupState.ProgressWindow = CreateDialogParamA(SetupState.Instance, MAKEINTRESOURCEA(IDD_PROGRESS), owner,
                                                   ProgressPanel, 0);
    SetCursor(LoadCursorA(NULL, (LPCSTR)IDC_WAIT));
    SetStatusText(SetupState.ProgressWindow, IDC_STATUS_COPY, IDS_COPYING);
    if (!CopyProductFiles())
        return 0;
    SetStatusText(SetupState.ProgressWindow, IDC_STATUS_REGISTRY, IDS_UPDATING_REGISTRY);
    // Whichever failed, the registry or the shortcut, the user hears of the registry.
    SetupState.StepMessageId = IDS_REGISTRY_FAILED;
    if (!WriteRegistryEntries() || !CreateStartMenuShortcut(owner))
        return 0;
    DestroyWindow(SetupState.ProgressWindow);
    SetFocus(owner);
    ShowPage(IDD_FINISH, FinishPage);
    return 1;
}

extern "C" void WINAPI RunSetup(void)
{
    char local[LOCAL_REDIRECT_ROOM];
    int loaded = 0, ok;

    HardenDllSearch();
    // Before anything else: with it, Windows may load another DLL in place
    // of any the program names, even by full path.
    if ((SetupState.StepMessageInsert = LocalRedirection(local)) != 0) {
        SetupState.StepMessageId = IDS_LOCAL_REDIRECT;
        ReportFailure(NULL);
        ExitProcess(1);
    }
    SetupState.StepMessageId = IDS_NO_MODULE_HANDLE;
    ok = ShowBackdrop();
    // The version check reports its own refusal.
    if (ok && CheckWindowsVersion()) {
        ok = loaded = LoadAgreementText();
        if (ok && WalkPages())
            ok = Install();
    }
    if (!ok)
        ReportFailure(SetupState.BackdropWindow);
    if (loaded)
        GlobalFree(SetupState.AgreementText);
    DeleteObject(SetupState.BackdropBrush);
    ExitProcess(1);
}
