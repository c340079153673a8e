// The run's state record and the one way a failure is shown.
#include "state.h"

SETUPSTATE SetupState;

static const char ReportSuffix[] = "\r\rSee the readme.txt file for additional help.";

char *InstallFolderPath(char *to, const char *name)
{
    return JoinPath(to, SetupState.InstallPath, name);
}

// A message may name a file at its %s (and would write a percent sign as %%).
void ReportFailure(HWND owner, UINT message)
{
    // wsprintfA writes at most 1024 characters: a full string-table entry
    // with the longest name fits, and the suffix always has its room.
    char format[256], text[1024 + sizeof ReportSuffix];

    format[LoadStringA(SetupState.Instance, message, format, sizeof format)] = 0;
    CopyText(text + wsprintfA(text, format, SetupState.StepMessageInsert), ReportSuffix);
    LogLine("Message %u: %s", message, text);
    if (SetupState.RunMode == RUN_WITH_PAGES)
        MessageBoxA(owner, text, NULL, MB_ICONERROR);
}

int AskOrTell(HWND owner, const char *text, UINT type)
{
    LogLine("%s", text);
    if (SetupState.RunMode != RUN_WITH_PAGES)
        return IDYES;
    return MessageBoxA(owner, text, SetupTitle, type);
}
