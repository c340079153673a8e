// The welcome, agreement and finish pages of a real run, driven as a user would.
#include "support/gui.h"
#include "support/screen.h"
#include "resources/resource.h"

static RECT Rect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

static int FirstVisibleLine(HWND field)
{
    DWORD_PTR line = (DWORD_PTR)-1;
    SendMessageTimeoutA(field, EM_GETFIRSTVISIBLELINE, 0, 0, SMTO_ABORTIFHUNG, 5000, &line);
    return (int)line;
}

class PagesGuiTest : public GuiTest {
protected:
    std::string Folder;
    HWND Start(const std::string &name)
    {
        Folder = StageSetupFolder(name);
        Run = StartSetup(Folder);
        return Run.Started ? WaitForPage(Run, IDD_WELCOME) : NULL;
    }
    HWND Forward(HWND page, int next)
    {
        Click(page, IDOK);
        return WaitForPage(Run, next);
    }
};

TEST_F(PagesGuiTest, PagesAreCaptionedCentredTitledWindowsOwnedByTheBackdrop)
{
    HWND welcome = Start("pages-look");
    ASSERT_NE(welcome, (HWND)NULL);
    HWND agreement = NULL;
    for (int page : { IDD_WELCOME, IDD_AGREEMENT }) {
        SCOPED_TRACE(page);
        HWND window = page == IDD_WELCOME ? welcome : (agreement = Forward(welcome, IDD_AGREEMENT));
        ASSERT_NE(window, (HWND)NULL);
        EXPECT_EQ(WindowText(window), SetupTitleText);
        ExpectCentred(Rect(window));
        LONG style = GetWindowLongA(window, GWL_STYLE);
        EXPECT_EQ(style & WS_CAPTION, WS_CAPTION) << "no title bar";
        EXPECT_EQ(style & WS_SYSMENU, 0) << "a system menu";
        EXPECT_EQ(GetWindow(window, GW_OWNER), BackdropOf(Run));
        EXPECT_EQ(FocusOf(Run.Process.dwThreadId), GetDlgItem(window, IDOK));
    }
    Click(agreement, IDCANCEL);
    EXPECT_EQ(WaitForExit(Run, 5000), 1);
}

TEST_F(PagesGuiTest, CancelAndEscapeEndTheRunWithoutAMessage)
{
    static const struct {
        const char *Name;
        int Page;
        bool Escape;
    } cases[] = {
        { "welcome-cancel", IDD_WELCOME, false },
        { "welcome-escape", IDD_WELCOME, true },
        { "agreement-cancel", IDD_AGREEMENT, false },
        { "agreement-escape", IDD_AGREEMENT, true },
    };
    for (const auto &ending : cases) {
        SCOPED_TRACE(ending.Name);
        HWND page = Start(ending.Name);
        ASSERT_NE(page, (HWND)NULL);
        if (ending.Page == IDD_AGREEMENT)
            page = Forward(page, IDD_AGREEMENT);
        ASSERT_NE(page, (HWND)NULL);
        if (ending.Escape)
            PressKey(Run.Process.dwThreadId, VK_ESCAPE);
        else
            Click(page, IDCANCEL);
        // A message box would hold the run up.
        EXPECT_EQ(WaitForExit(Run, 5000), 1);
    }
}

TEST_F(PagesGuiTest, EnterActsAsTheDefaultButtonAlsoInTheAgreementField)
{
    HWND welcome = Start("pages-enter");
    ASSERT_NE(welcome, (HWND)NULL);
    PressKey(Run.Process.dwThreadId, VK_RETURN);
    HWND agreement = WaitForPage(Run, IDD_AGREEMENT);
    ASSERT_NE(agreement, (HWND)NULL);
    EXPECT_TRUE(WaitGone(welcome, 2000));

    // I Agree, Back, Cancel, then the field.
    HWND field = GetDlgItem(agreement, IDC_AGREEMENT_TEXT);
    for (int tab = 0; tab < 3; tab++)
        PressKey(Run.Process.dwThreadId, VK_TAB);
    ASSERT_TRUE(Settle(agreement, IDOK));
    ASSERT_EQ(FocusOf(Run.Process.dwThreadId), field);
    PressKey(Run.Process.dwThreadId, VK_RETURN);
    HWND directory = WaitForPage(Run, IDD_DIRECTORY);
    ASSERT_NE(directory, (HWND)NULL);
    Click(directory, IDCANCEL);
    EXPECT_EQ(WaitForExit(Run, 5000), 1);
}

