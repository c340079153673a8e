// Reads the setup's switches: how the run goes, the install folder, the
// shortcut and the log; and lists them when asked or not understood.
#include "driver.h"
#include "../common/command.h"

static const char PassiveSwitch[] = "P";
static const char ShortcutSwitch[] = "SHORTCUT";
static const char FolderSwitch[] = "D";
// In the order of SHORTCUT_ALL_USERS, SHORTCUT_CURRENT_USER, SHORTCUT_NONE.
static const char *const ShortcutValues[] = { "all", "user", "none" };

// 1 + SHORTCUT_* for a value it names, in any case; 0 for anything else.
static BYTE ShortcutOf(const SWITCHTEXT *found)
{
    SWITCHTEXT value = { found->Value, found->ValueLength, 0, 0, 0 };

    for (BYTE i = 0; found->Value && i < ARRAY_LENGTH(ShortcutValues); i++)
        if (SwitchIs(&value, ShortcutValues[i]))
            return i + 1;
    return 0;
}

UINT ReadCommandLine(void)
{
    const char *at = CommandArguments();
    char log[MAX_PATH] = "";
    SWITCHTEXT found;
    int kind;

    // Known first, so that a quiet run shows nothing whatever follows.
    if (SwitchGiven(at, QuietSwitch))
        SetupState.RunMode = RUN_QUIET;
    while ((kind = ReadSwitch(&at, &found)) != SWITCH_END) {
        // The folder is the rest of the line, quotes and blanks included.
        if (found.Name && SwitchIs(&found, FolderSwitch)) {
            TakeRest(&at, &found);
            if (!CopyValue(SetupState.GivenFolder, sizeof SetupState.GivenFolder, &found))
                break;
            continue;
        }
        if (kind == SWITCH_MALFORMED)
            break;
        if (!found.Value && SwitchIs(&found, QuietSwitch))
            continue;
        if (!found.Value && SwitchIs(&found, PassiveSwitch) && SetupState.RunMode != RUN_QUIET) {
            SetupState.RunMode = RUN_PASSIVE;
            continue;
        }
        if (SwitchIs(&found, ShortcutSwitch) && (SetupState.GivenShortcut = ShortcutOf(&found)) != 0)
            continue;
        if (!log[0] && SwitchIs(&found, LogSwitch) && CopyValue(log, sizeof log, &found))
            continue;
        break;   // /? among them
    }
    // The log only for a line understood whole: a path read from a line
    // that is not may be anything.
    if (kind == SWITCH_END && (!log[0] || OpenLog(log)))
        return 0;
    return EXIT_COMMAND_LINE;
}

void ShowSwitches(void)
{
    char text[512];

    if (SetupState.RunMode == RUN_QUIET)
        return;
    LoadStringA(SetupState.Instance, IDS_SWITCHES, text, sizeof text);
    MessageBoxA(NULL, text, SetupTitle, MB_ICONINFORMATION);
}
