// The pages in-process: centring, the progress panel and its status lines,
// the finish page's keys, and the agreement block at every opening.
#include <gtest/gtest.h>
#include <vector>
#include "screens/screens.h"
#include "support/driving.h"
#include "support/fault.h"
#include "support/installation.h"
#include "support/messages.h"
#include "support/pages.h"
#include "support/sandbox.h"
#include "support/screen.h"
#include "support/setupstate.h"

TEST(CenterOnScreen, CentresKeepsTheSizeAndRaisesTheWindow)
{
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    const int wide = desktop.right - desktop.left, high = desktop.bottom - desktop.top;
    const struct { int Width, Height; } sizes[] = {
        { 300, 200 },
        { 301, 201 },
        { wide, high },
        // Larger than the desktop: overhangs both edges by half the excess.
        { wide + 100, high + 60 },
        { wide + 101, high + 61 },
    };
    for (const auto &size : sizes) {
        SCOPED_TRACE(std::to_string(size.Width) + " x " + std::to_string(size.Height));
        HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 7, 5, size.Width, size.Height, NULL,
                                      NULL, NULL, NULL);
        HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL, NULL, NULL, NULL);
        ASSERT_TRUE(window && other);
        ASSERT_TRUE(IsAbove(other, window));

        CenterOnScreen(window);

        RECT placed;
        GetWindowRect(window, &placed);
        POINT expected = CentredAt(size.Width, size.Height);
        EXPECT_EQ(placed.left, expected.x);
        EXPECT_EQ(placed.top, expected.y);
        EXPECT_EQ(placed.right - placed.left, size.Width);
        EXPECT_EQ(placed.bottom - placed.top, size.Height);
        EXPECT_TRUE(IsAbove(window, other));
        DestroyWindow(other);
        DestroyWindow(window);
    }
}

// GetWindowRect failing for its n-th call (counted from 1), else the platform's.
static struct {
    int Calls, Failing;
    ImportSwap *Swap;
} Rects;

static BOOL WINAPI SometimesNoRect(HWND window, LPRECT rect)
{
    if (++Rects.Calls == Rects.Failing)
        return FALSE;
    return ((decltype(&GetWindowRect))Rects.Swap->Original)(window, rect);
}

TEST(CenterOnScreen, AWindowIsLeftWhereItIsWhenARectangleCannotBeRead)
{
    const struct {
        const char *Name;
        int Failing;
    } cases[] = {
        { "the desktop's", 1 },
        { "the window's own", 2 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 7, 5, 300, 200, NULL, NULL, NULL, NULL);
        ASSERT_NE(window, (HWND)NULL);
        Rects = { 0, c.Failing, NULL };
        {
            ImportSwap swap("user32.dll", "GetWindowRect", (void *)SometimesNoRect);
            Rects.Swap = &swap;
            CenterOnScreen(window);
        }
        EXPECT_EQ(Rects.Calls, c.Failing) << "it went on after the failed call";
        RECT placed;
        GetWindowRect(window, &placed);
        EXPECT_EQ(placed.left, 7);
        EXPECT_EQ(placed.top, 5);
        EXPECT_EQ(placed.right - placed.left, 300);
        DestroyWindow(window);
    }
}

class PagesTest : public ::testing::Test {
protected:
    HWND Owner = NULL;
    void SetUp() override
    {
        ResetSetupState();
        Owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, NULL, NULL, NULL, NULL);
        SetupState.BackdropWindow = Owner;
    }
    void TearDown() override
    {
        DestroyWindow(Owner);
    }
};