TEST_F(PagesGuiTest, BackShowsWelcomeAndForwardShowsTheAgreementAfreshFromTheTop)
{
    HWND welcome = Start("pages-back");
    ASSERT_NE(welcome, (HWND)NULL);
    HWND agreement = Forward(welcome, IDD_AGREEMENT);
    ASSERT_NE(agreement, (HWND)NULL);
    HWND field = GetDlgItem(agreement, IDC_AGREEMENT_TEXT);
    DWORD_PTR ignored;
    SendMessageTimeoutA(field, EM_LINESCROLL, 0, 12, SMTO_ABORTIFHUNG, 5000, &ignored);
    ASSERT_GT(FirstVisibleLine(field), 0);

    Click(agreement, IDC_BACK);
    welcome = WaitForPage(Run, IDD_WELCOME);
    ASSERT_NE(welcome, (HWND)NULL);
    EXPECT_TRUE(WaitGone(agreement, 2000));
    agreement = Forward(welcome, IDD_AGREEMENT);
    ASSERT_NE(agreement, (HWND)NULL);
    field = GetDlgItem(agreement, IDC_AGREEMENT_TEXT);
    EXPECT_EQ(FirstVisibleLine(field), 0);
    EXPECT_TRUE(WindowText(field) == ReadBytes(Folder + "\\License.txt")) << "not the agreement text";
    Click(agreement, IDCANCEL);
    EXPECT_EQ(WaitForExit(Run, 5000), 1);
}

TEST_F(PagesGuiTest, AgreementFieldShowsExactlyTheLicenceAndCannotBeChanged)
{
    HWND agreement = Start("pages-field");
    ASSERT_NE(agreement, (HWND)NULL);
    agreement = Forward(agreement, IDD_AGREEMENT);
    ASSERT_NE(agreement, (HWND)NULL);
    HWND field = GetDlgItem(agreement, IDC_AGREEMENT_TEXT);
    const std::string license = ReadBytes(Folder + "\\License.txt");
    ASSERT_FALSE(license.empty());
    EXPECT_TRUE(WindowText(field) == license) << "not the agreement text";
    DWORD_PTR limit = 0;
    SendMessageTimeoutA(field, EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, 5000, &limit);
    EXPECT_EQ(limit, license.size());
    EXPECT_TRUE(GetWindowLongA(field, GWL_STYLE) & ES_READONLY);

    // Typing over the selected text and deleting change nothing.
    for (int tab = 0; tab < 3; tab++)
        PressKey(Run.Process.dwThreadId, VK_TAB);
    ASSERT_TRUE(Settle(agreement, IDOK));
    ASSERT_EQ(FocusOf(Run.Process.dwThreadId), field);
    PressKey(Run.Process.dwThreadId, 'X');
    PostMessageA(field, WM_CHAR, 'X', 1);
    PressKey(Run.Process.dwThreadId, VK_DELETE);
    PressKey(Run.Process.dwThreadId, VK_BACK);
    ASSERT_TRUE(Settle(agreement, IDOK));
    EXPECT_TRUE(WindowText(field) == license) << "the text was changed";
    Click(agreement, IDCANCEL);
    EXPECT_EQ(WaitForExit(Run, 5000), 1);
}

TEST_F(PagesGuiTest, CommandsWithANotificationCodeAreIgnored)
{
    HWND welcome = Start("pages-notify");
    ASSERT_NE(welcome, (HWND)NULL);
    for (int id : { IDOK, IDCANCEL }) {
        SendRawCommand(welcome, id, BN_DOUBLECLICKED);
        ASSERT_TRUE(Settle(welcome, IDOK)) << "the welcome page ended on " << id;
    }
    HWND agreement = Forward(welcome, IDD_AGREEMENT);
    ASSERT_NE(agreement, (HWND)NULL);
    for (int id : { IDOK, IDCANCEL, IDC_BACK }) {
        SendRawCommand(agreement, id, 1);
        ASSERT_TRUE(Settle(agreement, IDOK)) << "the agreement page ended on " << id;
    }
    EXPECT_EQ(PageOf(agreement), IDD_AGREEMENT);
    EXPECT_TRUE(IsWindowVisible(agreement));
    Click(agreement, IDCANCEL);
    EXPECT_EQ(WaitForExit(Run, 5000), 1);
}

TEST_F(PagesGuiTest, FinishPageOfAWholeInstallTakesEnterButNotEscape)
{
    HWND page = Start("pages-finish");
    ASSERT_NE(page, (HWND)NULL);
    std::string target = MakeScratchDir("pages-finish-target");
    page = Forward(page, IDD_AGREEMENT);
    ASSERT_NE(page, (HWND)NULL);
    page = Forward(page, IDD_DIRECTORY);
    ASSERT_NE(page, (HWND)NULL);
    SetControlText(page, IDC_INSTALL_DIR, target + "\\Brindlecast");
    Click(page, IDC_SHORTCUT_NONE);
    HWND finish = Forward(page, IDD_FINISH);
    ASSERT_NE(finish, (HWND)NULL);

    EXPECT_EQ(WindowText(finish), SetupTitleText);
    ExpectCentred(Rect(finish));
    EXPECT_EQ(GetWindow(finish, GW_OWNER), BackdropOf(Run));
    EXPECT_EQ(FocusOf(Run.Process.dwThreadId), GetDlgItem(finish, IDOK));
    PressKey(Run.Process.dwThreadId, VK_ESCAPE);
    ASSERT_TRUE(Settle(finish, IDOK)) << "Escape ended the finish page";
    EXPECT_TRUE(IsWindowVisible(finish));
    PressKey(Run.Process.dwThreadId, VK_RETURN);
    EXPECT_EQ(WaitForExit(Run, 5000), 1);

    ResetMachine();
    DeleteTree(target);
}
