// Failure reports: every message number shows its exact text and the fixed suffix.
#include <gtest/gtest.h>
#include "driver/driver.h"
#include "support/fault.h"
#include "support/setupstate.h"
#include "support/messages.h"
#include <vector>

TEST(ReportFailure, ShowsMessageAndSuffixInAnUnownedCaptionlessErrorBox)
{
    ResetSetupState();
    SetupState.StepMessageId = IDS_NO_MODULE_HANDLE;
    BoxCapture boxes;
    ReportFailure(NULL);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, ExpectedReport(IDS_NO_MODULE_HANDLE));
    EXPECT_TRUE(boxes.Boxes[0].NullCaption);
    EXPECT_EQ(boxes.Boxes[0].Owner, (HWND)NULL);
    EXPECT_EQ(boxes.Boxes[0].Type, (UINT)MB_ICONERROR);
}

// Numbers without a string: the box still comes, with the suffix alone.
static const BYTE MissingNumbers[] = { 0, 207, 223, 255 };

// A file name is put in where a message has a %s; the others ignore it.
TEST(ReportFailure, EveryMessageNumberShowsItsTextThenTheSuffixInTheOwnersErrorBox)
{
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    ASSERT_NE(owner, (HWND)NULL);
    std::vector<MessageText> reports(std::begin(MessageTexts), std::end(MessageTexts));
    for (BYTE missing : MissingNumbers)
        reports.push_back({ missing, "" });
    for (const auto &report : reports) {
        SCOPED_TRACE("message " + std::to_string(report.Id));
        ResetSetupState();
        SetupState.StepMessageId = (BYTE)report.Id;
        SetupState.StepMessageInsert = "Tessel.hlp";
        BoxCapture boxes(IDCANCEL);
        ReportFailure(owner);
        ASSERT_EQ(boxes.Boxes.size(), 1u);
        EXPECT_EQ(boxes.Boxes[0].Text, WithName(report.Text, "Tessel.hlp") + ReportSuffix);
        EXPECT_TRUE(boxes.Boxes[0].NullCaption);
        EXPECT_EQ(boxes.Boxes[0].Owner, owner);
        EXPECT_EQ(boxes.Boxes[0].Type, (UINT)(MB_OK | MB_ICONERROR));
        EXPECT_EQ(SetupState.StepMessageId, (BYTE)report.Id) << "the report changes no state";
    }
    DestroyWindow(owner);
}
