// The log a /LOG= switch asks for: plain text in the ANSI code page,
// appended to, a line per event with its local time.
#ifndef COMMON_LOG_H
#define COMMON_LOG_H

#include <windows.h>

// Opens the file, creating it when it is new; 0 when it cannot be written.
int OpenLog(const char *path);
// The same by a wide path, on Windows NT, whose name the code page may lack.
int OpenWideLog(const WCHAR *path);
// A line of at most LOG_LINE_CHARS characters; nothing when no log is open.
void LogLine(const char *format, ...);
void CloseLog(void);
// The line both programs start with: the Windows version as it answered.
void LogWindowsVersion(const OSVERSIONINFOA *version);

#define LOG_LINE_CHARS 1024

#endif
