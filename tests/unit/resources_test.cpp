// The program's resources as they are linked: the five pages as they are
// laid out, the whole string table, and the icon group.
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "resources/resource.h"
#include "screens/screens.h"
#include "support/installation.h"
#include "support/messages.h"
#include "support/pages.h"
#include "support/screen.h"
#include "support/setupstate.h"

static const WORD English = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The bytes of one resource, which must exist in English (United States)
// and in no other language.
static BOOL CALLBACK AddLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found)
{
    ((std::vector<WORD> *)found)->push_back(language);
    return TRUE;
}

static BOOL CALLBACK AddName(HMODULE, LPCSTR, LPSTR name, LONG_PTR found)
{
    ((std::vector<UINT> *)found)->push_back((UINT)(UINT_PTR)name);
    return TRUE;
}

static std::string ResourceBytes(LPCSTR type, LPCSTR name)
{
    HMODULE module = GetModuleHandleA(NULL);
    std::vector<WORD> languages;
    EnumResourceLanguagesA(module, type, name, AddLanguage, (LONG_PTR)&languages);
    EXPECT_EQ(languages, std::vector<WORD>{ English });
    HRSRC found = FindResourceExA(module, type, name, English);
    if (!found)
        return "";
    HGLOBAL loaded = LoadResource(module, found);
    return std::string((const char *)LockResource(loaded), SizeofResource(module, found));
}

