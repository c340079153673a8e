// Failure reports: every message number shows its exact text and the fixed suffix.
#include <gtest/gtest.h>
#include "driver/driver.h"
#include "support/fault.h"
#include "support/setupstate.h"

static const char Suffix[] = "\r\rSee the readme.txt file for additional help.";

TEST(ReportFailure, ShowsMessageAndSuffixInAnUnownedCaptionlessErrorBox)
{
    ResetSetupState();
    SetupState.StepMessageId = IDS_NO_MODULE_HANDLE;
    BoxCapture boxes;
    ReportFailure(NULL);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, std::string("Can't get module handle.") + Suffix);
    EXPECT_TRUE(boxes.Boxes[0].NullCaption);
    EXPECT_EQ(boxes.Boxes[0].Owner, (HWND)NULL);
    EXPECT_EQ(boxes.Boxes[0].Type, (UINT)MB_ICONERROR);
}

static const struct {
    BYTE Id;
    const char *Text;   // "" where the string table has no entry
} Reports[] = {
    { 202, "Can't register window class." },
    { 203, "Can't load icon." },
    { 204, "Can't load cursor." },
    { 205, "Can't create window." },
    { 206, "Can't get module handle." },
    { 208, "Can't allocate/re-allocate memory." },
    { 209, "Can't lock/unlock memory." },
    { 210, "Can't get setup program path." },
    { 211, "Can't set current folder." },
    { 212, "Can't copy file from setup folder." },
    { 213, "Can't create install directory." },
    { 214, "Invalid drive. Use the form C:\\." },
    { 215, "Path to install directory doesn't exist. Enter a vaild path." },
    { 216, "Could not access install directory. Try another." },
    { 217, "Invalid path specification. Can't have consecutive \\'s." },
    { 218, "Invalid Windows version detected. Windows 95, NT 3.5, or above required." },
    { 219, "Missing or altered LICENSE.TXT file. You need to have all unmodified setup files present for the "
           "setup program to work." },
    { 220, "Unable to modify registry. If you are using Windows NT, you must have the proper authority, else try "
           "rebooting." },
    // Numbers without a string: the box still comes, with the suffix alone.
    { 0, "" },
    { 207, "" },
    { 221, "" },
    { 255, "" },
};

TEST(ReportFailure, EveryMessageNumberShowsItsTextThenTheSuffixInTheOwnersErrorBox)
{
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    ASSERT_NE(owner, (HWND)NULL);
    for (const auto &report : Reports) {
        SCOPED_TRACE("message " + std::to_string(report.Id));
        ResetSetupState();
        SetupState.StepMessageId = report.Id;
        BoxCapture boxes(IDCANCEL);
        ReportFailure(owner);
        ASSERT_EQ(boxes.Boxes.size(), 1u);
        EXPECT_EQ(boxes.Boxes[0].Text, std::string(report.Text) + Suffix);
        EXPECT_TRUE(boxes.Boxes[0].NullCaption);
        EXPECT_EQ(boxes.Boxes[0].Owner, owner);
        EXPECT_EQ(boxes.Boxes[0].Type, (UINT)(MB_OK | MB_ICONERROR));
        EXPECT_EQ(SetupState.StepMessageId, report.Id) << "the report changes no state";
    }
    DestroyWindow(owner);
}
