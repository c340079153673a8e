// Shared by the install-folder and file-copy tests: the expected message
// texts, scratch folders on C:, folders deeper than MAX_PATH, the setup
// program's own path redirected to a scratch setup folder, and walking a
// Setup.exe run to its install-folder page.
#ifndef TESTS_FOLDER_SUPPORT_H
#define TESTS_FOLDER_SUPPORT_H

#include <windows.h>
#include <string>
#include "fault.h"
#include "gui.h"
#include "messages.h"

// A fresh empty folder C:\bc-<name>; short, so tables of typed paths stay
// readable. RemoveScratchOnC first leaves it, if it is the current folder.
std::string ScratchOnC(const std::string &name);
void RemoveScratchOnC(const std::string &path);

// Folders and files whose full path may be longer than MAX_PATH, which the
// ANSI calls of the tests cannot reach.
bool CreateDeepFolder(const std::string &path);
// A folder of exactly that length below base, made of long names.
std::string MakeDeepFolder(const std::string &base, size_t length);
bool DeepFileExists(const std::string &path);
std::string ReadDeepBytes(const std::string &path);
void DeleteDeepTree(const std::string &path);

// While it lives, GetModuleFileNameA reports this test program as
// <folder>\Setup.exe, so that the program's routines take that folder for
// the setup folder.
struct SetupFolderSwap {
    explicit SetupFolderSwap(const std::string &folder);
    ~SetupFolderSwap();
    ImportSwap Swap;
};

// The seven product files, in copy order, and a setup folder holding them.
extern const char *const ShippedFiles[7];
std::string StageMedia(const std::string &folder);

// The left mouse button pressed and released over the middle of a control,
// as a user clicks it (a disabled control gets no click).
void MouseClick(HWND control);
// Waits until a control of the run has the keyboard focus.
bool WaitForFocus(const SetupRun &run, HWND control, DWORD timeout = 3000);
// The Start Menu shortcut of the product in a CSIDL folder.
std::string ShortcutIn(int csidl);

// GUI tests with a scratch folder on C: and a staged setup folder of their
// own, both removed afterwards with everything the runs installed.
class FolderGuiTest : public GuiTest {
protected:
    std::string Scratch, Setup;
    void SetUp() override;
    void TearDown() override;
    std::string Stage(const std::string &name);
};

#endif
