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
