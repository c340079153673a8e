// An installation that fails or is killed half-way leaves the machine as it
// was: from three starting states, each change the setup makes is failed in
// turn, or the run is killed just before it and the next setup or the
// uninstaller finishes what it left. Each table prints its rows, one per
// state and change call, for the record.
#include "support/gui.h"
#include "support/unattended.h"
#include "support/uninstall_run.h"
#include "support/change_fault.h"
#include "support/machine_snapshot.h"
#include "common/product.h"
#include "resources/resource.h"
#include <algorithm>
#include <iostream>
#include <shlobj.h>

enum StartingState { NO_EARLIER, EARLIER_SAME_FOLDER, EARLIER_OTHER_FOLDER, STARTING_STATES };
static const char *const StateNames[STARTING_STATES] = {
    "no earlier installation",
    "earlier installation in the same folder",
    "earlier installation in another folder",
};
// The user's own, in the earlier installation of another folder: settings
// files the run carries over, and a file the product never installed.
static const struct {
    const char *Name, *Bytes;
} UserFiles[] = {
    { "a.tsl", "first settings" },
    { "b.tsl", "second settings" },
    { "notes.txt", "the user's own notes" },
};
static const char ReadOnlyProductFile[] = "Readme.txt";
static const DWORD UserWindowPosition[ARRAY_LENGTH(WindowPositionValues)] = { 212, 97 };
// What a killed run ends with, told apart from any code of the setup's own.
static const UINT KilledCode = 0x4B1D;
// The kill table tries each change call up to this one, then every other one.
static const int EveryKillUpTo = 8;
// No run makes this many changes: a table that gets there has lost count.
static const int MostChangeCalls = 400;

// The failures this test has recorded so far: a row's own are those after it began.
static int Failures()
{
    return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
}

struct StoppedRun {
    bool Reached;   // stopped before the change call asked for, and killed there
    int ExitCode;
};

class Rollback : public FolderGuiTest {
protected:
    std::string Plain, Faulty, Apps, Old, CountFile;
    std::vector<std::string> Rows[STARTING_STATES];

    void SetUp() override
    {
        FolderGuiTest::SetUp();
        Plain = Stage("rollback setup");
        Faulty = StageSetupFolder("rollback fault setup");
        ASSERT_TRUE(CopyFileA(FAULT_SETUP, (Faulty + "\\" + SetupFile).c_str(), FALSE));
        CountFile = MakeScratchDir("rollback count") + "\\count.txt";
        Apps = Scratch + "\\Brindle Apps";
        Old = Scratch + "\\Old Place";
    }
    void TearDown() override
    {
        for (const char *variable : { FAIL_AT_VARIABLE, STOP_AT_VARIABLE, STOPPED_VARIABLE, COUNT_TO_VARIABLE })
            SetEnvironmentVariableA(variable, NULL);
        DeleteTree(Faulty);
        DeleteTree(FolderOf(CountFile));
        FolderGuiTest::TearDown();
    }
    static std::string FolderOf(const std::string &path) { return path.substr(0, path.rfind('\\')); }

    std::string Command(const std::string &media)
    {
        return "\"" + media + "\\" + SetupFile + "\" /S /D=\"" + Apps + "\"";
    }
    int RunPlain(const std::string &folder)
    {
        WatchedRun run = RunWatched("\"" + Plain + "\\" + SetupFile + "\" /S /D=\"" + folder + "\"", "", 30000);
        EXPECT_EQ(run.Windows, std::vector<std::string>{});
        return run.ExitCode;
    }

