// Text and path helpers that need no C runtime, stepping by characters of the ANSI code page.
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
    for (; *text; text = CharNextA(text))
        if (*text == '\\')
            found = text;
    return found;
}

char *FolderOf(char *to, const char *path, FolderForm form)
{
    char *cut;

    CopyText(to, path);
    if (!(cut = LastBackslash(to)))
        return 0;
    if (form == FOLDER_AND_BACKSLASH || cut == to + 2)
        cut++;
    *cut = 0;
    return cut;
}

void DropTrailingBackslash(char *text)
{
    // The first byte of the last character; the text itself when it is empty.
    char *last = CharPrevA(text, text + lstrlenA(text));
    if (*last == '\\')
        *last = 0;
}

static int IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

void TrimBlanks(char *text)
{
    char *first = text, *end, *at;

    while (IsBlank(*first))
        first++;
    // The end of the last character that is not a blank.
    end = first;
    for (at = first; *at;) {
        char *next = CharNextA(at);
        if (!IsBlank(*at))
            end = next;
        at = next;
    }
    *end = 0;
    CopyText(text, first);
}

char *JoinPath(char *to, const char *folder, const char *name)
{
    CopyText(CopyText(CopyText(to, folder), "\\"), name);
    return to;
}
