// The backdrop window in-process, as a user sees it: its icon, pointer and
// colour, the title painted on it, and where registering its class stops.
#include <gtest/gtest.h>
#include <vector>
#include "screens/screens.h"
#include "support/fault.h"
#include "support/messages.h"
#include "support/screen.h"
#include "support/setupstate.h"

// The registration's platform calls, counted; the icon or the cursor can be
// made to fail.
static struct {
    int IconCalls, CursorCalls, ClassCalls;
    bool FailIcon, FailCursor;
    ImportSwap *IconSwap, *CursorSwap, *ClassSwap;
} Calls;

static HICON WINAPI WatchedIcon(HINSTANCE module, LPCSTR name)
{
    Calls.IconCalls++;
    if (Calls.FailIcon)
        return NULL;
    return ((HICON(WINAPI *)(HINSTANCE, LPCSTR))Calls.IconSwap->Original)(module, name);
}

static HCURSOR WINAPI WatchedCursor(HINSTANCE module, LPCSTR name)
{
    Calls.CursorCalls++;
    if (Calls.FailCursor)
        return NULL;
    return ((HCURSOR(WINAPI *)(HINSTANCE, LPCSTR))Calls.CursorSwap->Original)(module, name);
}

static ATOM WINAPI WatchedClass(const WNDCLASSA *record)
{
    Calls.ClassCalls++;
    return ((ATOM(WINAPI *)(const WNDCLASSA *))Calls.ClassSwap->Original)(record);
}

class BackdropTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetSetupState();
        SetupState.BackdropBrush = CreateSolidBrush(NAVY);
        UnregisterClassA("SetupClass", SetupState.Instance);
    }
    void TearDown() override
    {
        UnregisterClassA("SetupClass", SetupState.Instance);
        DeleteObject(SetupState.BackdropBrush);
    }
    UINT Register(bool failIcon, bool failCursor)
    {
        Calls = {};
        Calls.FailIcon = failIcon;
        Calls.FailCursor = failCursor;
        ImportSwap icon("user32.dll", "LoadIconA", (void *)WatchedIcon);
        ImportSwap cursor("user32.dll", "LoadCursorA", (void *)WatchedCursor);
        ImportSwap windowClass("user32.dll", "RegisterClassA", (void *)WatchedClass);
        Calls.IconSwap = &icon;
        Calls.CursorSwap = &cursor;
        Calls.ClassSwap = &windowClass;
        return RegisterBackdropClass();
    }
};

TEST_F(BackdropTest, AFailingStepLeavesItsNumberAndStopsThere)
{
    EXPECT_EQ(Register(true, false), (UINT)IDS_NO_ICON);
    EXPECT_EQ(Calls.CursorCalls, 0);
    EXPECT_EQ(Calls.ClassCalls, 0);

    EXPECT_EQ(Register(false, true), (UINT)IDS_NO_CURSOR);
    EXPECT_EQ(Calls.ClassCalls, 0);

    // The platform refuses a class registered a second time.
    ASSERT_EQ(Register(false, false), 0u);
    EXPECT_EQ(Register(false, false), (UINT)IDS_NO_WINDOW_CLASS);
    EXPECT_EQ(Calls.ClassCalls, 1);
}

static HWND CreateBackdrop(int width, int height)
{
    return CreateWindowExA(0, "SetupClass", SetupTitle, WS_POPUP, 0, 0, width, height, NULL, NULL,
                           SetupState.Instance, NULL);
}

