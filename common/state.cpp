// The run's state record and the one way a failure is shown.
#include "state.h"

SETUPSTATE SetupState = {
    .TitleFont = {
        -50, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET,
        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
        VARIABLE_PITCH | FF_SWISS, ""
    }
};

static const char ReportSuffix[] = "\r\rSee the readme.txt file for additional help.";

char *InstallFolderPath(char *to, const char *name)
{
    return JoinPath(to, SetupState.InstallPath, name);
}

// A message may name a file at its %s (and would write a percent sign as %%).
void ReportFailure(HWND owner)
{
    // Room for a full string-table entry with a name put in and the suffix,
    // so no message can push the suffix past the end.
    char format[256];
    char text[256 + MAX_PATH + sizeof ReportSuffix];
    int length;

    if (!LoadStringA(SetupState.Instance, SetupState.StepMessageId, format, sizeof format))
        format[0] = 0;
    length = wsprintfA(text, format, SetupState.StepMessageInsert);
    CopyText(text + length, ReportSuffix);
    MessageBoxA(owner, text, NULL, MB_ICONERROR);
}
