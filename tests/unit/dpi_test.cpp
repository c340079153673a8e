// Every page at 96, 120 and 144 dots per inch: each control's text fits
// inside its control and each control inside its page. The program declares
// itself DPI-aware, so Windows draws the pages at the screen's own DPI
// instead of stretching them. Each DPI is measured in a child copy of this
// test program started after the setting changed, since a process reads it
// when it starts; the child builds the real pages from the real templates.
#include <gtest/gtest.h>
#include <cstdio>
#include <sstream>
#include "screens/screens.h"
#include "support/pages.h"
#include "support/installation.h"
#include "support/sandbox.h"
#include "support/setupstate.h"
#include "support/child_process.h"

static const char ReportVariable[] = "BRINDLECAST_TEST_DPI_REPORT";
static const char DesktopKey[] = "Control Panel\\Desktop";

static const struct {
    int Template;
    DLGPROC Procedure;
} Pages[] = {
    { IDD_WELCOME, WelcomePage }, { IDD_AGREEMENT, AgreementPage }, { IDD_DIRECTORY, DirectoryPage },
    { IDD_PROGRESS, ProgressPanel }, { IDD_FINISH, FinishPage },
};

// The room a control's text needs, in the control's own font, laid out the
// way the control lays it out; empty when the control shows no text of its own.
static SIZE Needed(HWND control, HDC context, const std::string &kind, LONG style, const RECT &client)
{
    char text[512] = "";
    GetWindowTextA(control, text, sizeof text);
    TEXTMETRICA metrics;
    GetTextMetricsA(context, &metrics);
    RECT box = { 0, 0, client.right, 0 };
    if (kind == "Edit")   // the text scrolls; one whole line must show
        return { 0, metrics.tmHeight };
    if (kind == "Static") {
        if ((style & SS_TYPEMASK) == SS_ICON)
            return { 0, 0 };
        DrawTextA(context, text, -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        return { box.right, box.bottom };
    }
    DrawTextA(context, text, -1, &box, DT_CALCRECT | DT_SINGLELINE);
    if ((style & BS_TYPEMASK) == BS_AUTORADIOBUTTON)   // the round box and its gap come first
        return { box.right + GetSystemMetrics(SM_CXMENUCHECK), box.bottom };
    // A push button's raised edge and focus rectangle on every side.
    return { box.right + 2 * (GetSystemMetrics(SM_CXEDGE) + 1), box.bottom + 2 * GetSystemMetrics(SM_CYEDGE) };
}

// One line per page and per control that does not fit, then "checked N".
static void MeasurePage(FILE *report, int id, DLGPROC procedure, int *checked)
{
    HWND page = CreateDialogParamA(SetupState.Instance, MAKEINTRESOURCEA(id), NULL, procedure, 0);
    if (!page) {
        fprintf(report, "FAIL page %d not created\n", id);
        return;
    }
    if (id == IDD_PROGRESS) {
        SetStatusText(page, IDC_STATUS_COPY, IDS_COPYING);
        SetStatusText(page, IDC_STATUS_REGISTRY, IDS_UPDATING_REGISTRY);
    }
    RECT area;
    GetClientRect(page, &area);
    fprintf(report, "page %d %ldx%ld\n", id, area.right, area.bottom);
    for (HWND control = GetWindow(page, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        RECT client, placed;
        GetClientRect(control, &client);
        GetWindowRect(control, &placed);
        MapWindowPoints(NULL, page, (POINT *)&placed, 2);
        char text[80] = "";
        GetWindowTextA(control, text, sizeof text);
        if (placed.left < 0 || placed.top < 0 || placed.right > area.right || placed.bottom > area.bottom)
            fprintf(report, "FAIL page %d: '%s' at %ld,%ld-%ld,%ld leaves the page of %ldx%ld\n", id, text,
                    placed.left, placed.top, placed.right, placed.bottom, area.right, area.bottom);
        HDC context = GetDC(control);
        HGDIOBJ previous = SelectObject(context, (HFONT)SendMessageA(control, WM_GETFONT, 0, 0));
        SIZE needed = Needed(control, context, ClassOf(control), GetWindowLongA(control, GWL_STYLE), client);
        SelectObject(context, previous);
        ReleaseDC(control, context);
        if (needed.cx > client.right || needed.cy > client.bottom)
            fprintf(report, "FAIL page %d: '%s' needs %ldx%ld in %ldx%ld\n", id, text, needed.cx, needed.cy,
                    client.right, client.bottom);
        (*checked)++;
    }
    DestroyWindow(page);
}

// In the child: the pages as the setup shows them, on a machine where the
// all-users choice is offered, with the shipped agreement text.
static int MeasurePagesIfChild()
{
    char path[MAX_PATH];
    if (!GetEnvironmentVariableA(ReportVariable, path, sizeof path))
        return 0;
    FILE *report = fopen(path, "w");
    if (!report)
        ExitProcess(2);
    ResetSetupState();
    SetupState.PlatformId = VER_PLATFORM_WIN32_NT;
    PutAgreementText(ShippedLicense());

    HDC screen = GetDC(NULL);
    fprintf(report, "dpi %d\n", GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(NULL, screen);
    int checked = 0;
    for (const auto &page : Pages)
        MeasurePage(report, page.Template, page.Procedure, &checked);
    fprintf(report, "checked %d\n", checked);
    fclose(report);
    ExitProcess(0);
}
static int ChildMode = MeasurePagesIfChild();

TEST(PagesAtScreenDpi, EveryTextFitsItsControlAndEveryControlItsPage)
{
    std::string folder = MakeScratchDir("dpi");
    std::string report = folder + "\\pages.txt";
    RegValue saved = ReadRegValue(HKEY_CURRENT_USER, DesktopKey, "LogPixels");
    for (DWORD dpi : { 96, 120, 144 }) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        SetRegDword(HKEY_CURRENT_USER, DesktopKey, "LogPixels", dpi);
        DeleteFileA(report.c_str());
        EXPECT_EQ(RunSelf(ReportVariable, report), 0);

        std::istringstream lines(ReadBytes(report));
        std::string line, failures;
        int seenDpi = 0, pages = 0, checked = 0;
        while (std::getline(lines, line)) {
            sscanf(line.c_str(), "dpi %d", &seenDpi);
            sscanf(line.c_str(), "checked %d", &checked);
            pages += line.rfind("page ", 0) == 0;
            if (line.rfind("FAIL", 0) == 0)
                failures += line + "\n";
        }
        EXPECT_EQ(seenDpi, (int)dpi) << "the setting did not reach the child";
        EXPECT_EQ(pages, (int)(sizeof Pages / sizeof Pages[0]));
        EXPECT_GT(checked, 20);
        EXPECT_EQ(failures, "");
    }
    if (saved.Found)
        SetRegDword(HKEY_CURRENT_USER, DesktopKey, "LogPixels", *(const DWORD *)saved.Data.data());
    else {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, DesktopKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "LogPixels");
            RegCloseKey(key);
        }
    }
    DeleteTree(folder);
}
