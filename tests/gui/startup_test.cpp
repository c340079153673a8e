// Whole runs of Setup.exe: start-up and the first pages.
#include "support/gui.h"
#include "resources/resource.h"

TEST_F(GuiTest, WelcomeThenCancelEndsWithExitCodeOne)
{
    Run = StartSetup(StageSetupFolder("welcome-cancel"));
    ASSERT_TRUE(Run.Started);
    HWND welcome = WaitForPage(Run, IDD_WELCOME);
    ASSERT_NE(welcome, (HWND)NULL);
    EXPECT_EQ(WindowText(welcome), "Brindlecast 1.26 Trial Setup");
    Click(welcome, IDCANCEL);
    EXPECT_EQ(WaitForExit(Run), 1);
}
