// Failure reports: every message number shows its exact text and the fixed suffix.
#include <gtest/gtest.h>
#include "driver/driver.h"
#include "support/fault.h"
#include "support/setupstate.h"
#include "support/messages.h"
#include <vector>

// Numbers without a string: the box still comes, with the suffix alone.
// 464 and 476 are 208 and 220 plus 256: a number cut to a byte on its way
// would show those messages instead.
static const UINT MissingNumbers[] = { 0, 207, 226, 255, 256 + IDS_NO_MEMORY, 256 + IDS_REGISTRY_FAILED };

// Whether a window owns the box or nothing does (before the backdrop
// exists), the box is the same caption-less error box. The name a step
// gives stands in the message that has a place for it; the others do not
// show it.
TEST(ReportFailure, EveryMessageNumberShowsItsTextThenTheSuffixInAnErrorBoxOfItsOwner)
{
    static const char Name[] = "Brindlecast Setup.exe.local";
    HWND window = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    ASSERT_NE(window, (HWND)NULL);
    std::vector<MessageText> reports;
    // The list of switches is no failure: it has a box of its own.
    for (const MessageText &message : MessageTexts)
        if (message.Id != IDS_SWITCHES)
            reports.push_back(message);
    for (UINT missing : MissingNumbers)
        reports.push_back({ missing, "" });
    const struct {
        const char *Name;
        HWND Owner;
    } owners[] = {
        { "no owner", NULL },
        { "a window", window },
    };
    for (const auto &owner : owners) {
        for (const auto &report : reports) {
            SCOPED_TRACE(std::string(owner.Name) + ", message " + std::to_string(report.Id));
            ResetSetupState();
            SetupState.StepMessageInsert = Name;
            BoxCapture boxes(IDCANCEL);
            ReportFailure(owner.Owner, report.Id);
            ASSERT_EQ(boxes.Boxes.size(), 1u);
            EXPECT_EQ(boxes.Boxes[0].Text, *report.Text ? ExpectedReport(report.Id, Name) : ReportSuffix);
            EXPECT_TRUE(boxes.Boxes[0].NullCaption);
            EXPECT_EQ(boxes.Boxes[0].Owner, owner.Owner);
            EXPECT_EQ(boxes.Boxes[0].Type, (UINT)(MB_OK | MB_ICONERROR));
        }
    }
    DestroyWindow(window);
}