TEST_F(PagesTest, ProgressPanelShowsAtOnceCentredWithoutCaptionAndIgnoresCommands)
{
    HWND panel = CreateDialogParamA(SetupState.Instance, MAKEINTRESOURCEA(IDD_PROGRESS), Owner, ProgressPanel, 0);
    ASSERT_NE(panel, (HWND)NULL);
    EXPECT_TRUE(IsWindowVisible(panel)) << "visible without being shown";
    EXPECT_EQ(GetWindowTextLengthA(panel), 0);
    EXPECT_NE(GetWindowLongA(panel, GWL_STYLE) & WS_CAPTION, WS_CAPTION) << "a title bar";
    EXPECT_EQ(GetWindow(panel, GW_OWNER), Owner);
    RECT placed;
    GetWindowRect(panel, &placed);
    ExpectCentred(placed);

    for (WPARAM command : { (WPARAM)IDOK, (WPARAM)IDCANCEL, (WPARAM)IDC_BACK, (WPARAM)IDC_STATUS_COPY })
        EXPECT_EQ(ProgressPanel(panel, WM_COMMAND, command, 0), FALSE);
    SendMessageA(panel, WM_COMMAND, IDCANCEL, 0);
    SendMessageA(panel, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(IsWindow(panel) && IsWindowVisible(panel));

    char line[64];
    SetStatusText(panel, IDC_STATUS_COPY, IDS_COPYING);
    GetDlgItemTextA(panel, IDC_STATUS_COPY, line, sizeof line);
    EXPECT_STREQ(line, "Copying files...");
    GetDlgItemTextA(panel, IDC_STATUS_REGISTRY, line, sizeof line);
    EXPECT_STREQ(line, "");
    SetStatusText(panel, IDC_STATUS_REGISTRY, IDS_UPDATING_REGISTRY);
    GetDlgItemTextA(panel, IDC_STATUS_REGISTRY, line, sizeof line);
    EXPECT_STREQ(line, "Updating registry...");
    GetDlgItemTextA(panel, IDC_STATUS_COPY, line, sizeof line);
    EXPECT_STREQ(line, "Copying files...") << "the first line stays";
    DestroyWindow(panel);
}

TEST_F(PagesTest, FinishPageIgnoresEscapeAndEndsWithOneOnEnter)
{
    DWORD thread = GetCurrentThreadId();
    std::string caption;
    HWND focus = NULL;
    HWND ok = NULL;
    RECT placed = {};
    INT_PTR result = RunModalPage(IDD_FINISH, FinishPage, Owner, [&](HWND page) {
        ok = GetDlgItem(page, IDOK);
        char text[64] = "";
        GetWindowTextA(page, text, sizeof text);
        caption = text;
        focus = FocusOf(thread);
        GetWindowRect(page, &placed);
        // Keys are handled in order: had Escape ended the page, Enter would
        // never be seen and the page would end with 2.
        PressKey(thread, VK_ESCAPE);
        PressKey(thread, VK_RETURN);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(caption, SetupTitleText);
    EXPECT_TRUE(ok && focus == ok) << "the focus is not on OK";
    ExpectCentred(placed);
}

TEST_F(PagesTest, FinishPageEndsOnlyOnItsOwnCommand)
{
    INT_PTR result = RunModalPage(IDD_FINISH, FinishPage, Owner, [&](HWND page) {
        PostMessageA(page, WM_COMMAND, IDCANCEL, 0);
        PostMessageA(page, WM_COMMAND, IDC_BACK, 0);
        PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDOK, BN_DOUBLECLICKED), 0);
        PostMessageA(page, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, IDOK);
}

TEST_F(PagesTest, AgreementPageLocksTheTextAnewAtEveryOpeningAndShowsItWhole)
{
    const std::string text = ShippedLicense();
    ASSERT_FALSE(text.empty());
    PutAgreementText(text);

    for (UINT opening = 1; opening <= 2; opening++) {
        SCOPED_TRACE("opening " + std::to_string(opening));
        std::string shown;
        UINT limit = 0, locks = 0;
        INT_PTR result = RunModalPage(IDD_AGREEMENT, AgreementPage, Owner, [&](HWND page) {
            HWND field = GetDlgItem(page, IDC_AGREEMENT_TEXT);
            std::string buffer(8192, 0);
            buffer.resize(GetWindowTextA(field, &buffer[0], buffer.size()));
            shown = buffer;
            limit = SendMessageA(field, EM_GETLIMITTEXT, 0, 0);
            locks = GlobalFlags(SetupState.AgreementText) & GMEM_LOCKCOUNT;
            PostMessageA(page, WM_COMMAND, IDC_BACK, 0);
        });
        EXPECT_EQ(result, IDC_BACK);
        EXPECT_TRUE(shown == text) << "the field does not hold the agreement text";
        EXPECT_EQ(limit, text.size());
        EXPECT_EQ(locks, opening);
    }
    GlobalFree(SetupState.AgreementText);
}