    // The state made for real: a clean machine, and the earlier installation
    // made by the shipped setup, with the user's files and window position.
    // False, and a failure, when it could not be made.
    bool MakeState(StartingState state)
    {
        ResetMachine();
        if (ScratchOnC("Rollback") != Scratch || !FilesIn(Scratch).empty()) {
            ADD_FAILURE() << Scratch << " could not be emptied";
            return false;
        }
        if (state == NO_EARLIER)
            return true;
        std::string earlier = state == EARLIER_SAME_FOLDER ? Apps : Old;
        int exitCode = RunPlain(earlier);
        if (exitCode != 0) {
            ADD_FAILURE() << StateNames[state] << ": the earlier installation ended with " << exitCode;
            return false;
        }
        for (int value = 0; value < (int)ARRAY_LENGTH(WindowPositionValues); value++)
            SetRegDword(HKEY_CURRENT_USER, UserSettingsKey, WindowPositionValues[value], UserWindowPosition[value]);
        if (state != EARLIER_OTHER_FOLDER)
            return true;
        for (const auto &file : UserFiles)
            WriteBytes(Old + "\\" + file.Name, file.Bytes);
        if (!SetFileAttributesA((Old + "\\" + ReadOnlyProductFile).c_str(), FILE_ATTRIBUTE_READONLY)) {
            ADD_FAILURE() << ReadOnlyProductFile << " could not be made read-only";
            return false;
        }
        return true;
    }
    MachineSnapshot Snapshot() { return TakeSnapshot({ Scratch }); }
    // The machine after a run of the shipped setup that nothing disturbed.
    MachineSnapshot Uninterrupted(StartingState state)
    {
        if (MakeState(state)) {
            EXPECT_EQ(RunPlain(Apps), 0) << StateNames[state];
        }
        return Snapshot();
    }

    // The change calls the last counted run made, one line each with the
    // sandbox folder written "~"; false when it wrote none.
    bool ReadCalls(std::vector<std::string> &calls)
    {
        calls.clear();
        if (!FileExists(CountFile))
            return false;
        std::string text = ReadBytes(CountFile);
        for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
            std::string line = text.substr(at, end - at);
            for (size_t found; (found = line.find(Scratch)) != std::string::npos;)
                line.replace(found, Scratch.size(), "~");
            calls.push_back(line);
        }
        return true;
    }
    // The change calls of an undisturbed run of the setup's test build from the state made.
    std::vector<std::string> CountCalls()
    {
        std::vector<std::string> calls;
        DeleteFileA(CountFile.c_str());
        SetEnvironmentVariableA(COUNT_TO_VARIABLE, CountFile.c_str());
        WatchedRun counted = RunWatched(Command(Faulty), "", 30000);
        SetEnvironmentVariableA(COUNT_TO_VARIABLE, NULL);
        EXPECT_EQ(counted.ExitCode, 0);
        EXPECT_TRUE(ReadCalls(calls)) << "the run wrote no list of its change calls";
        return calls;
    }
    WatchedRun RunFailingAt(int n)
    {
        DeleteFileA(CountFile.c_str());
        SetEnvironmentVariableA(COUNT_TO_VARIABLE, CountFile.c_str());
        SetEnvironmentVariableA(FAIL_AT_VARIABLE, std::to_string(n).c_str());
        WatchedRun run = RunWatched(Command(Faulty), "", 30000);
        SetEnvironmentVariableA(FAIL_AT_VARIABLE, NULL);
        SetEnvironmentVariableA(COUNT_TO_VARIABLE, NULL);
        return run;
    }
    // The run stopped just before its n-th change call and killed there; a
    // run with fewer change calls ends by itself.
    StoppedRun RunKilledAt(int n)
    {
        static const char eventName[] = "Brindlecast run stopped before a change";
        StoppedRun stopped = { false, -1 };
        HANDLE event = CreateEventA(NULL, TRUE, FALSE, eventName);
        EXPECT_NE(event, (HANDLE)NULL);
        SetEnvironmentVariableA(STOP_AT_VARIABLE, std::to_string(n).c_str());
        SetEnvironmentVariableA(STOPPED_VARIABLE, eventName);
        SetupRun run = StartProgram(Command(Faulty));
        SetEnvironmentVariableA(STOP_AT_VARIABLE, NULL);
        SetEnvironmentVariableA(STOPPED_VARIABLE, NULL);
        if (run.Started) {
            HANDLE signs[] = { event, run.Process.hProcess };
            DWORD sign = WaitForMultipleObjects(ARRAY_LENGTH(signs), signs, FALSE, 30000);
            stopped.Reached = sign == WAIT_OBJECT_0;
            if (stopped.Reached) {
                EXPECT_TRUE(TerminateProcess(run.Process.hProcess, KilledCode));
            } else {
                EXPECT_EQ(sign, WAIT_OBJECT_0 + 1) << "the run neither stopped nor ended";
            }
            stopped.ExitCode = WaitForExit(run, 10000);
            if (stopped.Reached) {
                EXPECT_EQ(stopped.ExitCode, (int)KilledCode);
            }
        }
        CloseHandle(event);
        return stopped;
    }

    // The user's files are kept, each once, wherever the run left the
    // settings files; nothing else is left in the sandbox folder.
    void ExpectOnlyUserFiles(StartingState state)
    {
        std::map<std::string, std::string> expected, found;
        if (state == EARLIER_OTHER_FOLDER)
            for (const auto &file : UserFiles)
                expected[file.Name] = file.Bytes;
        std::vector<std::string> folders = { Scratch };
        for (size_t at = 0; at < folders.size(); at++)
            for (const std::string &name : FilesIn(folders[at])) {
                std::string path = folders[at] + "\\" + name;
                if (DirExists(path)) {
                    folders.push_back(path);
                    continue;
                }
                EXPECT_EQ(found.count(name), 0u) << name << " is left twice";
                found[name] = ReadBytes(path);
                if (expected.count(name) == 0)
                    ADD_FAILURE() << path << " is left";
            }
        for (const auto &file : expected)
            EXPECT_EQ(found[file.first], file.second) << file.first << " was not kept";
        if (state == EARLIER_OTHER_FOLDER) {
            EXPECT_TRUE(FileExists(Old + "\\notes.txt")) << "the user's notes left their folder";
        }
    }

    void PrintTable(const char *title)
    {
        std::string table;
        for (int state = 0; state < STARTING_STATES; state++) {
            std::string rows;
            for (const std::string &row : Rows[state])
                rows += "  " + row + "\n";
            table += std::string(StateNames[state]) + ":\n" + rows;
            RecordProperty(StateNames[state], rows);
        }
        std::cout << title << "\n" << table;
    }
};

