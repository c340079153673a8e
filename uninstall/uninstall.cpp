// The entry point: the removal as the user starts it, in its order, and the
// run of the temporary copy that finishes it.
#include "uninstall.h"

UNINSTALLSTATE UninstallState;

// What follows a switch at the start of the arguments, in any case; 0 when
// the arguments do not start with it.
static const char *AfterSwitch(const char *arguments, const char *wanted)
{
    while (*wanted)
        if ((*arguments++ | 0x20) != (*wanted++ | 0x20))
            return 0;
    return arguments;
}

// The switches of a removal that a user or a tool starts: /S, /LOG=file and
// /?. Returns 0, or EXIT_COMMAND_LINE once the list of switches was shown
// (in a quiet run, not shown).
static UINT ReadSwitches(const char *arguments)
{
    char log[MAX_PATH] = "";
    SWITCHTEXT found;
    int kind;

    UninstallState.Quiet = (BYTE)SwitchGiven(arguments, QuietSwitch);
    while ((kind = ReadSwitch(&arguments, &found)) == SWITCH_READ) {
        if (!found.Value && SwitchIs(&found, QuietSwitch))
            continue;
        if (!log[0] && SwitchIs(&found, LogSwitch) && CopyValue(log, sizeof log, &found))
            continue;
        break;
    }
    // The log only for a line understood whole: a path read from a line
    // that is not may be anything.
    if (kind == SWITCH_END && (!log[0] || OpenLog(log)))
        return 0;
    Say(IDS_UNINSTALL_SWITCHES, MB_ICONINFORMATION, NULL);
    return EXIT_COMMAND_LINE;
}

static UINT NotRemoved(void)
{
    // The copy is not needed: this program stays to be run again.
    DropTempCopy();
    Say(IDS_NOT_REMOVED, MB_ICONERROR, UninstallState.Remaining);
    return 1;
}

UINT Uninstall(void)
{
    if (!LocateInstallation()) {
        Say(UninstallState.MessageId, MB_ICONERROR, UninstallState.Folder);
        // A folder it cannot work in, unlike one that holds no installation,
        // is told apart by a quiet run's caller too.
        return UninstallState.MessageId == IDS_NO_ANSI_FORM ? IDS_NO_ANSI_FORM : 1;
    }
    // An installation cut off by a power cut or a killed process is put back
    // first; what is then installed is what goes. A copy of this program
    // that the cut-off run made is all there is of it here, and goes too.
    UINT recovery = RecoverJournal(UninstallState.Folder, UninstallState.Program);
    if (recovery == RECOVERY_UNSETTLED) {
        NoteRemaining(UninstallState.Folder, JournalFile);
        return NotRemoved();
    }
    if (!IsInstalled() && recovery != RECOVERY_RUNNING_LEFT) {
        Say(IDS_NOT_INSTALLED, MB_ICONINFORMATION, UninstallState.Folder);
        return 0;
    }
    if (!UninstallState.Quiet && Say(IDS_QUESTION, MB_YESNO | MB_ICONQUESTION, NULL) != IDYES)
        return 1;
    if (!ProductFilesFree())
        return UninstallState.Quiet ? IDS_PRODUCT_RUNNING : 1;
    // Made before anything goes, so that nothing goes when it cannot be made.
    if (!MakeTempCopy()) {
        Say(IDS_NO_TEMP_COPY, MB_ICONERROR, NULL);
        return 1;
    }
    RemoveShortcuts();
    RemoveProductFiles();
    RemoveRegistryEntries();
    if (UninstallState.Remaining[0])
        return NotRemoved();
    // Last, so that whatever stayed can still be removed by running the
    // uninstaller again, from the list of installed programs too.
    RemoveInstallationRecord();
    if (UninstallState.Remaining[0])
        return NotRemoved();
    // The closing box before the copy starts: the copy waits for this
    // process only a bounded time, so it ends right after starting it.
    if (UninstallState.UserFilesLeft)
        Say(IDS_REMOVED_FOLDER_KEPT, MB_ICONINFORMATION, UninstallState.Folder);
    else
        Say(IDS_REMOVED, MB_ICONINFORMATION, NULL);
    HandOverToCopy();
    return 0;
}

// The removal, or the copy's finishing run, after the checks that come
// before anything else; returns the exit code.
static UINT Run(const char *finish)
{
    OSVERSIONINFOA version;
    char local[LOCAL_REDIRECT_ROOM];
    const char *redirection;

    // With it, Windows may load another DLL in place of any the program
    // names, even by full path.
    if ((redirection = LocalRedirection(local)) != 0) {
        Say(IDS_LOCAL_BESIDE, MB_ICONERROR, redirection);
        return 1;
    }
    if (ReadWindowsVersion(&version)) {
        UninstallState.PlatformId = version.dwPlatformId;
        UninstallState.MajorVersion = version.dwMajorVersion;
        LogWindowsVersion(&version);
    }
    // The copy holds the mark its uninstaller passed on.
    if (finish)
        return FinishRemoval(finish);
    if (!BeginOnlyRun()) {
        Say(IDS_ALREADY_RUNNING, MB_ICONERROR, NULL);
        return IDS_ALREADY_RUNNING;
    }
    return Uninstall();
}

extern "C" void WINAPI RunUninstall(void)
{
    const char *arguments, *finish;
    UINT code = 0;

    HardenDllSearch();
    UninstallState.Instance = GetModuleHandleA(NULL);
    arguments = CommandArguments();
    // The copy that finishes the removal shows no box and takes no other
    // switch.
    if ((finish = AfterSwitch(arguments, FinishSwitch)) != 0)
        UninstallState.Quiet = 1;
    else
        code = ReadSwitches(arguments);
    if (code == 0) {
        LogLine("%s: %s", UninstallTitle, GetCommandLineA());
        code = Run(finish);
    }
    LogLine("Exit code %u", code);
    ExitProcess(code);
}
