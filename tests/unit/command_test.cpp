// Command lines and the log: switches read as deployment tools write them,
// a folder switch that takes the rest of the line, and a log appended to.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "common/command.h"
#include "common/log.h"
#include "support/sandbox.h"

// The switches of a line, as "NAME" or "NAME=value", "!" for a malformed
// one (reading stops there); a switch named D takes the rest of the line.
static std::vector<std::string> Switches(const char *line)
{
    std::vector<std::string> found;
    SWITCHTEXT text;
    int kind;
    while ((kind = ReadSwitch(&line, &text)) != SWITCH_END) {
        if (text.Name && SwitchIs(&text, "d"))
            TakeRest(&line, &text);
        else if (kind == SWITCH_MALFORMED) {
            found.push_back("!");
            break;
        }
        std::string name(text.Name, text.NameLength);
        found.push_back(text.Value ? name + "=" + std::string(text.Value, text.ValueLength) : name);
    }
    return found;
}

TEST(CommandLine, SwitchesAreReadAsDeploymentToolsWriteThem)
{
    using V = std::vector<std::string>;
    const struct {
        const char *Line;
        V Expected;
    } cases[] = {
        { "", V{} },
        { "   \t ", V{} },
        { "/S", V{ "S" } },
        { "  /s\t/P  ", V{ "s", "P" } },
        { "/LOG=C:\\Logs\\setup.log /S", V{ "LOG=C:\\Logs\\setup.log", "S" } },
        { "/LOG=\"C:\\Deploy Logs\\setup.log\" /S", V{ "LOG=C:\\Deploy Logs\\setup.log", "S" } },
        { "/SHORTCUT=none", V{ "SHORTCUT=none" } },
        { "/LOG=", V{ "LOG=" } },
        { "/?", V{ "?" } },
        // The folder is the rest of the line, blanks and all, its end trimmed.
        { "/S /D=C:\\Program Files\\Brindle Apps  ", V{ "S", "D=C:\\Program Files\\Brindle Apps" } },
        { "/D=\"C:\\Program Files\\Brindle Apps\"", V{ "D=C:\\Program Files\\Brindle Apps" } },
        { "/d=D:\\", V{ "d=D:\\" } },
        { "/D=C:\\Apps /LOG=x", V{ "D=C:\\Apps /LOG=x" } },
        { "/D=\"C:\\a\" \"b\"", V{ "D=\"C:\\a\" \"b\"" } },
        { "/D=\"C:\\Apps", V{ "D=\"C:\\Apps" } },
        { "/D", V{ "D" } },
        // Not switches, or not closed.
        { "S", V{ "!" } },
        { "/S setup", V{ "S", "!" } },
        { "/", V{ "!" } },
        { "/ S", V{ "!" } },
        { "/LOG=\"C:\\Deploy Logs\\setup.log", V{ "!" } },
        { "/LOG=\"a\"b", V{ "!" } },
        { "/LOG=a\"b\"", V{ "!" } },
        { "/\"S\"", V{ "!" } },
    };
    for (const auto &c : cases)
        EXPECT_EQ(Switches(c.Line), c.Expected) << "[" << c.Line << "]";
}

TEST(CommandLine, NamesMatchInAnyCaseButWhole)
{
    const struct {
        const char *Line, *Name;
        bool Matches;
    } cases[] = {
        { "/shortcut=all", "SHORTCUT", true }, { "/ShortCut", "SHORTCUT", true }, { "/SHORT", "SHORTCUT", false },
        { "/SHORTCUTS", "SHORTCUT", false },   { "/LOG", "LOG", true },           { "/L", "LOG", false },
    };
    for (const auto &c : cases) {
        const char *line = c.Line;
        SWITCHTEXT text;
        ASSERT_EQ(ReadSwitch(&line, &text), SWITCH_READ) << c.Line;
        EXPECT_EQ(SwitchIs(&text, c.Name) != 0, c.Matches) << c.Line;
    }
}

TEST(CommandLine, ValuesAreCopiedOnlyWhenTheyFit)
{
    const char *line = "/LOG=abcdef";
    SWITCHTEXT text;
    char to[8] = "xxxxxxx";
    ASSERT_EQ(ReadSwitch(&line, &text), SWITCH_READ);
    EXPECT_FALSE(CopyValue(to, 6, &text));
    EXPECT_TRUE(CopyValue(to, 7, &text));
    EXPECT_STREQ(to, "abcdef");
    line = "/LOG=";
    ASSERT_EQ(ReadSwitch(&line, &text), SWITCH_READ);
    EXPECT_FALSE(CopyValue(to, sizeof to, &text));
}

// A quoted command is read back to the very path it was made of.
TEST(CommandLine, QuotedCommandsGiveBackTheirProgram)
{
    char command[MAX_PATH + 16];
    for (const char *program : { "C:\\Program Files\\Brindlecast\\Uninstal.exe", "D:\\Uninstal.exe" }) {
        QuotedCommand(command, program, " /S");
        EXPECT_EQ(std::string(command), "\"" + std::string(program) + "\" /S");
        EXPECT_STREQ(CommandProgram(command), program);
    }
    char bare[] = "C:\\Apps\\Uninstal.exe";
    EXPECT_STREQ(CommandProgram(bare), "C:\\Apps\\Uninstal.exe");
}

TEST(Log, LinesAreAppendedWithTheTime)
{
    std::string folder = MakeScratchDir("log");
    std::string path = folder + "\\setup.log";
    WriteBytes(path, "earlier run\r\n");
    ASSERT_TRUE(OpenLog(path.c_str()));
    LogLine("Copied %s", "C:\\Apps\\Tessel.exe");
    LogLine("Result: %u", 212u);
    CloseLog();
    LogLine("not written: no log is open");

    std::string text = ReadBytes(path);
    ASSERT_EQ(text.rfind("earlier run\r\n", 0), 0u) << text;
    std::vector<std::string> lines;
    for (size_t at = 13, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    ASSERT_EQ(lines.size(), 2u) << text;
    const std::string stamp = "9999-99-99 99:99:99 ";
    for (const std::string &line : lines) {
        ASSERT_GE(line.size(), stamp.size());
        for (size_t i = 0; i < stamp.size(); i++)
            EXPECT_TRUE(stamp[i] == '9' ? line[i] >= '0' && line[i] <= '9' : line[i] == stamp[i]) << line;
    }
    EXPECT_EQ(lines[0].substr(20), "Copied C:\\Apps\\Tessel.exe");
    EXPECT_EQ(lines[1].substr(20), "Result: 212");
    DeleteTree(folder);
}

TEST(Log, AFileThatCannotBeWrittenIsNoLog)
{
    std::string folder = MakeScratchDir("log-missing");
    EXPECT_FALSE(OpenLog((folder + "\\no such folder\\setup.log").c_str()));
    EXPECT_FALSE(OpenLog(folder.c_str()));
    LogLine("nowhere");
    CloseLog();
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{});
    DeleteTree(folder);
}