// What a control is to a user, from its class and style; anything else is
// named by its class and style.
static std::string KindOf(HWND control)
{
    std::string kind = ClassOf(control);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    bool boxed = (style & WS_BORDER) || (GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    if (lstrcmpiA(kind.c_str(), "Static") == 0) {
        switch (style & SS_TYPEMASK) {
        case SS_ICON:
            return "icon";
        case SS_CENTER:
            return "centred text";
        case SS_LEFT:
            return "text";
        }
    } else if (lstrcmpiA(kind.c_str(), "Edit") == 0) {
        const LONG reading = ES_MULTILINE | ES_READONLY | WS_VSCROLL;
        if (boxed && (style & reading) == reading)
            return "scrolled text to read";
        if (boxed && !(style & (ES_MULTILINE | ES_READONLY | ES_PASSWORD)))
            return "field";
    } else if (lstrcmpiA(kind.c_str(), "Button") == 0) {
        switch (style & BS_TYPEMASK) {
        case BS_DEFPUSHBUTTON:
            return "default button";
        case BS_PUSHBUTTON:
            return "button";
        case BS_AUTORADIOBUTTON:
            return "radio button";
        }
    }
    char named[64];
    wsprintfA(named, "%s of style %08lX", kind.c_str(), style);
    return named;
}

static bool IsButton(const std::string &kind)
{
    return kind == "button" || kind == "default button";
}

struct ControlSeen {
    int Id;                // -1: a control the program never addresses
    const char *Kind;
    const char *Text;      // NULL: not a fixed text
};

struct Placed {
    std::string Kind;
    RECT Box;              // in the page's client area
    HWND Window;
};

// The pages in the order of their controls, which is the order Tab visits
// them in, with what each shows.
static const struct {
    int Id;
    DLGPROC Procedure;
    bool TitleBar;         // with the setup's title in it
    std::vector<ControlSeen> Controls;
} Pages[] = {
    { IDD_WELCOME, WelcomePage, true, {
        { -1, "centred text", "Welcome to the Brindlecast 1.26 Setup program." },
        { -1, "centred text", "Setup will now guide you through the installation of Brindlecast." },
        { IDOK, "default button", "&Next" },
        { IDCANCEL, "button", "&Cancel" },
        { -1, "icon", NULL },
    } },
    { IDD_PROGRESS, ProgressPanel, false, {
        { -1, "centred text", "Installing Brindlecast" },
        { IDC_STATUS_COPY, "text", "" },
        { IDC_STATUS_REGISTRY, "text", "" },
    } },
    { IDD_DIRECTORY, DirectoryPage, true, {
        { -1, "text", "Setup will install Brindlecast 1.26 in the following directory." },
        { -1, "text", "Approximately 200KB of disk space is needed." },
        { IDC_INSTALL_DIR, "field", NULL },
        { -1, "text", "Setup can place a shortcut to Brindlecast in the Start Menu." },
        { IDC_SHORTCUT_ALL, "radio button", "place a shortcut for all users (Windows NT4/2000/XP/2003)" },
        { IDC_SHORTCUT_USER, "radio button", "place a shortcut for only the current user" },
        { IDC_SHORTCUT_NONE, "radio button", "do not place a shortcut in the Start Menu" },
        { IDOK, "default button", "&Next" },
        { IDC_BACK, "button", "&Back" },
        { IDCANCEL, "button", "&Cancel" },
        { -1, "icon", NULL },
    } },
    { IDD_AGREEMENT, AgreementPage, true, {
        { -1, "centred text", "Read the Brindlecast 1.26 Trial License Agreement below." },
        { IDOK, "default button", "I &Agree" },
        { IDC_BACK, "button", "&Back" },
        { IDCANCEL, "button", "&Cancel" },
        { IDC_AGREEMENT_TEXT, "scrolled text to read", NULL },
        { -1, "icon", NULL },
    } },
    { IDD_FINISH, FinishPage, true, {
        { -1, "centred text", "Brindlecast 1.26 Setup complete!" },
        { -1, "text",
          "If selected, a shortcut to Brindlecast has been placed on your Start Menu. Please see the readme.txt "
          "and license.txt files accessable by the Brindlecast help menu for the latest information on Brindlecast." },
        { IDOK, "default button", "&OK" },
        { -1, "icon", NULL },
    } },
};

static bool Overlap(const RECT &a, const RECT &b)
{
    RECT both;
    return IntersectRect(&both, &a, &b) != 0;
}

// Where the controls stand relative to each other and to the page, in
// pixels, a pixel either way for rounding from dialog units:
// - the icon stands in the top-left corner and nothing else covers it;
// - centred lines span the page, so they are centred on it;
// - the other texts, fields and radio buttons stand one below another in
//   the order Tab visits them, left-aligned with each other;
// - the push buttons stand in one row below everything else, alike in
//   size, evenly spaced, the row centred, with about a button's height
//   below it.
static void ExpectArranged(const std::vector<Placed> &controls, const RECT &page)
{
    const Placed *icon = NULL;
    std::vector<const Placed *> lines, stacked, buttons;
    for (const Placed &control : controls) {
        SCOPED_TRACE(control.Kind);
        EXPECT_TRUE(control.Box.left >= 0 && control.Box.top >= 0 && control.Box.right <= page.right
                    && control.Box.bottom <= page.bottom) << "outside the page";
        if (control.Kind == "icon")
            icon = &control;
        else if (control.Kind == "centred text")
            lines.push_back(&control);
        else if (IsButton(control.Kind))
            buttons.push_back(&control);
        if (control.Kind != "icon" && !IsButton(control.Kind))
            stacked.push_back(&control);
    }
    for (const Placed *line : lines) {
        EXPECT_NEAR(line->Box.left, 0, 1) << "a centred line not across the page";
        EXPECT_NEAR(line->Box.right, page.right, 1) << "a centred line not across the page";
    }
    if (icon) {
        for (const Placed &control : controls) {
            if (&control == icon)
                continue;
            SCOPED_TRACE(control.Kind);
            EXPECT_GE(control.Box.top, icon->Box.top) << "above the icon";
            if (control.Kind == "centred text") {
                // Only its text counts, centred in the line.
                char text[512] = "";
                GetWindowTextA(control.Window, text, sizeof text);
                HDC context = GetDC(control.Window);
                HGDIOBJ previous = SelectObject(context, (HFONT)SendMessageA(control.Window, WM_GETFONT, 0, 0));
                SIZE extent = {};
                GetTextExtentPoint32A(context, text, lstrlenA(text), &extent);
                SelectObject(context, previous);
                ReleaseDC(control.Window, context);
                LONG start = control.Box.left + (control.Box.right - control.Box.left - extent.cx) / 2;
                if (control.Box.top < icon->Box.bottom) {
                    EXPECT_GE(start, icon->Box.right) << "the text runs into the icon: " << text;
                }
            } else {
                EXPECT_FALSE(Overlap(control.Box, icon->Box)) << "covers the icon";
            }
        }
    }
    LONG left = -1;
    for (size_t i = 0; i < stacked.size(); i++) {
        SCOPED_TRACE(stacked[i]->Kind + " " + std::to_string(i));
        if (i > 0) {
            EXPECT_GE(stacked[i]->Box.top, stacked[i - 1]->Box.bottom) << "not below the one before";
        }
        if (stacked[i]->Kind == "centred text")
            continue;
        if (left < 0)
            left = stacked[i]->Box.left;
        EXPECT_NEAR(stacked[i]->Box.left, left, 1) << "not aligned with the others";
    }
    if (buttons.empty())
        return;
    const RECT &first = buttons.front()->Box, &last = buttons.back()->Box;
    LONG width = first.right - first.left, height = first.bottom - first.top;
    for (const Placed *control : stacked)
        EXPECT_GE(first.top, control->Box.bottom) << "the buttons do not stand below everything else";
    for (size_t i = 0; i < buttons.size(); i++) {
        SCOPED_TRACE("button " + std::to_string(i));
        const RECT &box = buttons[i]->Box;
        EXPECT_NEAR(box.top, first.top, 1) << "not in one row";
        EXPECT_NEAR(box.right - box.left, width, 1);
        EXPECT_NEAR(box.bottom - box.top, height, 1);
        if (i > 0) {
            EXPECT_GT(box.left, buttons[i - 1]->Box.right) << "not left to right in Tab order";
        }
        if (i > 1) {
            LONG gap = box.left - buttons[i - 1]->Box.right;
            EXPECT_NEAR(gap, buttons[i - 1]->Box.left - buttons[i - 2]->Box.right, 2) << "not evenly spaced";
        }
    }
    EXPECT_NEAR(first.left, page.right - last.right, 2) << "the row is not centred";
    LONG below = page.bottom - first.bottom;
    EXPECT_LE(below, height + height / 4 + 1) << "the buttons too far from the bottom";
}

// Every page as the setup lays it out on the screen: its frame and title,
// the controls in Tab order with what each is and shows, in the page's
// font, placed as above, the page's icon the setup's; and each template a
// classic one in English alone, which every Windows down to NT 3.5 reads. (Whether each
// text fits its control at 96, 120 and 144 DPI: PagesAtScreenDpi.)
TEST(Resources, EveryPageShowsItsControlsTextsAndIconInTheirPlaces)
{
    ResetSetupState();
    SetupState.PlatformId = VER_PLATFORM_WIN32_NT;
    PutAgreementText(ShippedLicense());
    const std::vector<DWORD> setupIcon = IconPixels(LoadIconA(SetupState.Instance, MAKEINTRESOURCEA(IDI_SETUP)));
    ASSERT_FALSE(setupIcon.empty());
    HDC screen = GetDC(NULL);
    const LONG fontHeight = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(NULL, screen);

    for (const auto &expected : Pages) {
        SCOPED_TRACE("page " + std::to_string(expected.Id));
        std::string bytes = ResourceBytes(RT_DIALOG, MAKEINTRESOURCEA(expected.Id));
        ASSERT_GE(bytes.size(), 4u);
        EXPECT_NE(*(const DWORD *)bytes.data(), 0xFFFF0001u) << "an extended template";

        HWND page = CreateDialogParamA(SetupState.Instance, MAKEINTRESOURCEA(expected.Id), NULL,
                                       expected.Procedure, 0);
        ASSERT_NE(page, (HWND)NULL);
        EXPECT_EQ((GetWindowLongA(page, GWL_STYLE) & WS_CAPTION) == WS_CAPTION, expected.TitleBar) << "title bar";
        EXPECT_EQ(WindowText(page), expected.TitleBar ? SetupTitleText : "");
        EXPECT_TRUE(GetWindowLongA(page, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME) << "no dialog frame";
        EXPECT_EQ(ClassOf(page), "#32770") << "not a plain dialog";
        EXPECT_EQ(GetMenu(page), (HMENU)NULL);
        HFONT font = (HFONT)SendMessageA(page, WM_GETFONT, 0, 0);
        LOGFONTA face = {};
        GetObjectA(font, sizeof face, &face);
        EXPECT_STREQ(face.lfFaceName, "MS Sans Serif");
        EXPECT_EQ(face.lfHeight, fontHeight) << "not 8 points";

        RECT area;
        GetClientRect(page, &area);
        std::vector<Placed> controls;
        for (HWND control = GetWindow(page, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
            Placed placed = { KindOf(control), {}, control };
            GetWindowRect(control, &placed.Box);
            MapWindowPoints(NULL, page, (POINT *)&placed.Box, 2);
            controls.push_back(placed);
        }
        ASSERT_EQ(controls.size(), expected.Controls.size());
        for (size_t i = 0; i < controls.size(); i++) {
            const ControlSeen &seen = expected.Controls[i];
            HWND control = controls[i].Window;
            SCOPED_TRACE("control " + std::to_string(i) + ", " + seen.Kind);
            EXPECT_EQ(controls[i].Kind, seen.Kind);
            if (seen.Id != -1) {
                EXPECT_EQ(GetDlgCtrlID(control), seen.Id);
            }
            if (seen.Text) {
                EXPECT_EQ(WindowText(control), seen.Text);
            }
            // An icon shows no text, and Wine's keeps no font.
            if (controls[i].Kind != "icon") {
                EXPECT_EQ((HFONT)SendMessageA(control, WM_GETFONT, 0, 0), font) << "not in the page's font";
            }
            if (controls[i].Kind == "icon") {
                EXPECT_TRUE(IconPixels((HICON)SendMessageA(control, STM_GETICON, 0, 0)) == setupIcon)
                    << "not the setup's icon";
            }
        }
        ExpectArranged(controls, area);
        if (expected.Id == IDD_DIRECTORY) {
            // The arrow keys move among the three radio buttons and no further.
            std::vector<int> group;
            HWND first = GetDlgItem(page, IDC_SHORTCUT_ALL), at = first;
            do {
                group.push_back(GetDlgCtrlID(at));
                at = GetNextDlgGroupItem(page, at, FALSE);
            } while (at && at != first && group.size() < 20);
            EXPECT_EQ(group, (std::vector<int>{ IDC_SHORTCUT_ALL, IDC_SHORTCUT_USER, IDC_SHORTCUT_NONE }));
        }
        DestroyWindow(page);
    }
    GlobalFree(SetupState.AgreementText);
}

TEST(Resources, StringTableHoldsExactlyTheMessages)
{
    // Strings are stored sixteen to a block; every block that holds one of
    // the messages is read whole, so a stray or missing entry shows.
    std::vector<UINT> blocks;
    EnumResourceNamesA(GetModuleHandleA(NULL), RT_STRING, AddName, (LONG_PTR)&blocks);
    EXPECT_EQ(blocks, (std::vector<UINT>{ 13, 14, 15, 16 }));

    for (UINT block : blocks) {
        std::string bytes = ResourceBytes(RT_STRING, MAKEINTRESOURCEA(block));
        const WCHAR *at = (const WCHAR *)bytes.data();
        for (UINT id = (block - 1) * 16; id < block * 16; id++) {
            SCOPED_TRACE("string " + std::to_string(id));
            std::wstring stored(at + 1, *at);
            at += 1 + *at;
            const char *expected = NULL;
            for (const auto &entry : MessageTexts)
                if (entry.Id == id)
                    expected = entry.Text;
            if (!expected) {
                EXPECT_EQ(stored, L"");
                continue;
            }
            EXPECT_EQ(stored, std::wstring(expected, expected + lstrlenA(expected)));
            char loaded[512];
            int length = LoadStringA(GetModuleHandleA(NULL), id, loaded, sizeof loaded);
            EXPECT_EQ(std::string(loaded, length), expected);
        }
    }
}

#pragma pack(push, 2)
struct IconEntry {
    BYTE Width, Height, ColourCount, Reserved;
    WORD Planes, BitCount;
    DWORD BytesInRes;
    WORD Id;
};
#pragma pack(pop)

TEST(Resources, IconGroupHoldsThree32PixelImagesIn2_8And16Colours)
{
    std::string group = ResourceBytes(RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_SETUP));
    ASSERT_GE(group.size(), 6u);
    const WORD *header = (const WORD *)group.data();
    EXPECT_EQ(header[0], 0);
    EXPECT_EQ(header[1], 1) << "an icon, not a cursor";
    ASSERT_EQ(header[2], 3);
    ASSERT_EQ(group.size(), 6 + 3 * sizeof(IconEntry));

    static const struct { int Colours, Bits; } images[] = { { 2, 1 }, { 8, 4 }, { 16, 4 } };
    const IconEntry *entry = (const IconEntry *)(group.data() + 6);
    for (int i = 0; i < 3; i++, entry++) {
        SCOPED_TRACE("image " + std::to_string(i));
        EXPECT_EQ(entry->Width, 32);
        EXPECT_EQ(entry->Height, 32);
        EXPECT_EQ(entry->ColourCount, images[i].Colours);
        EXPECT_EQ(entry->BitCount, images[i].Bits);
        // The image itself must agree with its directory entry.
        std::string image = ResourceBytes(RT_ICON, MAKEINTRESOURCEA(entry->Id));
        ASSERT_EQ(image.size(), entry->BytesInRes);
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
        const BITMAPINFOHEADER *bitmap = (const BITMAPINFOHEADER *)image.data();
        EXPECT_EQ(bitmap->biWidth, 32);
        EXPECT_EQ(bitmap->biHeight, 64) << "image and mask";
        EXPECT_EQ(bitmap->biBitCount, images[i].Bits);
        EXPECT_EQ(bitmap->biClrUsed ? (int)bitmap->biClrUsed : 1 << bitmap->biBitCount, images[i].Colours);
    }
    // And the platform makes an icon of it.
    EXPECT_NE(LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDI_SETUP)), (HICON)NULL);
}