// The first line of a difference, and how many more there are.
static std::string Gist(const std::string &difference)
{
    if (difference.empty())
        return "identical";
    size_t end = difference.find('\n');
    size_t more = std::count(difference.begin(), difference.end(), '\n') - 1;
    return difference.substr(0, end) + (more ? " (and " + std::to_string(more) + " more)" : "");
}

// The knobs themselves, from a clean machine: the list of an undisturbed
// run holds the changes every installation makes; the first change failed
// ends the run with a message; a run stopped before a change has made the
// ones before it and not that one.
TEST_F(Rollback, KnobsFailStopAndListTheChangeCalls)
{
    ASSERT_TRUE(MakeState(NO_EARLIER));
    std::vector<std::string> calls = CountCalls();
    std::vector<std::string> expected = { "CreateDirectoryA ~\\Brindle Apps", "RegSetValueExA UninstallString",
                                          "CoCreateInstance shell link" };
    for (const char *file : ShippedFiles)
        expected.push_back(std::string("CreateFileA ~\\Brindle Apps\\") + file);
    for (const std::string &call : expected)
        EXPECT_NE(std::find(calls.begin(), calls.end(), call), calls.end()) << call;
    auto licence = std::find(calls.begin(), calls.end(), "CreateFileA ~\\Brindle Apps\\License.txt");
    ASSERT_NE(licence, calls.end());

    ASSERT_TRUE(MakeState(NO_EARLIER));
    WatchedRun failed = RunFailingAt(1);
    EXPECT_GT(failed.ExitCode, 0);
    EXPECT_LT(failed.ExitCode, 0x10000);
    std::vector<std::string> failedCalls;
    EXPECT_TRUE(ReadCalls(failedCalls));
    EXPECT_FALSE(failedCalls.empty());

    ASSERT_TRUE(MakeState(NO_EARLIER));
    StoppedRun stopped = RunKilledAt(licence - calls.begin() + 1);
    EXPECT_TRUE(stopped.Reached);
    EXPECT_TRUE(DirExists(Apps));
    EXPECT_FALSE(FileExists(Apps + "\\License.txt"));
}

