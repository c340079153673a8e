// Stand-in for the Brindlecast program. The setup installs and launches it
// like the real thing, so it only has to say what it is and what it was given.
//
// When TESSEL_ARGS_FILE is set, the arguments are written to that file and no
// window is shown, so an unattended run can check what the shell passed.

#include <windows.h>
#include <string.h>

static const char *SkipBlanks(const char *p)
{
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

// GetCommandLineA starts with the program path, quoted or not; the arguments
// are whatever follows it.
static const char *ArgumentsOf(const char *cmd)
{
    const char *p = SkipBlanks(cmd);
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t')
            ++p;
    }
    return SkipBlanks(p);
}

static size_t TrimmedLength(const char *s)
{
    size_t n = strlen(s);
    while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\t' ||
                     s[n - 1] == '\r' || s[n - 1] == '\n'))
        --n;
    return n;
}

static int WriteArgs(const char *path, const char *args, size_t len)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    BOOL ok = WriteFile(h, args, (DWORD)len, &written, NULL);
    CloseHandle(h);
    return (ok && written == len) ? 0 : 1;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const char *args = ArgumentsOf(GetCommandLineA());
    size_t len = TrimmedLength(args);

    char target[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("TESSEL_ARGS_FILE", target, sizeof target);
    if (n > 0 && n < sizeof target)
        return WriteArgs(target, args, len);

    char shown[768];
    if (len)
        lstrcpynA(shown, args, (int)(len + 1 < sizeof shown ? len + 1 : sizeof shown));
    else
        lstrcpyA(shown, "(none)");

    char text[1024];
    wsprintfA(text, "Brindlecast 1.26 (sample program Tessel.exe)\n\nCommand line: %s", shown);
    MessageBoxA(NULL, text, "Brindlecast", MB_OK | MB_ICONINFORMATION);
    return 0;
}
