// Reads the setup's switches: how the run goes, the install folder, the
// shortcut and the log; and lists them when asked or not understood.
#include "driver.h"
#include "../common/command.h"
#include "../common/system.h"
#include "../common/widefiles.h"

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

typedef LPWSTR(WINAPI *CommandLineCall)(void);

// A wide character's bytes in the code page (at most 4): its own when it
// converts and converts back unchanged; else '?', which is no character a
// switch is read by, where a look-alike could be a backslash or a quote.
static int AnsiCharacter(WCHAR c, char *to)
{
    WCHAR back;
    int length = WideCharToMultiByte(CP_ACP, 0, &c, 1, to, 4, NULL, NULL);

    if (length == 0 || MultiByteToWideChar(CP_ACP, 0, to, length, &back, 1) != 1 || back != c) {
        *to = '?';
        return 1;
    }
    return length;
}

// On Windows NT a command line with characters the code page lacks is read
// from its wide form, each character converted by itself, so that a
// switch's value can be found in the wide line at the same characters.
// Returns 0 for a line that converts exactly (the ANSI line is then read)
// or does not fit.
#define WIDE_LINE_CHARS 4096
static char AnsiLine[4 * WIDE_LINE_CHARS];
static const WCHAR *WideLine(void)
{
    CommandLineCall wideLine = (CommandLineCall)(void *)BoundFunction(CALL_GET_COMMAND_LINE_W);
    const WCHAR *line;
    int length = 0, exact = 1;

    if ((GetVersion() & 0x80000000) || !wideLine || !(line = wideLine()))
        return 0;
    for (int i = 0; line[i]; i++) {
        if (i == WIDE_LINE_CHARS - 1)
            return 0;
        int bytes = AnsiCharacter(line[i], AnsiLine + length);
        exact = exact && (bytes != 1 || AnsiLine[length] != '?' || line[i] == L'?');
        length += bytes;
    }
    AnsiLine[length] = 0;
    return exact ? 0 : line;
}

// A value's wide text: the characters of the wide line that the value's
// bytes of the ANSI line came from, in `room` characters; 0 when it does
// not fit or is empty.
static int WideValue(WCHAR *to, int room, const WCHAR *line, const SWITCHTEXT *found)
{
    char bytes[4];
    int offset = (int)(found->Value - AnsiLine), length = found->ValueLength, i = 0;

    while (offset > 0)
        offset -= AnsiCharacter(*line++, bytes);
    while (length > 0 && i < room - 1) {
        length -= AnsiCharacter(*line, bytes);
        to[i++] = *line++;
    }
    to[i] = 0;
    return i > 0 && length <= 0;
}

UINT ReadCommandLine(void)
{
    const WCHAR *wide = WideLine();
    const char *at = wide ? ArgumentsOf(AnsiLine) : CommandArguments();
    char log[MAX_PATH] = "";
    WCHAR wideLog[MAX_PATH];
    SWITCHTEXT found;
    int kind;

    // Known first, so that a quiet run shows nothing whatever follows.
    if (SwitchGiven(at, QuietSwitch))
        SetupState.RunMode = RUN_QUIET;
    while ((kind = ReadSwitch(&at, &found)) != SWITCH_END) {
        // The folder is the rest of the line, quotes and blanks included.
        if (found.Name && SwitchIs(&found, FolderSwitch)) {
            TakeRest(&at, &found);
            if (!CopyValue(SetupState.GivenFolder, sizeof SetupState.GivenFolder, &found)
                || (wide && !WideValue(SetupState.GivenWideFolder, INSTALL_DIR_CHARS, wide, &found)))
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
        if (!log[0] && SwitchIs(&found, LogSwitch) && CopyValue(log, sizeof log, &found)
            && (!wide || WideValue(wideLog, MAX_PATH, wide, &found)))
            continue;
        break;   // /? among them
    }
    // The log only for a line understood whole: a path read from a line
    // that is not may be anything.
    if (kind == SWITCH_END && (!log[0] || (wide ? OpenWideLog(wideLog) : OpenLog(log))))
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