// Each change call in turn fails: the run ends with its message number,
// shows nothing, and leaves the machine as it found it; the first number
// past the last change installs as an uninterrupted run does.
TEST_F(Rollback, FailedRunsLeaveTheMachineAsItWas)
{
    for (int state = 0; state < STARTING_STATES; state++) {
        const StartingState starting = (StartingState)state;
        const MachineSnapshot installed = Uninterrupted(starting);
        ASSERT_TRUE(MakeState(starting));
        MachineSnapshot before = Snapshot();
        int n = 1;
        for (; n <= MostChangeCalls; n++) {
            SCOPED_TRACE(std::string(StateNames[state]) + ", change call " + std::to_string(n) + " failed");
            WatchedRun run = RunFailingAt(n);
            std::vector<std::string> calls;
            MachineSnapshot after = Snapshot();
            ASSERT_TRUE(ReadCalls(calls)) << "the run wrote no list of its change calls (exit code " << run.ExitCode
                                          << ")";
            const int count = calls.size();
            EXPECT_EQ(run.Windows, std::vector<std::string>{});
            const std::string row = std::to_string(n) + " " + (count < n ? "" : calls[n - 1]) + ": ";
            if (count < n) {
                EXPECT_EQ(run.ExitCode, 0) << "a run with nothing failed";
                std::string difference = SnapshotDifference(installed, after);
                EXPECT_TRUE(difference.empty()) << "not as an uninterrupted installation:\n" << difference;
                Rows[state].push_back(std::to_string(n) + ": past the last of " + std::to_string(count)
                                      + " change calls, exit " + std::to_string(run.ExitCode) + ", "
                                      + (difference.empty() ? "installed as uninterrupted" : Gist(difference)));
                break;
            }
            if (run.ExitCode == 0) {
                // A change the setup can do without: done is done. Only a
                // value the entries work without (the list of programs'
                // extras, the window position, the association's texts)
                // may be missing, or the journal's name linger; or a file of
                // the earlier installation that could not be moved or set
                // aside stays in its folder, which stays, as the setup's
                // boxes tell ("Setup will continue").
                const std::string difference = SnapshotDifference(installed, after);
                const std::string &call = calls[n - 1];
                const std::string value = " : " + call.substr(call.find(' ') + 1) + ":";
                const bool valueCall = call.rfind("RegSetValueExA ", 0) == 0 || call.rfind("RegDeleteValueA ", 0) == 0;
                const bool earlierMove = call.rfind("MoveFile", 0) == 0 && call.find(" ~\\Old Place\\") != std::string::npos;
                bool allowed = valueCall || earlierMove;
                for (size_t at = 0, end; (end = difference.find('\n', at)) != std::string::npos; at = end + 1) {
                    const std::string line = difference.substr(at, end - at);
                    bool userFile = false;
                    for (const auto &file : UserFiles)
                        userFile = userFile || line.find(std::string("\\") + file.Name + ":") != std::string::npos;
                    allowed = allowed
                              && (valueCall ? line.compare(2, 6, "value ") == 0 && line.find(value) != std::string::npos
                                            : line.find(Old) != std::string::npos || userFile);
                }
                EXPECT_TRUE(difference.empty() || allowed) << "not as an uninterrupted installation:\n" << difference;
                Rows[state].push_back(row + (difference.empty() ? "completed all the same"
                                             : !allowed         ? "exit 0, but " + Gist(difference)
                                             : valueCall        ? "completed without that value"
                                                                : "completed, that file left in the earlier folder"));
                ASSERT_TRUE(MakeState(starting));
                before = Snapshot();
                continue;
            }
            // A message number: not a crash, not a run stopped for hanging.
            EXPECT_GT(run.ExitCode, 0);
            EXPECT_LT(run.ExitCode, 0x10000);
            std::string difference = SnapshotDifference(before, after);
            EXPECT_TRUE(difference.empty()) << "exit code " << run.ExitCode << ", left changed:\n" << difference;
            Rows[state].push_back(row + "exit " + std::to_string(run.ExitCode) + ", " + Gist(difference));
            if (!difference.empty()) {
                ASSERT_TRUE(MakeState(starting));
                before = Snapshot();
            }
        }
        EXPECT_LE(n, MostChangeCalls) << StateNames[state] << ": no run got past its last change call";
    }
    PrintTable("Each change call failed in turn:");
}

