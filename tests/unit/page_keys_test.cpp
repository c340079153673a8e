// The pages' keys as a user meets them: Tab visiting the controls in their
// order, and the push button that Enter presses drawn as the default one.
// (Every control inside its page and every text whole: PagesAtScreenDpi.)
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "screens/screens.h"
#include "support/driving.h"
#include "support/fault.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

static std::vector<HWND> ChildrenOf(HWND page)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// Each page opened as the setup opens it, its agreement text loaded; the
// install-folder page is given a folder of its own to accept.
class PageKeys : public StepTest {
protected:
    void SetUp() override
    {
        StepTest::SetUp();
        PutAgreementText("The agreement.");
    }
    void TearDown() override
    {
        GlobalFree(SetupState.AgreementText);
        StepTest::TearDown();
    }
};

// Tab goes round the controls in the order they stand on the page, from the
// one that has the focus when the page opens; there the push button that
// Enter presses is drawn as the default one, and it is the forward button.
TEST_F(PageKeys, TabGoesRoundInPageOrderAndEnterPressesTheButtonDrawnAsDefault)
{
    const struct {
        int Page;
        DLGPROC Procedure;
        DWORD Platform;
        std::vector<int> Order;   // control ids, starting with the one focused at opening
    } pages[] = {
        { IDD_WELCOME, WelcomePage, VER_PLATFORM_WIN32_NT, { IDOK, IDCANCEL } },
        { IDD_AGREEMENT, AgreementPage, VER_PLATFORM_WIN32_NT, { IDOK, IDC_BACK, IDCANCEL, IDC_AGREEMENT_TEXT } },
        { IDD_DIRECTORY, DirectoryPage, VER_PLATFORM_WIN32_NT,
          { IDC_INSTALL_DIR, IDC_SHORTCUT_ALL, IDOK, IDC_BACK, IDCANCEL } },
        // The greyed-out button is passed over; the checked one takes the stop.
        { IDD_DIRECTORY, DirectoryPage, VER_PLATFORM_WIN32_WINDOWS,
          { IDC_INSTALL_DIR, IDC_SHORTCUT_USER, IDOK, IDC_BACK, IDCANCEL } },
        { IDD_FINISH, FinishPage, VER_PLATFORM_WIN32_NT, { IDOK } },
    };
    DWORD thread = GetCurrentThreadId();
    for (const auto &c : pages) {
        SCOPED_TRACE("page " + std::to_string(c.Page) + ", platform " + std::to_string(c.Platform));
        SetupState.PlatformId = c.Platform;
        std::vector<int> visited, defaults;
        LRESULT defaultId = 0;
        BoxCapture boxes;
        INT_PTR result = RunModalPage(c.Page, c.Procedure, NULL, [&](HWND page) {
            for (HWND control : ChildrenOf(page)) {
                LONG style = GetWindowLongA(control, GWL_STYLE);
                if (ClassOf(control) == "Button" && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                    defaults.push_back(GetDlgCtrlID(control));
            }
            defaultId = SendMessageA(page, DM_GETDEFID, 0, 0);
            visited.push_back(GetDlgCtrlID(FocusOf(thread)));
            for (size_t step = 0; step < c.Order.size(); step++) {
                PressKey(thread, VK_TAB);
                // Keys are handled in order: once the marker is, the Tab is.
                if (!Settle(page, IDOK))
                    break;
                visited.push_back(GetDlgCtrlID(FocusOf(thread)));
            }
            // Back on the first control, which is no push button but the
            // forward one or the field: Enter presses the default button.
            if (c.Page == IDD_DIRECTORY)
                SetDlgItemTextA(page, IDC_INSTALL_DIR, (Scratch + "\\Product").c_str());
            PressKey(thread, VK_RETURN);
        });
        std::vector<int> round = c.Order;
        round.push_back(c.Order[0]);
        EXPECT_EQ(visited, round);
        EXPECT_EQ(defaults, std::vector<int>{ IDOK }) << "the buttons drawn as the default one";
        EXPECT_EQ(defaultId, MAKELRESULT(IDOK, DC_HASDEFID));
        EXPECT_EQ(result, IDOK);
        EXPECT_TRUE(boxes.Boxes.empty());
    }
}
