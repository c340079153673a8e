#!/bin/sh
# Fails when an executable imports a function outside this allow-list: only
# functions that both Windows 95 and Windows NT 3.5 export may be imported,
# since either loader refuses to start a program with an import it cannot
# resolve, before the program's own version check can run. Anything newer is
# looked up at run time (GetProcAddress) instead. Wine exports every function
# whatever version it reports, so only this list catches a newer import.
#
# Every entry below is in the Win32 API as Windows NT 3.1 shipped it and is
# listed "Windows NT: Yes, Win95: Yes" in the Win32 Programmer's Reference
# (Win32 SDK, 1995) and "Windows NT: Requires version 3.1 or later. Windows:
# Requires Windows 95 or later." in the MSDN Library QuickInfo (1998), unless
# a comment says otherwise.
set -u
exe=$1

allowed=$(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' <<'LIST'
ADVAPI32.dll RegCloseKey
ADVAPI32.dll RegCreateKeyExA
ADVAPI32.dll RegDeleteKeyA
ADVAPI32.dll RegEnumKeyExA
ADVAPI32.dll RegOpenKeyExA
ADVAPI32.dll RegQueryInfoKeyA
ADVAPI32.dll RegQueryValueExA
ADVAPI32.dll RegSetValueExA

GDI32.dll CreateFontIndirectA
GDI32.dll CreateSolidBrush
GDI32.dll DeleteObject
GDI32.dll PatBlt
GDI32.dll SelectObject
GDI32.dll SetBkMode
GDI32.dll SetMapMode
GDI32.dll SetTextColor
GDI32.dll TextOutA

KERNEL32.dll CloseHandle
KERNEL32.dll CopyFileA
KERNEL32.dll CreateDirectoryA
KERNEL32.dll CreateFileA
KERNEL32.dll CreateMutexA
KERNEL32.dll CreateProcessA
KERNEL32.dll DeleteFileA
KERNEL32.dll DuplicateHandle
KERNEL32.dll ExitProcess
KERNEL32.dll FindClose
KERNEL32.dll FindFirstFileA
KERNEL32.dll FindNextFileA
KERNEL32.dll GetCommandLineA
KERNEL32.dll GetCurrentProcess
KERNEL32.dll GetCurrentProcessId
KERNEL32.dll GetExitCodeProcess
KERNEL32.dll GetFileAttributesA
KERNEL32.dll GetFileSize
KERNEL32.dll GetFileTime
KERNEL32.dll GetFullPathNameA
KERNEL32.dll GetLastError
KERNEL32.dll GetLocalTime
KERNEL32.dll GetModuleFileNameA
KERNEL32.dll GetModuleHandleA
KERNEL32.dll GetPrivateProfileSectionA
KERNEL32.dll GetProcAddress
# New in Windows NT 3.5 (absent from 3.1): MSDN Library QuickInfo, "Windows
# NT: Requires version 3.5 or later. Windows: Requires Windows 95 or later."
KERNEL32.dll GetShortPathNameA
KERNEL32.dll GetSystemDirectoryA
KERNEL32.dll GetTempFileNameA
KERNEL32.dll GetTempPathA
KERNEL32.dll GetTickCount
# New in Windows NT 3.5, as GetShortPathNameA (MSDN Library QuickInfo).
KERNEL32.dll GetVersion
KERNEL32.dll GetVersionExA
KERNEL32.dll GetWindowsDirectoryA
KERNEL32.dll GlobalAlloc
KERNEL32.dll GlobalFree
KERNEL32.dll GlobalLock
KERNEL32.dll GlobalReAlloc
KERNEL32.dll GlobalUnlock
# Win32 Programmer's Reference: "Windows NT: Yes, Win95: Yes, Win32s: Yes",
# with the alternate search strategy (LOAD_WITH_ALTERED_SEARCH_PATH) for the
# dependencies of a DLL loaded by full path.
KERNEL32.dll LoadLibraryExA
KERNEL32.dll MoveFileA
KERNEL32.dll MultiByteToWideChar
KERNEL32.dll ReadFile
KERNEL32.dll RemoveDirectoryA
KERNEL32.dll SetCurrentDirectoryA
KERNEL32.dll SetErrorMode
KERNEL32.dll SetFileAttributesA
KERNEL32.dll SetFilePointer
KERNEL32.dll SetFileTime
KERNEL32.dll Sleep
KERNEL32.dll WaitForSingleObject
KERNEL32.dll WriteFile
KERNEL32.dll WritePrivateProfileSectionA
KERNEL32.dll lstrcmpiA
KERNEL32.dll lstrlenA

# The 32-bit component system, ole32.dll, first shipped with Windows NT 3.5
# and Windows 95 ("32-bit OLE platforms such as Windows NT 3.5 and Windows
# 95", Inside OLE, 2nd edition, 1995). The shell's link object that the setup
# creates through it exists only from the Windows 95 shell on; elsewhere
# CoCreateInstance fails and the shortcut step reports it.
ole32.dll CoCreateInstance
ole32.dll CoInitialize
ole32.dll CoUninitialize

USER32.dll BeginPaint
USER32.dll CharNextA
USER32.dll CharPrevA
USER32.dll CheckRadioButton
USER32.dll CreateDialogParamA
USER32.dll CreateWindowExA
USER32.dll DefWindowProcA
USER32.dll DestroyWindow
USER32.dll DialogBoxParamA
USER32.dll EnableWindow
USER32.dll EndDialog
USER32.dll EndPaint
USER32.dll GetClientRect
USER32.dll GetDesktopWindow
USER32.dll GetDlgItem
USER32.dll GetWindowRect
USER32.dll IsDlgButtonChecked
USER32.dll LoadCursorA
USER32.dll LoadIconA
USER32.dll LoadStringA
USER32.dll MessageBoxA
# Not RegisterClassExA: MSDN Library QuickInfo, "Windows NT: Requires
# version 4.0 or later."
USER32.dll RegisterClassA
USER32.dll SendDlgItemMessageA
USER32.dll SetCursor
USER32.dll SetFocus
USER32.dll SetWindowPos
USER32.dll SetWindowTextA
USER32.dll ShowWindow
USER32.dll UpdateWindow
USER32.dll wsprintfA
USER32.dll wvsprintfA

# Never imported, bound at run time where present: SHGetSpecialFolderLocation,
# SHGetPathFromIDListA, SHGetMalloc and SHChangeNotify (shell32 4.0: Windows
# 95 and NT 4.0, not NT 3.x), SetDefaultDllDirectories (Windows 8, or 7 and
# Vista with a later update), MoveFileExA (Windows NT only: "Windows:
# Unsupported" in the MSDN Library QuickInfo), GetTempPath2A (Windows 11 and
# recent Windows 10), SystemFunction036 (RtlGenRandom, Windows XP), and the
# security calls OpenProcessToken, GetTokenInformation (Windows NT only) and
# SetSecurityDescriptorControl (Windows 2000).
LIST
)

# DLL names compare in lower case, as the loader compares them; function
# names exactly. An import by ordinal alone matches no entry.
allowed=$(printf '%s\n' "$allowed" | awk '{ print tolower($1), $2 }')
imports=$(i686-w64-mingw32-objdump -p "$exe" | awk '
  /^[[:space:]]*DLL Name:/ { dll = tolower($3); next }
  /^[[:space:]]*$/ { dll = "" }
  dll != "" && $1 ~ /^[0-9a-f]+$/ { print dll, (NF == 3 ? $3 : "ordinal-" $2) }')
[ -n "$imports" ] || { echo "FAIL: no imports found in $exe"; exit 1; }

fail=0
count=0
while read -r dll function; do
  count=$((count + 1))
  if ! printf '%s\n' "$allowed" | grep -qxF "$dll $function"; then
    echo "FAIL: $dll $function is not known to be exported by both Windows 95 and Windows NT 3.5"
    fail=1
  fi
done <<EOF_IMPORTS
$imports
EOF_IMPORTS
echo "imports: $count functions checked against the allow-list"
exit $fail