// The run killed just before each change call in turn; the next run of the
// setup finishes what it left and installs as an uninterrupted run does.
TEST_F(Rollback, KilledRunsAreFinishedByTheNextSetup)
{
    for (int state = 0; state < STARTING_STATES; state++) {
        const StartingState starting = (StartingState)state;
        const MachineSnapshot installed = Uninterrupted(starting);
        ASSERT_TRUE(MakeState(starting));
        const std::vector<std::string> calls = CountCalls();
        // Every call at first, then every other one, and the last: each
        // kill costs three runs.
        const int count = calls.size();
        auto next = [count](int n) { return n < EveryKillUpTo || n + 2 <= count ? n + (n < EveryKillUpTo ? 1 : 2)
                                                                                : n < count ? count : count + 1; };
        int n = 1;
        for (; n <= MostChangeCalls; n = next(n)) {
            SCOPED_TRACE(std::string(StateNames[state]) + ", killed before change call " + std::to_string(n));
            const std::string row = std::to_string(n) + " " + (n <= (int)calls.size() ? calls[n - 1] : "") + ": ";
            ASSERT_TRUE(MakeState(starting));
            StoppedRun killed = RunKilledAt(n);
            if (!killed.Reached) {
                EXPECT_EQ(killed.ExitCode, 0) << "a run that was never stopped";
                Rows[state].push_back(std::to_string(n) + ": past the last change call, exit "
                                      + std::to_string(killed.ExitCode));
                break;
            }
            int exitCode = RunPlain(Apps);
            EXPECT_EQ(exitCode, 0) << "the setup after the killed run";
            std::string difference = SnapshotDifference(installed, Snapshot());
            EXPECT_TRUE(difference.empty()) << "not as an uninterrupted installation:\n" << difference;
            Rows[state].push_back(row + "next setup exit " + std::to_string(exitCode) + ", "
                                  + (difference.empty() ? "installed as uninterrupted" : Gist(difference)));
        }
        EXPECT_LE(n, MostChangeCalls) << StateNames[state] << ": no run got past its last change call";
    }
    PrintTable("Killed before each change call, then the setup run again:");
}

