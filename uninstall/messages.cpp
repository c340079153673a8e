// The uninstaller's boxes, under its own caption, and the list of what could
// not be removed that the last of them shows.
#include "uninstall.h"

// Returns the button pressed; a quiet run shows nothing and returns 0.
int Say(UINT id, UINT type, const char *insert)
{
    // wsprintfA writes at most 1024 characters: the longest text with the
    // longest folder or a full list fits.
    char format[256], text[1024];

    LoadStringA(UninstallState.Instance, id, format, sizeof format);
    wsprintfA(text, format, insert);
    LogLine("Message %u: %s", id, text);
    if (UninstallState.Quiet)
        return 0;
    return MessageBoxA(NULL, text, UninstallTitle, type);
}

// Adds a line: a path, or a registry root and a key below it.
void NoteRemaining(const char *first, const char *second)
{
    static const char Cut[] = "\n...";
    char *list = UninstallState.Remaining;
    int used = lstrlenA(list);
    int length = 1 + lstrlenA(first) + (second ? 1 + lstrlenA(second) : 0);
    char *end = list + used;

    if (UninstallState.RemainingCut)
        return;
    // Room is always kept for the mark that the list goes on.
    if (used + length + (int)sizeof Cut > REMAINING_ROOM) {
        CopyText(end, Cut + !used);
        UninstallState.RemainingCut = 1;
        return;
    }
    if (used)
        end = CopyText(end, "\n");
    end = CopyText(end, first);
    if (second)
        CopyText(CopyText(end, "\\"), second);
}
