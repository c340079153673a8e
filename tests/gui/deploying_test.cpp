// Every command line of docs/deploying.md, run by cmd as written there, with
// the test's setup folder and scratch folder in place of the guide's share
// and folders: each installs or removes Brindlecast and ends with 0.
#include "support/gui.h"
#include "support/unattended.h"
#include "support/uninstall_run.h"

struct GuideCommand {
    std::string Tag, Line;
};

// The blocks of the guide marked "<!-- run: tag -->", a line each.
static std::vector<GuideCommand> GuideCommands()
{
    std::vector<GuideCommand> commands;
    std::string text = ReadBytes(DEPLOYING_GUIDE), marker = "<!-- run: ";
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1)) {
        size_t tagEnd = text.find(" -->", at), open = text.find("```cmd\n", at);
        size_t line = open + 7, end = text.find('\n', line);
        if (tagEnd == std::string::npos || open == std::string::npos || end == std::string::npos)
            break;
        commands.push_back({ text.substr(at + marker.size(), tagEnd - at - marker.size()), text.substr(line, end - line) });
    }
    return commands;
}

static std::string Replaced(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

static std::string Environment(const char *name)
{
    char value[MAX_PATH] = "";
    GetEnvironmentVariableA(name, value, sizeof value);
    return value;
}

class DeployingGuide : public FolderGuiTest {
protected:
    void TearDown() override
    {
        FolderGuiTest::TearDown();
        DeleteTree(Environment("ProgramFiles") + "\\Brindlecast");
        DeleteTree(DefaultInstallFolder());
    }

    // Runs the line from a batch file in the folder, as a deployment agent
    // runs a command; returns cmd's exit code.
    int RunLine(const std::string &line, const std::string &folder)
    {
        std::string batch = Scratch + "\\command.cmd";
        WriteBytes(batch, "@echo off\r\n" + line + "\r\n");
        SetupRun run = StartProgram("cmd /c \"" + batch + "\"", folder);
        return WaitForExit(run, 60000);
    }
};

TEST_F(DeployingGuide, EveryCommandLineRunsAsWritten)
{
    std::string media = Stage("deploying guide"), package = Scratch + "\\package";
    for (const char *folder : { "", "\\tools", "\\tools\\setup" })
        CreateDirectoryA((package + folder).c_str(), NULL);
    StageMedia(package + "\\tools\\setup");
    ASSERT_TRUE(CopyFileA((media + "\\Setup.exe").c_str(), (package + "\\tools\\setup\\Setup.exe").c_str(), FALSE))
        << GetLastError() << " " << media;
    std::string programFiles = Environment("ProgramFiles") + "\\Brindlecast";
    std::string startupLog = Environment("WINDIR") + "\\Temp\\Brindlecast-install.log";
    const struct {
        const char *Tag;
        std::string Folder;   // where it installs; empty for a removal
        std::string RunIn;
    } expected[] = {
        { "install", programFiles, media },       { "uninstall", "", media },
        { "install", programFiles, media },       { "uninstall", "", media },
        { "startup-script", programFiles, media }, { "winget-silent", Scratch + "\\Brindle Cast", media },
        { "winget-progress", DefaultInstallFolder(), media }, { "chocolatey", DefaultInstallFolder(), package },
    };
    std::vector<GuideCommand> commands = GuideCommands();
    ASSERT_EQ(commands.size(), std::size(expected));
    for (size_t i = 0; i < commands.size(); i++) {
        const auto &e = expected[i];
        std::string line = Replaced(Replaced(commands[i].Line, "\\\\server\\share\\Brindlecast", media), "C:\\Apps",
                                    Scratch);
        SCOPED_TRACE(commands[i].Tag + ": " + line);
        ASSERT_EQ(commands[i].Tag, e.Tag);
        if (e.Folder.empty()) {
            // A removal of what the install line before it installed.
            ASSERT_TRUE(FileExists(programFiles + "\\Uninstal.exe"));
            EXPECT_EQ(RunLine(line, e.RunIn), 0);
            EXPECT_TRUE(WaitForTempCopies());
            EXPECT_FALSE(DirExists(programFiles));
            ExpectNoRegistry();
            continue;
        }
        ResetMachine();
        EXPECT_EQ(RunLine(line, e.RunIn), 0);
        ExpectShippedFiles(e.Folder);
        // What the deployment tools detect the installation by.
        EXPECT_EQ(ReadRegValue(HKEY_LOCAL_MACHINE, UninstallEntryKey, "DisplayVersion").Data, std::string("1.26") + '\0');
        if (e.Tag == std::string("startup-script")) {
            // At the next start it finds the program and runs nothing: the
            // log it shares with the install line above gains no line.
            std::vector<std::string> before = LogLines(startupLog);
            ASSERT_FALSE(before.empty());
            EXPECT_EQ(before.back(), "Exit code 0");
            EXPECT_EQ(RunLine(line, e.RunIn), 0);
            EXPECT_EQ(LogLines(startupLog), before);
        }
        if (e.Folder != programFiles)
            DeleteTree(e.Folder);
    }
}