// The run killed early, half-way (the earlier files set aside) and late
// (the registry written); the uninstaller then finishes what it left and
// removes the product, keeping the user's files. An uninstaller that the
// killed run made removes what that run left, itself included; an earlier
// installation of another folder, back whole, stays for its own.
TEST_F(Rollback, KilledRunsAreFinishedByTheUninstaller)
{
    RestartListsKept restart;
    for (int state = 0; state < STARTING_STATES; state++) {
        const StartingState starting = (StartingState)state;
        ASSERT_TRUE(MakeState(starting));
        const std::vector<std::string> calls = CountCalls();
        const int count = calls.size();
        ASSERT_GT(count, 3) << StateNames[state];
        // Half-way: before the last file is copied, the uninstaller among
        // those before it and the earlier files set aside; late: the first
        // change after the last registry value; and the last change of all.
        const std::string lastCopy =
            "CreateFileA ~\\Brindle Apps\\" + std::string(ShippedFiles[ARRAY_LENGTH(ShippedFiles) - 1]);
        int copying = count / 2, registered = count - 1;
        for (int at = 0; at < count; at++) {
            if (calls[at] == lastCopy)
                copying = at + 1;
            if (calls[at].rfind("RegSetValueEx", 0) == 0 && at + 1 < count)
                registered = at + 2;
        }
        std::vector<int> kills = { 1, copying, registered, count };
        kills.erase(std::unique(kills.begin(), kills.end()), kills.end());
        for (int n : kills) {
            SCOPED_TRACE(std::string(StateNames[state]) + ", killed before change call " + std::to_string(n) + " of "
                         + std::to_string(count) + ", " + calls[n - 1]);
            const std::string row = std::to_string(n) + " " + calls[n - 1] + ": ";
            ASSERT_TRUE(MakeState(starting));
            const MachineSnapshot startingSnapshot = Snapshot();
            // Past the journal's last record the run is done, only made final.
            const bool done = calls[n - 1] == std::string("RegDeleteValueA ") + JournalValue;
            StoppedRun killed = RunKilledAt(n);
            ASSERT_TRUE(killed.Reached);
            // The uninstaller that the registry names, else the one in the install folder.
            std::string uninstaller = Apps + "\\" + UninstallerFile;
            RegValue named = ReadRegValue(HKEY_LOCAL_MACHINE, UninstallEntryKey, UninstallStringValue);
            std::string command = named.Found ? std::string(named.Data.c_str()) : "";
            if (command.size() > 2 && command[0] == '"' && command.find('"', 1) != std::string::npos)
                command = command.substr(1, command.find('"', 1) - 1);
            if (!command.empty() && FileExists(command))
                uninstaller = command;
            if (!FileExists(uninstaller)) {
                Rows[state].push_back(row + "skipped, no uninstaller to run");
                continue;
            }
            int failures = Failures();
            SetupRun run = StartProgram("\"" + uninstaller + "\" /S");
            int exitCode = WaitForExit(run, 30000);
            EXPECT_TRUE(WaitForTempCopies()) << "the temporary copy did not end";
            RemoveTempCopies();
            EXPECT_EQ(exitCode, 0) << uninstaller;
            const bool earlierBack = starting == EARLIER_OTHER_FOLDER && !done && uninstaller.rfind(Old + "\\", 0) != 0;
            if (earlierBack) {
                std::string difference = SnapshotDifference(startingSnapshot, Snapshot());
                EXPECT_TRUE(difference.empty()) << "the earlier installation is not back as it was:\n" << difference;
            } else {
                for (const ProductRegistryKey &key : ProductRegistryKeys())
                    EXPECT_FALSE(KeyExists(key.Root, key.Path)) << key.Path;
                for (int csidl : { CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU })
                    EXPECT_FALSE(FileExists(ShortcutPath(csidl))) << ShortcutPath(csidl);
                ExpectOnlyUserFiles(starting);
            }
            Rows[state].push_back(row + uninstaller.substr(Scratch.size() + 1) + " exit " + std::to_string(exitCode)
                                  + (Failures() > failures ? ", not as expected"
                                     : earlierBack         ? ", the earlier installation back as it was"
                                                           : ", removed"));
        }
    }
    PrintTable("Killed early, half-way and late, then the uninstaller run:");
}

// Runs that settle what a killed run left, then stop: their install folder's
// drive is refused.
static WatchedRun SettleOnly(const std::string &media)
{
    return RunWatched("\"" + media + "\\" + SetupFile + "\" /S /D=1:\\Tool", "", 30000);
}

