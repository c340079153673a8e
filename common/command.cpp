// Reads switches from the command line and builds and reads quoted commands.
// The characters looked for (quotes, blanks, "=", "/") are below 0x40, so no
// trail byte of a double-byte character is taken for one of them.
#include "command.h"
#include "text.h"

static int IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

static const char *SkipBlanks(const char *at)
{
    while (IsBlank(*at))
        at++;
    return at;
}

const char *CommandArguments(void)
{
    return ArgumentsOf(GetCommandLineA());
}

const char *ArgumentsOf(const char *line)
{
    if (*line == '"') {
        for (line++; *line && *line != '"'; line++)
            ;
        if (*line)
            line++;
    } else {
        while (*line && !IsBlank(*line))
            line++;
    }
    return SkipBlanks(line);
}

int ReadSwitch(const char **at, SWITCHTEXT *found)
{
    const char *text = SkipBlanks(*at);

    found->Name = found->Value = found->Rest = 0;
    found->NameLength = found->ValueLength = 0;
    if (!*text)
        return SWITCH_END;
    if (*text != '/')
        return SWITCH_MALFORMED;
    found->Name = ++text;
    while (*text && !IsBlank(*text) && *text != '=' && *text != '"')
        text++;
    found->NameLength = (int)(text - found->Name);
    if (!found->NameLength || *text == '"')
        return SWITCH_MALFORMED;
    if (*text == '=') {
        found->Rest = ++text;
        if (*text == '"') {
            found->Value = ++text;
            while (*text && *text != '"')
                text++;
            if (!*text)
                return SWITCH_MALFORMED;
            found->ValueLength = (int)(text++ - found->Value);
        } else {
            found->Value = text;
            while (*text && !IsBlank(*text) && *text != '"')
                text++;
            found->ValueLength = (int)(text - found->Value);
        }
        // A quote inside a value, or text glued to a closing quote.
        if (*text && !IsBlank(*text))
            return SWITCH_MALFORMED;
    }
    *at = text;
    return SWITCH_READ;
}

int SwitchGiven(const char *arguments, const char *name)
{
    SWITCHTEXT found;

    while (ReadSwitch(&arguments, &found) == SWITCH_READ)
        if (!found.Value && SwitchIs(&found, name))
            return 1;
    return 0;
}

int SwitchIs(const SWITCHTEXT *found, const char *name)
{
    int i;

    for (i = 0; i < found->NameLength && name[i]; i++)
        if ((found->Name[i] | 0x20) != (name[i] | 0x20))
            return 0;
    return i == found->NameLength && !name[i];
}

void TakeRest(const char **at, SWITCHTEXT *found)
{
    const char *end;

    if (!found->Rest)
        return;
    *at = found->Rest + lstrlenA(found->Rest);
    found->Value = found->Rest;
    for (end = *at; end > found->Value && IsBlank(end[-1]); end--)
        ;
    // One quoted text: the quotes go. Quotes anywhere else are the folder's.
    if (end - found->Value >= 2 && *found->Value == '"' && end[-1] == '"') {
        const char *quote = found->Value + 1;
        while (*quote != '"')
            quote++;
        if (quote == end - 1) {
            found->Value++;
            end--;
        }
    }
    found->ValueLength = (int)(end - found->Value);
}

int CopyValue(char *to, int room, const SWITCHTEXT *found)
{
    if (!found->Value || found->ValueLength == 0 || found->ValueLength >= room)
        return 0;
    for (int i = 0; i < found->ValueLength; i++)
        to[i] = found->Value[i];
    to[found->ValueLength] = 0;
    return 1;
}

char *QuotedCommand(char *to, const char *program, const char *tail)
{
    CopyText(AppendText(CopyText(CopyText(to, "\""), program), "\""), tail);
    return to;
}

const char *CommandProgram(char *command)
{
    char *end;

    if (*command != '"')
        return command;
    for (end = ++command; *end && *end != '"'; end++)
        ;
    *end = 0;
    return command;
}
