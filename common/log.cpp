// Writes the log: each line goes to the file's end at once, so that a run
// that ends in the middle, or another run writing to the same file, loses
// nothing written before.
#include "log.h"
#include "system.h"
#include <stdarg.h>

// 0 without a log: zero-initialised, it costs the programs no data section.
static HANDLE LogFile;

static int TakeLog(HANDLE file)
{
    CloseLog();
    if (file != INVALID_HANDLE_VALUE)
        LogFile = file;
    return LogFile != 0;
}

int OpenLog(const char *path)
{
    return TakeLog(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL));
}

typedef HANDLE(WINAPI *CreateFileCall)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);

int OpenWideLog(const WCHAR *path)
{
    CreateFileCall create = (CreateFileCall)(void *)BoundFunction(CALL_CREATE_FILE_W);

    return create && TakeLog(create(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, NULL));
}

void LogLine(const char *format, ...)
{
    // The time, the line as wvsprintfA makes it (1024 characters at most),
    // and the line's end.
    char line[20 + LOG_LINE_CHARS + 3];
    SYSTEMTIME now;
    DWORD written;
    va_list insert;
    int length;

    if (!LogFile)
        return;
    GetLocalTime(&now);
    length = wsprintfA(line, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay, now.wHour,
                       now.wMinute, now.wSecond);
    va_start(insert, format);
    length += wvsprintfA(line + length, format, insert);
    va_end(insert);
    // One line per event, whatever the texts inserted hold.
    for (int i = 0; i < length; i++)
        if (line[i] == '\r' || line[i] == '\n')
            line[i] = ' ';
    line[length++] = '\r';
    line[length++] = '\n';
    SetFilePointer(LogFile, 0, NULL, FILE_END);
    WriteFile(LogFile, line, length, &written, NULL);
}

void LogWindowsVersion(const OSVERSIONINFOA *version)
{
    LogLine("Windows %lu.%lu.%lu, platform %lu", version->dwMajorVersion, version->dwMinorVersion,
            version->dwBuildNumber & 0xFFFF, version->dwPlatformId);
}

void CloseLog(void)
{
    if (LogFile)
        CloseHandle(LogFile);
    LogFile = 0;
}
