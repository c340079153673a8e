// The GUI driver: starts Setup.exe from a staged setup folder under Wine,
// finds its pages and message boxes, reads them, presses buttons and keys,
// and collects the exit code.
#ifndef TESTS_GUI_H
#define TESTS_GUI_H

#include <windows.h>
#include <string>
#include <vector>
#include <gtest/gtest.h>

// A copy of the built setup folder in a scratch folder named after the test;
// returns the folder. Tests then change or remove files in it as they need.
std::string StageSetupFolder(const std::string &name);

// The Windows version Wine reports to Setup.exe, or to another program of
// that file name ("win95", "nt351", "nt40", "win31", ...); an empty text
// restores the prefix's own.
void SetReportedVersion(const std::string &version, const char *program = "Setup.exe");

struct SetupRun {
    PROCESS_INFORMATION Process;
    bool Started;
};

SetupRun StartSetup(const std::string &folder);
// Waits for the process to end and returns its exit code; a run still going
// after the timeout is killed and reported as -1.
int WaitForExit(SetupRun &run, DWORD timeout = 15000);
// Kills a run that a failed test left behind.
void StopSetup(SetupRun &run);

// The visible modal page of the run: IDD_WELCOME, IDD_AGREEMENT,
// IDD_DIRECTORY, IDD_FINISH or IDD_PROGRESS, told apart by their controls.
// Returns 0 when that page is not up within the timeout.
HWND WaitForPage(const SetupRun &run, int page, DWORD timeout = 10000);
// The run's backdrop: its window of class "SetupClass", or 0.
HWND BackdropOf(const SetupRun &run);
// Which page a window is (one of the ids above), or 0.
int PageOf(HWND window);
// Every visible top-level window of the run.
std::vector<HWND> WindowsOf(const SetupRun &run);

// Next on the welcome page, I Agree on the agreement page: the install-folder
// page, or 0 when a page did not come.
HWND WalkToDirectoryPage(const SetupRun &run);

struct MessageBoxSeen {
    HWND Window;
    std::string Caption;
    std::string Text;
    HWND Owner;
};
// Waits for a message box of the run; Window is 0 when none came.
MessageBoxSeen WaitForMessageBox(const SetupRun &run, DWORD timeout = 10000);

std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int id);
bool ControlEnabled(HWND dialog, int id);
bool ButtonChecked(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string &text);

// A button pressed as the user presses it (BM_CLICK).
void Click(HWND dialog, int id);
// A key pressed in the control that has the focus in the run's window.
void PressKey(const SetupRun &run, HWND dialog, UINT key);
// A command that no control sends: the given id with a notification code.
void SendRawCommand(HWND dialog, int id, int notification);
// Waits until a window is gone (closed or hidden).
bool WaitGone(HWND window, DWORD timeout = 10000);

// Base of GUI tests: a machine without the product before, and no run left
// behind after, whatever the test asserted.
class GuiTest : public ::testing::Test {
protected:
    SetupRun Run = {};
    void SetUp() override;
    void TearDown() override;
};

#endif
