// Text and path helpers that need no C runtime.
#include "text.h"

char *CopyText(char *to, const char *from)
{
    while ((*to = *from++) != 0)
        to++;
    return to;
}

char *AppendText(char *to, const char *from)
{
    return CopyText(to + lstrlenA(to), from);
}

char *LastBackslash(char *text)
{
    char *found = 0;
    for (; *text; text++)
        if (*text == '\\')
            found = text;
    return found;
}

char *JoinPath(char *to, const char *folder, const char *name)
{
    CopyText(CopyText(CopyText(to, folder), "\\"), name);
    return to;
}