// The backdrop shows the setup's icon wherever Windows shows a window's
// icon, the ordinary arrow pointer, and no menu bar.
TEST_F(BackdropTest, ShowsTheSetupIconTheArrowPointerAndNoMenu)
{
    ASSERT_EQ(Register(false, false), 0u);
    WNDCLASSEXA registered = {};
    registered.cbSize = sizeof registered;
    EXPECT_NE(GetClassInfoExA(SetupState.Instance, "SetupClass", &registered), 0);
    HWND backdrop = CreateBackdrop(120, 90);
    ASSERT_NE(backdrop, (HWND)NULL);

    // The icon, as drawn, is the setup's own.
    std::vector<DWORD> setupIcon = IconPixels(LoadIconA(SetupState.Instance, MAKEINTRESOURCEA(IDI_SETUP)));
    ASSERT_FALSE(setupIcon.empty());
    std::vector<DWORD> shown = IconPixels((HICON)GetClassLongPtrA(backdrop, GCLP_HICON));
    ASSERT_FALSE(shown.empty()) << "no icon";
    EXPECT_TRUE(shown == setupIcon) << "another icon";

    // The pointer over the backdrop is the arrow.
    SetCursor(NULL);
    SendMessageA(backdrop, WM_SETCURSOR, (WPARAM)backdrop, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorA(NULL, (LPCSTR)IDC_ARROW));

    EXPECT_EQ(GetMenu(backdrop), (HMENU)NULL);
    DestroyWindow(backdrop);
}

TEST_F(BackdropTest, ErasingFillsTheClientAreaWithNavyItself)
{
    ASSERT_EQ(Register(false, false), 0u);
    HWND backdrop = CreateBackdrop(120, 90);
    ASSERT_NE(backdrop, (HWND)NULL);
    // Whatever DefWindowProcA would do with the message, the window's own
    // handler paints and answers 0.
    Canvas canvas(120, 90);
    EXPECT_EQ(SendMessageA(backdrop, WM_ERASEBKGND, (WPARAM)canvas.Context, 0), 0);
    EXPECT_EQ(canvas.CountOther(NAVY), 0);

    // With a brush that cannot be selected, nothing is painted.
    Canvas untouched(120, 90);
    HBRUSH brush = SetupState.BackdropBrush;
    SetupState.BackdropBrush = NULL;
    SendMessageA(backdrop, WM_ERASEBKGND, (WPARAM)untouched.Context, 0);
    SetupState.BackdropBrush = brush;
    EXPECT_EQ(untouched.CountOther(RGB(255, 255, 255)), 0);

    // Everything else is the platform's: the window text is the title.
    char title[64];
    EXPECT_EQ(GetWindowTextA(backdrop, title, sizeof title), SETUP_TITLE_LENGTH);
    EXPECT_STREQ(title, SetupTitleText);
    DestroyWindow(backdrop);
}

// The fonts made while a watch lives, to see that each is given back.
static struct {
    std::vector<HFONT> Fonts;
    ImportSwap *Swap;
} Made;

static HFONT WINAPI WatchedFont(const LOGFONTA *font)
{
    HFONT made = ((HFONT(WINAPI *)(const LOGFONTA *))Made.Swap->Original)(font);
    Made.Fonts.push_back(made);
    return made;
}

// Each paint shows the title exactly as it is to look: its text, face,
// colours and places; and the fonts made for it are given back.
TEST_F(BackdropTest, EveryPaintShowsTheTitleAsItIsToLookAndGivesItsFontBack)
{
    // Wide enough for the whole title, and the band below it.
    const int width = 1000, height = 110;
    Canvas expected(width, height);
    DrawTitleLook(expected.Context, width, height);
    ASSERT_GT(expected.CountOther(RGB(0, 0, 128)), 1000) << "no title in the look";

    ASSERT_EQ(Register(false, false), 0u);
    Made = {};
    {
        ImportSwap font("gdi32.dll", "CreateFontIndirectA", (void *)WatchedFont);
        Made.Swap = &font;
        HWND backdrop = CreateBackdrop(width, height);
        ASSERT_NE(backdrop, (HWND)NULL);
        ShowWindow(backdrop, SW_SHOWNOACTIVATE);
        for (int paint = 0; paint < 3; paint++) {
            SCOPED_TRACE("paint " + std::to_string(paint));
            InvalidateRect(backdrop, NULL, TRUE);
            UpdateWindow(backdrop);
            Canvas seen(width, height);
            seen.Copy(backdrop);
            EXPECT_EQ(seen.CountDiffering(expected), 0) << "pixels unlike the title's look";
        }
        DestroyWindow(backdrop);
    }
    ASSERT_GT(Made.Fonts.size(), 0u) << "no font made for the title";
    for (HFONT font : Made.Fonts)
        EXPECT_EQ(GetObjectType(font), 0u) << "a title font was left behind";
}
