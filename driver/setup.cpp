// The entry point: backdrop, checks, pages, installation and the end, in that order.
#include "driver.h"
#include "../screens/screens.h"
#include "../install/install.h"
#include "../common/system.h"
#include "../common/onerun.h"
#include "../common/journal.h"

// Every start-up failure here is reported with no owner: the backdrop does
// not exist until the last step.
static UINT ShowBackdrop(void)
{
    UINT failure;

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

// The changes, each written down in the journal before it is made. The
// removal of an earlier installation may ask and tell before the progress
// panel shows.
static UINT Change(const char *setupFolder, HWND owner, HWND *progressPanel)
{
    HWND progress = NULL;
    UINT failure;

    RemovePreviousInstall(owner);
    if (SetupState.RunMode != RUN_QUIET) {
        *progressPanel = progress
            = CreateDialogParamA(SetupState.Instance, MAKEINTRESOURCEA(IDD_PROGRESS), owner, ProgressPanel, 0);
        SetCursor(LoadCursorA(NULL, (LPCSTR)IDC_WAIT));
        SetStatusText(progress, IDC_STATUS_COPY, IDS_COPYING);
    }
    if ((failure = CopyProductFiles(setupFolder)) != 0)
        return failure;
    if (progress)
        SetStatusText(progress, IDC_STATUS_REGISTRY, IDS_UPDATING_REGISTRY);
    if ((failure = WriteRegistryEntries()) != 0 || (failure = CreateStartMenuShortcut(owner)) != 0)
        return failure;
    return 0;
}

// Without pages the folder and shortcut are the proposed ones, and the
// progress panel shows only in a passive run; the finish page only with
// pages. A failure puts everything back before it is told.
static UINT Install(const char *setupFolder)
{
    HWND owner = SetupState.BackdropWindow, progress = NULL;
    UINT failure;

    LogLine("Install folder: %s", SetupState.InstallPath);
    // A journal left in the chosen folder by a run cut off after the
    // registry forgot it.
    RecoverJournal(SetupState.InstallPath, NULL);
    switch (BeginJournal(SetupState.InstallPath, SetupState.FolderMade, SetupState.PlatformId, SetupState.MajorVersion)) {
    case JOURNAL_FILE_FAILED:
        return IDS_NO_ACCESS_DIR;
    case JOURNAL_REGISTRY_FAILED:
        return IDS_REGISTRY_FAILED;
    }
    if ((failure = Change(setupFolder, owner, &progress)) != 0) {
        UndoJournal();
        return failure;
    }
    CommitInstallation(owner);
    if (progress)
        DestroyWindow(progress);
    if (SetupState.RunMode == RUN_WITH_PAGES) {
        SetFocus(owner);
        ShowPage(IDD_FINISH, FinishPage);
    }
    return 0;
}

// The whole run after the DLL search is safe; returns 0 when it ended as the
// user chose, RUN_CANCELLED when the user left a page, or the message of the
// step that failed.
#define RUN_CANCELLED 1
static UINT Run(void)
{
    char setupFolder[SETUP_FOLDER_ROOM];
    UINT failure = 0;

    // Before anything shows: a second run changes nothing, and does not
    // cover the first one's pages with its backdrop.
    if (!BeginOnlyRun())
        return IDS_ALREADY_RUNNING;
    if (SetupState.RunMode != RUN_QUIET)
        failure = ShowBackdrop();
    if (!failure)
        failure = CheckWindowsVersion();
    // A run cut off by a power cut or a killed process is put back first;
    // nothing else changes while a file it changed is held open.
    if (!failure && RecoverJournal(NULL, NULL) == RECOVERY_UNSETTLED) {
        SetupState.StepMessageInsert = "";
        failure = IDS_PRODUCT_RUNNING;
    }
    // The Windows 95 family has no Start Menu for all users.
    if (!failure && SetupState.GivenShortcut == 1 + SHORTCUT_ALL_USERS
        && SetupState.PlatformId != VER_PLATFORM_WIN32_NT)
        failure = EXIT_COMMAND_LINE;
    if (!failure)
        failure = FindSetupFolder(setupFolder);
    if (!failure) {
        LogLine("Setup folder: %s", setupFolder);
        failure = LoadAgreementText(setupFolder);
    }
    if (!failure) {
        if (SetupState.RunMode != RUN_WITH_PAGES)
            failure = TakeProposedChoices();
        else if (!WalkPages())
            failure = RUN_CANCELLED;
    }
    // Nothing of an earlier installation is removed while its program runs.
    if (!failure && !ProductFilesFree(SetupState.BackdropWindow))
        failure = SetupState.RunMode == RUN_WITH_PAGES ? RUN_CANCELLED : IDS_PRODUCT_RUNNING;
    if (!failure)
        failure = Install(setupFolder);
    // A folder this run made for nothing goes; one that holds anything stays.
    if (failure && SetupState.FolderMade)
        RemoveMadeFolder(SetupState.InstallPath);
    return failure;
}

// The one place where the run's end is told: the failure's message, in a box
// owned by the backdrop once it exists (none in a run without pages), or the
// list of switches; and always in the log.
static void ReportEnd(UINT failure)
{
    if (failure == EXIT_COMMAND_LINE) {
        LogLine("The command line was not understood: nothing was installed.");
        ShowSwitches();
    } else if (failure == RUN_CANCELLED) {
        LogLine("Cancelled: nothing was installed.");
    } else if (failure) {
        ReportFailure(SetupState.BackdropWindow, failure);
    } else {
        LogLine("Installed.");
    }
}

extern "C" void WINAPI RunSetup(void)
{
    char local[LOCAL_REDIRECT_ROOM];
    UINT failure, code;

    HardenDllSearch();
    SetupState.Instance = GetModuleHandleA(NULL);
    if ((failure = ReadCommandLine()) == 0) {
        LogLine("%s: %s", SetupTitle, GetCommandLineA());
        // Before anything else: with it, Windows may load another DLL in
        // place of any the program names, even by full path.
        if ((SetupState.StepMessageInsert = LocalRedirection(local)) != 0)
            failure = IDS_LOCAL_REDIRECT;
        else
            failure = Run();
    }
    ReportEnd(failure);
    if (SetupState.AgreementText)
        GlobalFree(SetupState.AgreementText);
    DeleteObject(SetupState.BackdropBrush);
    // With its pages the setup always ends with 1; a deployment tool reads
    // 0 for done, 2 for its command line, or the message number.
    code = SetupState.RunMode == RUN_WITH_PAGES && failure != EXIT_COMMAND_LINE ? 1 : failure;
    LogLine("Exit code %u", code);
    CloseLog();
    ExitProcess(code);
}
