// The GUI driver: starts Setup.exe from a staged setup folder under Wine,
// finds its pages and message boxes, reads them, presses buttons and keys,
// walks whole runs and collects the exit code.
#ifndef TESTS_GUI_H
#define TESTS_GUI_H

#include <windows.h>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "driving.h"
#include "installation.h"
#include "messages.h"
#include "pages.h"
#include "sandbox.h"

// The Windows version Wine reports to Setup.exe, or to another program of
// that file name ("win95", "nt351", "nt40", "win31", ...); an empty text
// restores the prefix's own.
void SetReportedVersion(const std::string &version, const char *program = "Setup.exe");

// A command line started from the temporary folder as current folder, or
// from the folder given, through the wide calls: a program's path may be
// longer than the ANSI calls take.
SetupRun StartProgram(const std::string &commandLine, const std::string &folder = "");
// One whose characters the code page may lack.
SetupRun StartProgram(const std::wstring &commandLine, const std::string &folder = "");
// Setup.exe in the folder.
SetupRun StartSetup(const std::string &folder);
// Waits for the process to end and returns its exit code; a run still going
// after the timeout is killed and reported as -1.
int WaitForExit(SetupRun &run, DWORD timeout = 15000);
// Kills a run that a failed test left behind.
void StopSetup(SetupRun &run);

// Finding, reading and pressing the run's pages: pages.h.

// Next on the welcome page, I Agree on the agreement page: the install-folder
// page, or 0 when a page did not come.
HWND WalkToDirectoryPage(const SetupRun &run);
// Then the folder typed, the shortcut radio button (IDC_SHORTCUT_*) chosen
// and Next pressed. False when a page did not come.
bool ClickThroughPages(const SetupRun &run, const std::string &folder, int shortcut);
// Waits for the finish page, checks that no other page or panel of the run
// is still shown, presses OK and returns the exit code (-1 when the finish
// page did not come; the run is then stopped).
int FinishRun(SetupRun &run);

struct MessageBoxSeen {
    HWND Window;
    std::string Caption;
    std::string Text;
    HWND Owner;
};
// Waits for a message box of the run; Window is 0 when none came.
MessageBoxSeen WaitForMessageBox(const SetupRun &run, DWORD timeout = 10000);
// Presses a message box's button and waits until the box is gone.
void Answer(const MessageBoxSeen &box, int button);

bool ControlEnabled(HWND dialog, int id);
bool ButtonChecked(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string &text);

// A command that no control sends: the given id with a notification code.
void SendRawCommand(HWND dialog, int id, int notification);

// Base of GUI tests: a machine without the product before, and no run left
// behind after, whatever the test asserted.
class GuiTest : public ::testing::Test {
protected:
    SetupRun Run = {};
    void SetUp() override;
    void TearDown() override;
};

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
