// The GUI driver: Setup.exe started and steered from outside, as a user would.
#include "gui.h"
#include <cstdio>
#include "resources/resource.h"
#include <algorithm>

void SetReportedVersion(const std::string &version, const char *program)
{
    std::string key = std::string("Software\\Wine\\AppDefaults\\") + program;
    if (version.empty())
        DeleteKeyTree(HKEY_CURRENT_USER, key);
    else
        SetRegString(HKEY_CURRENT_USER, key, "Version", version);
}

SetupRun StartProgram(const std::string &commandLine, const std::string &folder)
{
    return StartProgram(WideText(commandLine), folder);
}

SetupRun StartProgram(const std::wstring &commandLine, const std::string &folder)
{
    SetupRun run = {};
    STARTUPINFOW startup = {};
    SECURITY_ATTRIBUTES inherit = { sizeof inherit, NULL, TRUE };
    std::wstring command = commandLine;
    WCHAR temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // The program gets no output of ours: a run left behind must not keep
    // the test runner waiting on our output pipe.
    HANDLE nothing = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inherit, OPEN_EXISTING, 0, NULL);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nothing;
    std::wstring current = folder.empty() ? std::wstring(temp) : WideText(folder);
    // Wine has now and then refused a start with ERROR_INTERNAL_ERROR in
    // tests that kill processes; such a start is tried again, three times at most.
    for (int tries = 0; tries < 3; tries++) {
        run.Started =
            CreateProcessW(NULL, &command[0], NULL, NULL, TRUE, 0, NULL, current.c_str(), &startup, &run.Process) != 0;
        if (run.Started || GetLastError() != ERROR_INTERNAL_ERROR)
            break;
    }
    // A test that finds no window or no exit code then says why.
    if (!run.Started)
        fprintf(stderr, "Could not start %ls: error %lu\n", commandLine.c_str(), GetLastError());
    CloseHandle(nothing);
    return run;
}

SetupRun StartSetup(const std::string &folder)
{
    return StartProgram("\"" + folder + "\\Setup.exe\"");
}

int WaitForExit(SetupRun &run, DWORD timeout)
{
    DWORD code = (DWORD)-1;
    if (!run.Started)
        return -1;
    if (WaitForSingleObject(run.Process.hProcess, timeout) != WAIT_OBJECT_0) {
        if (timeout)
            fprintf(stderr, "Process %lu still running after %lu ms: stopped\n", run.Process.dwProcessId, timeout);
        StopSetup(run);
        return -1;
    }
    GetExitCodeProcess(run.Process.hProcess, &code);
    CloseHandle(run.Process.hProcess);
    CloseHandle(run.Process.hThread);
    run.Started = false;
    return (int)code;
}

void StopSetup(SetupRun &run)
{
    if (!run.Started)
        return;
    TerminateProcess(run.Process.hProcess, 99);
    WaitForSingleObject(run.Process.hProcess, 5000);
    CloseHandle(run.Process.hProcess);
    CloseHandle(run.Process.hThread);
    run.Started = false;
}

HWND WalkToDirectoryPage(const SetupRun &run)
{
    HWND welcome = WaitForPage(run, IDD_WELCOME);
    if (!welcome)
        return NULL;
    Click(welcome, IDOK);
    HWND agreement = WaitForPage(run, IDD_AGREEMENT);
    if (!agreement)
        return NULL;
    Click(agreement, IDOK);
    return WaitForPage(run, IDD_DIRECTORY);
}

bool ClickThroughPages(const SetupRun &run, const std::string &folder, int shortcut)
{
    HWND directory = WalkToDirectoryPage(run);
    if (!directory)
        return false;
    SetControlText(directory, IDC_INSTALL_DIR, folder);
    // Posted in order: the radio button is checked before Next is handled.
    Click(directory, shortcut);
    Click(directory, IDOK);
    return true;
}

int FinishRun(SetupRun &run)
{
    HWND finish = WaitForPage(run, IDD_FINISH);
    if (!finish) {
        StopSetup(run);
        return -1;
    }
    // Nothing but the backdrop stands behind the completion page: the
    // progress panel, which says the installation is under way, is gone.
    std::vector<HWND> shown = WindowsOf(run), expected = { finish, BackdropOf(run) };
    std::sort(shown.begin(), shown.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(shown, expected) << "windows of the run besides the completion page and the backdrop";
    Click(finish, IDOK);
    return WaitForExit(run);
}

void Answer(const MessageBoxSeen &box, int button)
{
    Click(box.Window, button);
    WaitGone(box.Window);
}

static bool IsMessageBox(HWND window)
{
    return ClassOf(window) == "#32770" && PageOf(window) == 0;
}

MessageBoxSeen WaitForMessageBox(const SetupRun &run, DWORD timeout)
{
    MessageBoxSeen seen = { NULL, "", "", NULL };
    // A box counts once it shows its text: it is laid out by then.
    WaitFor([&] {
        for (HWND window : WindowsOf(run)) {
            std::string text = IsMessageBox(window) ? ControlText(window, 0xFFFF) : "";
            if (!text.empty()) {
                seen = { window, WindowText(window), text, GetWindow(window, GW_OWNER) };
                return true;
            }
        }
        return false;
    }, timeout);
    return seen;
}

bool ControlEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != 0;
}

bool ButtonChecked(HWND dialog, int id)
{
    DWORD_PTR state = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    return state == BST_CHECKED;
}

void SetControlText(HWND dialog, int id, const std::string &text)
{
    DWORD_PTR result;
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0, (LPARAM)text.c_str(), SMTO_ABORTIFHUNG, 5000, &result);
}

void SendRawCommand(HWND dialog, int id, int notification)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, notification), (LPARAM)GetDlgItem(dialog, id));
}

void GuiTest::SetUp()
{
    ResetMachine();
}

void GuiTest::TearDown()
{
    StopSetup(Run);
    SetReportedVersion("");
}

void FolderGuiTest::SetUp()
{
    GuiTest::SetUp();
    // Named after the suite; parameterised suites carry a slash in their name.
    std::string name = ::testing::UnitTest::GetInstance()->current_test_suite()->name();
    for (char &c : name)
        if (c == '/')
            c = '-';
    Scratch = ScratchOnC(name);
}

void FolderGuiTest::TearDown()
{
    GuiTest::TearDown();
    RemoveScratchOnC(Scratch);
    if (!Setup.empty())
        DeleteTree(Setup);
    ResetMachine();
}

std::string FolderGuiTest::Stage(const std::string &name)
{
    return Setup = StageSetupFolder(name);
}
