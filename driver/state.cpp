// The run's state record, the fixed texts, and the one way a failure is shown.
#include "driver.h"

SETUPSTATE SetupState = {
    .TitleFont = {
        -50, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET,
        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
        VARIABLE_PITCH | FF_SWISS, ""
    }
};

const char SetupClassName[] = "SetupClass";
const char SetupTitle[] = "Brindlecast 1.26 Trial Setup";
const char ProductName[] = "Brindlecast";
const char FallbackInstallDir[] = "C:\\Brindlecast";
const char MakerName[] = "Tarnwicke";
const char VersionName[] = "1.26";

static const char ReportSuffix[] = "\r\rSee the readme.txt file for additional help.";

char *CopyText(char *to, const char *from)
{
    while ((*to = *from++) != 0)
        to++;
    return to;
}

char *AppendText(char *to, const char *from)
{
    return CopyText(to + lstrlenA(to), from);
}

char *LastBackslash(char *text)
{
    char *found = 0;
    for (; *text; text++)
        if (*text == '\\')
            found = text;
    return found;
}

void ReportFailure(HWND owner)
{
    // Room for a full string-table entry and the suffix, so no message can
    // push the suffix past the end.
    char text[256 + sizeof ReportSuffix];
    int length = LoadStringA(SetupState.Instance, SetupState.StepMessageId, text, 256);

    CopyText(text + length, ReportSuffix);
    MessageBoxA(owner, text, NULL, MB_ICONERROR);
}
