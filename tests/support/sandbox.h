// Scratch folders, files and registry keys for tests, on Wine's real file
// system and registry, and the cleanup of everything the setup writes.
#ifndef TESTS_SANDBOX_H
#define TESTS_SANDBOX_H

#include <windows.h>
#include <string>
#include <vector>
#include <map>

// A fresh empty folder under the temporary folder, named after the test.
std::string MakeScratchDir(const std::string &name);
// A fresh empty folder C:\bc-<name>; short, so tables of typed paths stay
// readable. RemoveScratchOnC first leaves it, if it is the current folder.
std::string ScratchOnC(const std::string &name);
void RemoveScratchOnC(const std::string &path);
// Removes a folder and everything in it, however deep.
void DeleteTree(const std::string &path);

// Folders and files whose full path may be longer than MAX_PATH, which the
// ANSI calls of the tests cannot reach: DeepPath is the wide form of a path
// that the wide calls take whatever its length.
std::wstring DeepPath(const std::string &path);
// A text of the ANSI code page in wide characters, as the platform converts
// it (a double-byte character is one wide character).
std::wstring WideText(const std::string &text);
// A wide text in the ANSI code page as the platform converts it when asked
// for no particular care: a character without a counterpart becomes a
// look-alike ("best fit") or the code page's default character.
std::string AnsiText(const std::wstring &text);
// The long form of a path in wide characters, as the file system names it;
// empty when it has none (a path that does not exist).
std::wstring LongForm(const std::wstring &path);
// A path of a table of cases: each "~" in it stands for the scratch folder.
std::string Expand(const char *text, const std::string &scratch);
// A text in lower or upper case as the platform folds it, for paths that
// Windows compares without regard to case.
std::string Lower(std::string text);
std::string Upper(std::string text);
bool CreateDeepFolder(const std::string &path);
// A folder of exactly that length below base, made of long names.
std::string MakeDeepFolder(const std::string &base, size_t length);
bool DeepFileExists(const std::string &path);
std::string ReadDeepBytes(const std::string &path);
void WriteDeepBytes(const std::string &path, const std::string &bytes);

void WriteBytes(const std::string &path, const std::string &bytes);
// Files whose names only wide characters spell exactly, as a user's program
// on Windows NT may name them.
void WriteWideBytes(const std::wstring &path, const std::string &bytes);
std::string ReadWideBytes(const std::wstring &path);   // empty when missing
// Every file and folder below a folder by its wide path relative to it,
// names kept as the file system holds them: a file with its bytes, a folder
// as "folder".
std::map<std::wstring, std::string> WideTree(const std::wstring &folder);
std::string ReadBytes(const std::string &path);   // empty when missing
// Reads an open file whole and closes it; empty for an invalid handle.
std::string ReadOpenFile(HANDLE file);
bool FileExists(const std::string &path);
bool DirExists(const std::string &path);
// Names of the files in a folder, sorted, without "." and "..".
std::vector<std::string> FilesIn(const std::string &folder);
std::string CurrentDir();

// Registry: a missing value reads as the empty string with type REG_NONE.
void DeleteKeyTree(HKEY root, const std::string &subkey);
bool KeyExists(HKEY root, const std::string &subkey);
void SetRegString(HKEY root, const std::string &subkey, const char *value, const std::string &data);
void SetRegDword(HKEY root, const std::string &subkey, const char *value, DWORD data);
void DeleteRegValue(HKEY root, const std::string &subkey, const char *value);
struct RegValue {
    DWORD Type;
    DWORD Size;
    std::string Data;   // raw bytes, Size of them
    bool Found;
};
RegValue ReadRegValue(HKEY root, const std::string &subkey, const char *value);

// Removes every key, value and shortcut that an installation writes, and
// the per-program Windows version Wine reports to Setup.exe.
void ResetMachine();

#endif
