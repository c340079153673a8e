// The entry point: the removal as the user starts it, in its order, and the
// run of the temporary copy that finishes it.
#include "uninstall.h"

UNINSTALLSTATE UninstallState;

// The command line after the program's own name, quoted or not.
static const char *Arguments(void)
{
    const char *line = GetCommandLineA();

    if (*line == '"') {
        for (line++; *line && *line != '"'; line++)
            ;
        if (*line)
            line++;
    } else {
        while (*line && *line != ' ' && *line != '\t')
            line++;
    }
    while (*line == ' ' || *line == '\t')
        line++;
    return line;
}

// What follows a switch at the start of the arguments, in any case; 0 when
// the arguments do not start with it.
static const char *AfterSwitch(const char *arguments, const char *wanted)
{
    while (*wanted)
        if ((*arguments++ | 0x20) != (*wanted++ | 0x20))
            return 0;
    return arguments;
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
        return 1;
    }
    if (!IsInstalled()) {
        Say(IDS_NOT_INSTALLED, MB_ICONINFORMATION, UninstallState.Folder);
        return 0;
    }
    if (!UninstallState.Quiet && Say(IDS_QUESTION, MB_YESNO | MB_ICONQUESTION, NULL) != IDYES)
        return 1;
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

extern "C" void WINAPI RunUninstall(void)
{
    OSVERSIONINFOA version;
    char local[LOCAL_REDIRECT_ROOM];
    const char *arguments, *finish, *rest, *redirection;

    HardenDllSearch();
    UninstallState.Instance = GetModuleHandleA(NULL);
    arguments = Arguments();
    finish = AfterSwitch(arguments, FinishSwitch);
    rest = AfterSwitch(arguments, QuietSwitch);
    // The copy that finishes the removal shows no box either.
    UninstallState.Quiet = finish || (rest && (*rest == 0 || *rest == ' ' || *rest == '\t'));
    // Before anything else: with it, Windows may load another DLL in place
    // of any the program names, even by full path.
    if ((redirection = LocalRedirection(local)) != 0) {
        Say(IDS_LOCAL_BESIDE, MB_ICONERROR, redirection);
        ExitProcess(1);
    }
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version)) {
        UninstallState.PlatformId = version.dwPlatformId;
        UninstallState.MajorVersion = version.dwMajorVersion;
    }
    if (finish)
        ExitProcess(FinishRemoval(finish));
    ExitProcess(Uninstall());
}
