// The entry point: backdrop, checks, pages, installation and the end, in that order.
#include "driver.h"
#include "../screens/screens.h"
#include "../install/install.h"
#include "../common/system.h"

// Every start-up failure here is reported with no owner: the backdrop does
// not exist until the last step.
static UINT ShowBackdrop(void)
{
    UINT failure;

    SetupState.Instance = GetModuleHandleA(NULL);
    if (!SetupState.Instance)
        return IDS_NO_MODULE_HANDLE;
    SetupState.BackdropBrush = CreateSolidBrush(NAVY);
    if ((failure = RegisterBackdropClass()) != 0)
        return failure;
    SetupState.BackdropWindow = CreateWindowExA(0, SetupClassName, SetupTitle, WS_POPUP, 0, 0, 640, 480,
                                                NULL, NULL, SetupState.Instance, NULL);
    if (!SetupState.BackdropWindow)
        return IDS_NO_WINDOW;
    ShowWindow(SetupState.BackdropWindow, SW_SHOWMAXIMIZED);
    UpdateWindow(SetupState.BackdropWindow);
    return 0;
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

static UINT Install(const char *setupFolder)
{
    HWND owner = SetupState.BackdropWindow, progress;
    UINT failure;

    RemovePreviousInstall(owner);
    progress = CreateDialogParamA(SetupState.Instance, MAKEINTRESOURCEA(IDD_PROGRESS), owner, ProgressPanel, 0);
    SetCursor(LoadCursorA(NULL, (LPCSTR)IDC_WAIT));
    SetStatusText(progress, IDC_STATUS_COPY, IDS_COPYING);
    if ((failure = CopyProductFiles(setupFolder)) != 0)
        return failure;
    SetStatusText(progress, IDC_STATUS_REGISTRY, IDS_UPDATING_REGISTRY);
    if ((failure = WriteRegistryEntries()) != 0 || (failure = CreateStartMenuShortcut(owner)) != 0)
        return failure;
    DestroyWindow(progress);
    SetFocus(owner);
    ShowPage(IDD_FINISH, FinishPage);
    return 0;
}

// The whole run after the DLL search is safe; returns 0 when it ended as the
// user chose, or the message of the step that failed.
static UINT Run(void)
{
    char setupFolder[SETUP_FOLDER_ROOM];
    UINT failure = ShowBackdrop();

    if (!failure)
        failure = CheckWindowsVersion();
    if (!failure)
        failure = FindSetupFolder(setupFolder);
    if (!failure)
        failure = LoadAgreementText(setupFolder);
    if (!failure && WalkPages())
        failure = Install(setupFolder);
    return failure;
}

extern "C" void WINAPI RunSetup(void)
{
    char local[LOCAL_REDIRECT_ROOM];
    UINT failure;

    HardenDllSearch();
    // Before anything else: with it, Windows may load another DLL in place
    // of any the program names, even by full path.
    if ((SetupState.StepMessageInsert = LocalRedirection(local)) != 0)
        failure = IDS_LOCAL_REDIRECT;
    else
        failure = Run();
    // The one place a failure is shown: owned by the backdrop once it exists.
    if (failure)
        ReportFailure(SetupState.BackdropWindow, failure);
    if (SetupState.AgreementText)
        GlobalFree(SetupState.AgreementText);
    DeleteObject(SetupState.BackdropBrush);
    ExitProcess(1);
}
