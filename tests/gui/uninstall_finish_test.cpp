// The finishing run of the uninstaller's temporary copy started by someone
// else: with a handle that is no ended process, with another uninstaller's
// path, or as the installed uninstaller, it removes nothing and ends in time.
#include "support/uninstall_run.h"
#include "support/child_process.h"
#include "support/installation.h"
#include "support/sandbox.h"
#include "uninstall/uninstall.h"
#include "setup/state.h"

static const char CopyVariable[] = "BRINDLECAST_TEST_FINISH_COPY";
static const char ReportVariable[] = "BRINDLECAST_TEST_FINISH_REPORT";

// In the child: the temporary copy of the uninstaller in the folder given,
// made as the uninstaller makes it, its path written to the report.
static int MakeCopyIfChild()
{
    char folder[MAX_PATH], report[MAX_PATH];
    if (!GetEnvironmentVariableA(CopyVariable, folder, sizeof folder))
        return 0;
    GetEnvironmentVariableA(ReportVariable, report, sizeof report);
    UninstallState.PlatformId = VER_PLATFORM_WIN32_NT;
    wsprintfA(UninstallState.Program, "%s\\Uninstal.exe", folder);
    if (!MakeTempCopy())
        ExitProcess(1);
    WriteBytes(report, UninstallState.Copy);
    ExitProcess(0);
}
static int ChildMode = MakeCopyIfChild();

class UninstallFinish : public UninstallGuiTest {
protected:
    std::string MakeCopy()
    {
        std::string report = Scratch + "\\copy.txt";
        SetEnvironmentVariableA(ReportVariable, report.c_str());
        EXPECT_EQ(RunSelf(CopyVariable, Folder), 0);
        SetEnvironmentVariableA(ReportVariable, NULL);
        return ReadBytes(report);
    }

    static std::string Hex(HANDLE handle)
    {
        char text[16];
        wsprintfA(text, "%lx", (DWORD)(UINT_PTR)handle);
        return text;
    }
};

TEST_F(UninstallFinish, ForgedCommandLinesRemoveNothingAndEndInTime)
{
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
    std::string uninstaller = Folder + "\\Uninstal.exe";
    std::string other = Scratch + "\\Other Vendor";
    CreateDirectoryA(other.c_str(), NULL);
    std::string foreign = other + "\\Uninstal.exe";
    ASSERT_TRUE(CopyFileA((std::string(SETUP_MEDIA_DIR) + "\\Uninstal.exe").c_str(), foreign.c_str(), FALSE));

    // Handles the runs inherit: a process that has ended (a finishing run
    // with nothing to finish), its thread, ended too but no process, and
    // this process, which runs on.
    SetupRun done = StartProgram("\"" + foreign + "\" /F:");
    ASSERT_TRUE(done.Started);
    HANDLE ended, thread, running;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), done.Process.hProcess, GetCurrentProcess(), &ended, 0, TRUE,
                                DUPLICATE_SAME_ACCESS));
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), done.Process.hThread, GetCurrentProcess(), &thread, 0, TRUE,
                                DUPLICATE_SAME_ACCESS));
    EXPECT_EQ(WaitForExit(done), 1);
    ASSERT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &running, 0, TRUE,
                                DUPLICATE_SAME_ACCESS));

    // On the Windows 95 family anyone may write the record beside a copy:
    // even then only a file of the uninstaller's name is ever removed.
    std::string document = other + "\\Readme.txt", relabelled = MakeCopy();
    WriteBytes(document, "someone else's");
    WriteBytes(relabelled.substr(0, relabelled.rfind('\\') + 1) + TempCopyRecord, document);

    struct Forged {
        const char *Name;
        std::string Program, Handle, Target;
        SetupRun Run;
    } forged[] = {
        { "the installed uninstaller", uninstaller, "0", foreign, {} },
        { "no handle", MakeCopy(), "0", uninstaller, {} },
        { "this process's own handle", MakeCopy(), "ffffffff", uninstaller, {} },
        { "a process that runs on", MakeCopy(), Hex(running), uninstaller, {} },
        { "an ended thread", MakeCopy(), Hex(thread), uninstaller, {} },
        { "a record naming a file of another name", relabelled, Hex(ended), document, {} },
        { "another uninstaller than its record names", MakeCopy(), Hex(ended), foreign, {} },
    };
    for (Forged &f : forged) {
        ASSERT_NE(f.Program, "") << f.Name;
        f.Run = StartProgram("\"" + f.Program + "\" /F:" + f.Handle + " " + f.Target);
        ASSERT_TRUE(f.Run.Started) << f.Name << ": error " << GetLastError();
    }
    for (Forged &f : forged)
        EXPECT_EQ(WaitForExit(f.Run, FINISH_WAIT + 30000), 1) << f.Name;
    ExpectShippedFiles(Folder);
    EXPECT_EQ(FilesIn(other), (std::vector<std::string>{ "Readme.txt", "Uninstal.exe" }));

    // The same copy started as its uninstaller starts it does remove it.
    SetupRun genuine = StartProgram("\"" + MakeCopy() + "\" /F:" + Hex(ended) + " " + uninstaller);
    EXPECT_EQ(WaitForExit(genuine, FINISH_WAIT + 30000), 0);
    EXPECT_FALSE(FileExists(uninstaller));
    CloseHandle(ended);
    CloseHandle(thread);
    CloseHandle(running);
}