// A run killed before its last registry value, and the next setup, which
// undoes it, killed in its turn at each change it makes while undoing: the
// run after that goes on where the undo stopped, and the machine is as it
// was before the first run. (That run stops at its install folder, so that
// no new installation covers what a wrong undo lost.) In the same folder
// the undo deletes each copy and brings back the file it replaced, and must
// not do so twice; in another it moves the settings files back. A journal
// whose last record a power cut tore (the change it was written for never
// made) is undone as far as it goes, the folder the run made included.
TEST_F(Rollback, SettlingCutOffGoesOnWhereItStopped)
{
    const std::string journalCall = "CreateFileA ~\\Brindle Apps\\" + std::string(JournalFile);
    const std::string lastCopy =
        "CreateFileA ~\\Brindle Apps\\" + std::string(ShippedFiles[ARRAY_LENGTH(ShippedFiles) - 1]);
    for (StartingState starting : { NO_EARLIER, EARLIER_SAME_FOLDER, EARLIER_OTHER_FOLDER }) {
        SCOPED_TRACE(StateNames[starting]);
        ASSERT_TRUE(MakeState(starting));
        const MachineSnapshot before = Snapshot();
        const std::vector<std::string> calls = CountCalls();
        int late = 0, copying = 0;
        for (int at = 0; at < (int)calls.size(); at++) {
            if (calls[at].rfind("RegSetValueExA ", 0) == 0)
                late = at + 1;
            if (calls[at] == lastCopy)
                copying = at + 1;
        }
        ASSERT_GT(late, 0);
        ASSERT_GT(copying, 0);

        if (starting != NO_EARLIER) {
            // The settling run's undo: after it opens the journal left, up
            // to the first change of its own installation, the install
            // folder it makes again (in another folder) or the look for a
            // journal there.
            ASSERT_TRUE(MakeState(starting));
            ASSERT_TRUE(RunKilledAt(late).Reached);
            const std::vector<std::string> settling = CountCalls();
            auto opened = std::find(settling.begin(), settling.end(), journalCall);
            ASSERT_NE(opened, settling.end());
            auto own = std::find_if(opened + 1, settling.end(), [&](const std::string &call) {
                return call == journalCall || call.rfind("CreateDirectoryA ", 0) == 0;
            });
            ASSERT_NE(own, settling.end());
            const int first = opened - settling.begin() + 2, last = own - settling.begin();
            ASSERT_LT(first, last) << "the settling run undid nothing";
            for (int m = first; m <= last; m += 3) {
                SCOPED_TRACE("the undo killed before its change call " + std::to_string(m) + ", " + settling[m - 1]);
                ASSERT_TRUE(MakeState(starting));
                ASSERT_TRUE(RunKilledAt(late).Reached);
                ASSERT_TRUE(RunKilledAt(m).Reached);
                EXPECT_EQ(SettleOnly(Plain).ExitCode, (int)IDS_BAD_DRIVE);
                std::string difference = SnapshotDifference(before, Snapshot());
                EXPECT_TRUE(difference.empty()) << "not as before the first run:\n" << difference;
            }
        }
        if (starting == EARLIER_SAME_FOLDER)
            continue;

        SCOPED_TRACE("the last record torn");
        ASSERT_TRUE(MakeState(starting));
        ASSERT_TRUE(RunKilledAt(copying).Reached);
        const std::string journal = Apps + "\\" + JournalFile, records = ReadBytes(journal);
        ASSERT_GT(records.size(), 2u);
        DWORD attributes = GetFileAttributesA(journal.c_str());
        SetFileAttributesA(journal.c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteBytes(journal, records.substr(0, records.size() - 2));
        SetFileAttributesA(journal.c_str(), attributes);
        EXPECT_EQ(SettleOnly(Plain).ExitCode, (int)IDS_BAD_DRIVE);
        std::string difference = SnapshotDifference(before, Snapshot());
        EXPECT_TRUE(difference.empty()) << "not as before the first run:\n" << difference;
    }
}

// A journal of another format, a later program's, named in the registry
// and in the folder chosen: left as it is, and the folder refused.
TEST_F(Rollback, AnotherProgramsJournalIsLeftAlone)
{
    ASSERT_TRUE(MakeState(NO_EARLIER));
    ASSERT_TRUE(CreateDirectoryA(Apps.c_str(), NULL));
    const std::string journal = Apps + "\\" + JournalFile;
    WriteBytes(journal, "a journal of a later setup, in a format of its own");
    SetRegString(HKEY_LOCAL_MACHINE, CurrentVersionKey, JournalValue, journal);
    const MachineSnapshot before = Snapshot();
    EXPECT_EQ(RunPlain(Apps), (int)IDS_NO_ACCESS_DIR);
    std::string difference = SnapshotDifference(before, Snapshot());
    EXPECT_TRUE(difference.empty()) << difference;
}

// A settings file of the earlier installation whose name the install folder
// holds already is not moved (the setup says so and goes on); a run that
// then fails leaves both files, and everything else, as they were.
TEST_F(Rollback, ASettingsFileAlreadyInTheNewFolderStaysWhenTheRunFails)
{
    auto makeClash = [this]() {
        return MakeState(EARLIER_OTHER_FOLDER) && CreateDirectoryA(Apps.c_str(), NULL)
               && (WriteBytes(Apps + "\\" + UserFiles[0].Name, "settings already in the new folder"), true);
    };
    ASSERT_TRUE(makeClash());
    const std::vector<std::string> calls = CountCalls();
    // The copy, the last call that names the file: the look for files in use names it first.
    auto licence = std::find(calls.rbegin(), calls.rend(), "CreateFileA ~\\Brindle Apps\\License.txt");
    ASSERT_NE(licence, calls.rend());
    ASSERT_TRUE(makeClash());
    const MachineSnapshot before = Snapshot();
    WatchedRun run = RunFailingAt(calls.rend() - licence);
    EXPECT_EQ(run.ExitCode, (int)IDS_COPY_FAILED);
    std::string difference = SnapshotDifference(before, Snapshot());
    EXPECT_TRUE(difference.empty()) << difference;
}

// A file of the killed run held open while the next setup would undo it:
// that setup changes nothing else and ends with 225; once the file is let
// go, the setup after it finishes the undo and installs.
TEST_F(Rollback, AHeldFileKeepsTheUndoForTheNextRun)
{
    const StartingState starting = EARLIER_SAME_FOLDER;
    const MachineSnapshot installed = Uninterrupted(starting);
    ASSERT_TRUE(MakeState(starting));
    const std::vector<std::string> calls = CountCalls();
    const std::string lastCopy =
        "CreateFileA ~\\Brindle Apps\\" + std::string(ShippedFiles[ARRAY_LENGTH(ShippedFiles) - 1]);
    // The copy, the last call that names the file: the look for files in use names it first.
    auto copying = std::find(calls.rbegin(), calls.rend(), lastCopy);
    ASSERT_NE(copying, calls.rend());
    ASSERT_TRUE(MakeState(starting));
    ASSERT_TRUE(RunKilledAt(calls.rend() - copying).Reached);
    {
        HANDLE held = CreateFileA((Apps + "\\" + ProgramFile).c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        const MachineSnapshot whileHeld = Snapshot();
        EXPECT_EQ(RunPlain(Apps), (int)IDS_PRODUCT_RUNNING);
        CloseHandle(held);
        // Only what was undone before the held file changed: the journal is still there.
        EXPECT_TRUE(FileExists(Apps + "\\" + JournalFile));
        EXPECT_NE(whileHeld, Snapshot()) << "nothing was undone";
    }
    EXPECT_EQ(RunPlain(Apps), 0);
    std::string difference = SnapshotDifference(installed, Snapshot());
    EXPECT_TRUE(difference.empty()) << "not as an uninterrupted installation:\n" << difference;
}
