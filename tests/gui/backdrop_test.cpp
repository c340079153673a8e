// The backdrop of a real run, read back from the screen's pixels while the
// welcome page is up.
#include "support/gui.h"
#include "support/screen.h"
#include "resources/resource.h"

static const COLORREF Navy = RGB(0, 0, 128), Black = TitlePasses[0].Colour, Grey = TitlePasses[1].Colour,
                      DarkRed = TitlePasses[2].Colour;

TEST_F(GuiTest, BackdropCoversTheScreenInNavyWithTheTitleInThreeColours)
{
    Run = StartSetup(StageSetupFolder("backdrop"));
    ASSERT_TRUE(Run.Started);
    HWND welcome = WaitForPage(Run, IDD_WELCOME);
    ASSERT_NE(welcome, (HWND)NULL);
    HWND backdrop = BackdropOf(Run);
    ASSERT_NE(backdrop, (HWND)NULL);
    EXPECT_EQ(WindowText(backdrop), SetupTitleText);
    EXPECT_EQ(GetWindowLongA(backdrop, GWL_STYLE) & (WS_POPUP | WS_CAPTION), WS_POPUP);
    EXPECT_TRUE(IsZoomed(backdrop));
    EXPECT_EQ(GetWindow(welcome, GW_OWNER), backdrop);

    ScreenShot shot = GrabScreen();
    RECT screen = { 0, 0, shot.Width, shot.Height }, placed;
    GetWindowRect(backdrop, &placed);
    EXPECT_TRUE(EqualRect(&placed, &screen)) << "the backdrop does not cover the screen";

    // Where the three passes start on this screen: hundredths of an inch
    // below and right of the top-left corner.
    HDC context = GetDC(NULL);
    SetMapMode(context, MM_LOENGLISH);
    POINT at[] = { { TitlePasses[2].X, TitlePasses[2].Y }, { TitlePasses[0].X, TitlePasses[0].Y },
                   { TitlePasses[1].X, TitlePasses[1].Y }, { 0, -100 } };
    LPtoDP(context, at, 4);
    SIZE extent = {};
    LOGFONTA font = TitleLookFont();
    HFONT title = CreateFontIndirectA(&font);
    HGDIOBJ previous = SelectObject(context, title);
    GetTextExtentPoint32A(context, SetupTitleText, lstrlenA(SetupTitleText), &extent);
    SelectObject(context, previous);
    DeleteObject(title);
    POINT width[] = { { 0, 0 }, { extent.cx, 0 } };
    LPtoDP(context, width, 2);
    ReleaseDC(NULL, context);
    const POINT red = at[0], black = at[1], grey = at[2];
    const int bandBottom = at[3].y, titleWidth = width[1].x - width[0].x;

    // Navy everywhere but the title band and the page.
    RECT page;
    GetWindowRect(welcome, &page);
    int other = 0;
    for (int y = bandBottom; y < shot.Height; y++)
        for (int x = 0; x < shot.Width; x++) {
            POINT pixel = { x, y };
            if (!PtInRect(&page, pixel))
                other += shot.At(x, y) != Navy;
        }
    EXPECT_EQ(other, 0) << "pixels below the title that are not navy";
    RECT band = { 0, 0, shot.Width, bandBottom };
    EXPECT_GT(FindColour(shot, Navy, band).Count, 0);

    // The dark red pass lies on top and begins at its place, not centred.
    ColourBounds redSeen = FindColour(shot, DarkRed, band);
    ColourBounds blackSeen = FindColour(shot, Black, band);
    ColourBounds greySeen = FindColour(shot, Grey, band);
    ASSERT_GT(redSeen.Count, 500);
    ASSERT_GT(blackSeen.Count, 100);
    ASSERT_GT(greySeen.Count, 50);
    EXPECT_GE(redSeen.Left, red.x);
    EXPECT_LE(redSeen.Left, red.x + 10);
    EXPECT_GE(redSeen.Top, red.y);
    EXPECT_LE(redSeen.Top, red.y + 16);
    // All 28 characters and no more, to within the slant of the last one.
    EXPECT_NEAR(redSeen.Right, red.x + titleWidth, 12);
    // The shadow sticks out right and below, the rim right and above.
    EXPECT_NEAR(blackSeen.Right - redSeen.Right, black.x - red.x, 1);
    EXPECT_NEAR(blackSeen.Bottom - redSeen.Bottom, black.y - red.y, 1);
    EXPECT_NEAR(greySeen.Right - redSeen.Right, grey.x - red.x, 1);
    EXPECT_NEAR(greySeen.Top - redSeen.Top, grey.y - red.y, 1);

    Click(welcome, IDCANCEL);
    EXPECT_EQ(WaitForExit(Run, 5000), 1);
}
