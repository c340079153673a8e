// The backdrop window class and its painting, in-process.
#include <gtest/gtest.h>
#include <vector>
#include "screens/screens.h"
#include "support/fault.h"
#include "support/messages.h"
#include "support/setupstate.h"

static struct {
    int IconCalls, CursorCalls, ClassCalls;
    HINSTANCE IconModule;
    LPCSTR IconName;
    HINSTANCE CursorModule;
    LPCSTR CursorName;
    HICON Icon;
    HCURSOR Cursor;
    WNDCLASSA Class;
    bool FailIcon, FailCursor;
    ImportSwap *IconSwap, *CursorSwap, *ClassSwap;
} Calls;

static HICON WINAPI WatchedIcon(HINSTANCE module, LPCSTR name)
{
    Calls.IconCalls++;
    Calls.IconModule = module;
    Calls.IconName = name;
    if (Calls.FailIcon)
        return NULL;
    return Calls.Icon = ((HICON(WINAPI *)(HINSTANCE, LPCSTR))Calls.IconSwap->Original)(module, name);
}

static HCURSOR WINAPI WatchedCursor(HINSTANCE module, LPCSTR name)
{
    Calls.CursorCalls++;
    Calls.CursorModule = module;
    Calls.CursorName = name;
    if (Calls.FailCursor)
        return NULL;
    return Calls.Cursor = ((HCURSOR(WINAPI *)(HINSTANCE, LPCSTR))Calls.CursorSwap->Original)(module, name);
}

static ATOM WINAPI WatchedClass(const WNDCLASSA *record)
{
    Calls.ClassCalls++;
    Calls.Class = *record;
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
    ATOM Register(bool failIcon, bool failCursor)
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
        SetupState.StepMessageId = 0;
        return RegisterBackdropClass();
    }
};

TEST_F(BackdropTest, RegistersTheClassAsLaidOut)
{
    ATOM atom = Register(false, false);
    ASSERT_NE(atom, 0);
    EXPECT_EQ(SetupState.StepMessageId, IDS_NO_WINDOW_CLASS);
    EXPECT_EQ(Calls.IconModule, SetupState.Instance);
    EXPECT_EQ(Calls.IconName, MAKEINTRESOURCEA(IDI_SETUP));
    EXPECT_EQ(Calls.CursorModule, (HINSTANCE)NULL);
    EXPECT_EQ(Calls.CursorName, (LPCSTR)IDC_ARROW);
    ASSERT_EQ(Calls.ClassCalls, 1);

    const WNDCLASSA &record = Calls.Class;
    EXPECT_EQ(record.style, (UINT)(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(record.lpfnWndProc, BackdropWindowProc);
    EXPECT_EQ(record.cbClsExtra, 0);
    EXPECT_EQ(record.cbWndExtra, 0);
    EXPECT_EQ(record.hInstance, SetupState.Instance);
    EXPECT_EQ(record.hIcon, Calls.Icon);
    EXPECT_NE(record.hIcon, (HICON)NULL);
    EXPECT_EQ(record.hCursor, Calls.Cursor);
    EXPECT_NE(record.hCursor, (HCURSOR)NULL);
    EXPECT_EQ(record.hbrBackground, SetupState.BackdropBrush);
    EXPECT_EQ(record.lpszMenuName, (LPCSTR)NULL);
    EXPECT_STREQ(record.lpszClassName, "SetupClass");

    // The atom is the registered class's.
    WNDCLASSEXA registered = {};
    registered.cbSize = sizeof registered;
    EXPECT_EQ(GetClassInfoExA(SetupState.Instance, "SetupClass", &registered), (BOOL)atom);
}

TEST_F(BackdropTest, AFailingStepLeavesItsNumberAndStopsThere)
{
    EXPECT_EQ(Register(true, false), 0);
    EXPECT_EQ(SetupState.StepMessageId, IDS_NO_ICON);
    EXPECT_EQ(Calls.CursorCalls, 0);
    EXPECT_EQ(Calls.ClassCalls, 0);

    EXPECT_EQ(Register(false, true), 0);
    EXPECT_EQ(SetupState.StepMessageId, IDS_NO_CURSOR);
    EXPECT_EQ(Calls.ClassCalls, 0);

    // The platform refuses a class registered a second time.
    ASSERT_NE(Register(false, false), 0);
    EXPECT_EQ(Register(false, false), 0);
    EXPECT_EQ(SetupState.StepMessageId, IDS_NO_WINDOW_CLASS);
    EXPECT_EQ(Calls.ClassCalls, 1);
}

// A white 32-bit bitmap in a memory context, to paint into.
struct Canvas {
    HDC Context;
    HBITMAP Bitmap;
    HGDIOBJ Previous;
    DWORD *Bits;
    int Width, Height;
    Canvas(int width, int height) : Width(width), Height(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        Context = CreateCompatibleDC(NULL);
        Bitmap = CreateDIBSection(Context, &info, DIB_RGB_COLORS, (void **)&Bits, NULL, 0);
        Previous = SelectObject(Context, Bitmap);
        FillMemory(Bits, width * height * 4, 0xFF);
    }
    ~Canvas()
    {
        SelectObject(Context, Previous);
        DeleteObject(Bitmap);
        DeleteDC(Context);
    }
    // Pixels that are not the given colour.
    int CountOther(COLORREF colour) const
    {
        DWORD want = GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
        int other = 0;
        for (int i = 0; i < Width * Height; i++)
            other += (Bits[i] & 0xFFFFFF) != want;
        return other;
    }
};

static HWND CreateBackdrop(int width, int height)
{
    return CreateWindowExA(0, "SetupClass", SetupTitle, WS_POPUP, 0, 0, width, height, NULL, NULL,
                           SetupState.Instance, NULL);
}

TEST_F(BackdropTest, ErasingFillsTheClientAreaWithNavyItself)
{
    ASSERT_NE(Register(false, false), 0);
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
    PaintBackdrop(backdrop, untouched.Context);
    SetupState.BackdropBrush = brush;
    EXPECT_EQ(untouched.CountOther(RGB(255, 255, 255)), 0);

    // Everything else is the platform's: the window text is the title.
    char title[64];
    EXPECT_EQ(GetWindowTextA(backdrop, title, sizeof title), SETUP_TITLE_LENGTH);
    EXPECT_STREQ(title, SetupTitleText);
    DestroyWindow(backdrop);
}

// The drawing context as each piece of text is drawn, and the fonts made.
struct TextPass {
    int X, Y;
    std::string Text;
    COLORREF Colour;
    int MapMode, BackgroundMode;
    LOGFONTA Font;
};
static struct {
    std::vector<TextPass> Passes;
    std::vector<HFONT> Fonts;
    ImportSwap *TextSwap, *FontSwap;
} Drawn;

static BOOL WINAPI WatchedTextOut(HDC context, int x, int y, LPCSTR text, int length)
{
    TextPass pass = { x, y, std::string(text, length), GetTextColor(context), GetMapMode(context),
                      GetBkMode(context), {} };
    GetObjectA(GetCurrentObject(context, OBJ_FONT), sizeof pass.Font, &pass.Font);
    Drawn.Passes.push_back(pass);
    return ((BOOL(WINAPI *)(HDC, int, int, LPCSTR, int))Drawn.TextSwap->Original)(context, x, y, text, length);
}

static HFONT WINAPI WatchedFont(const LOGFONTA *font)
{
    HFONT made = ((HFONT(WINAPI *)(const LOGFONTA *))Drawn.FontSwap->Original)(font);
    Drawn.Fonts.push_back(made);
    return made;
}

TEST_F(BackdropTest, EveryPaintDrawsTheTitleThreeTimesAndDeletesItsFont)
{
    ASSERT_NE(Register(false, false), 0);
    HWND backdrop = CreateBackdrop(320, 200);
    ASSERT_NE(backdrop, (HWND)NULL);
    ShowWindow(backdrop, SW_SHOWNOACTIVATE);
    UpdateWindow(backdrop);
    Drawn = {};
    {
        ImportSwap text("gdi32.dll", "TextOutA", (void *)WatchedTextOut);
        ImportSwap font("gdi32.dll", "CreateFontIndirectA", (void *)WatchedFont);
        Drawn.TextSwap = &text;
        Drawn.FontSwap = &font;
        for (int paint = 0; paint < 3; paint++) {
            InvalidateRect(backdrop, NULL, TRUE);
            UpdateWindow(backdrop);
        }
    }
    DestroyWindow(backdrop);

    static const struct { COLORREF Colour; int X, Y; } passes[] = {
        { RGB(0, 0, 0), 25, -25 },
        { RGB(128, 128, 128), 23, -18 },
        { RGB(192, 0, 0), 20, -20 },
    };
    ASSERT_EQ(Drawn.Passes.size(), 9u);
    ASSERT_EQ(Drawn.Fonts.size(), 3u);
    for (size_t i = 0; i < Drawn.Passes.size(); i++) {
        SCOPED_TRACE("text pass " + std::to_string(i));
        const TextPass &pass = Drawn.Passes[i];
        EXPECT_EQ(pass.Colour, passes[i % 3].Colour);
        EXPECT_EQ(pass.X, passes[i % 3].X);
        EXPECT_EQ(pass.Y, passes[i % 3].Y);
        EXPECT_EQ(pass.Text, SetupTitleText);
        EXPECT_EQ(pass.MapMode, MM_LOENGLISH);
        EXPECT_EQ(pass.BackgroundMode, TRANSPARENT);
        EXPECT_EQ(pass.Font.lfHeight, -50);
        EXPECT_EQ(pass.Font.lfWidth, 0);
        EXPECT_EQ(pass.Font.lfEscapement, 0);
        EXPECT_EQ(pass.Font.lfOrientation, 0);
        EXPECT_EQ(pass.Font.lfWeight, FW_BOLD);
        EXPECT_EQ(pass.Font.lfItalic, 1);
        EXPECT_EQ(pass.Font.lfUnderline, 0);
        EXPECT_EQ(pass.Font.lfStrikeOut, 0);
        EXPECT_EQ(pass.Font.lfCharSet, ANSI_CHARSET);
        EXPECT_EQ(pass.Font.lfOutPrecision, OUT_DEFAULT_PRECIS);
        EXPECT_EQ(pass.Font.lfClipPrecision, CLIP_DEFAULT_PRECIS);
        EXPECT_EQ(pass.Font.lfQuality, DEFAULT_QUALITY);
        EXPECT_EQ(pass.Font.lfPitchAndFamily, VARIABLE_PITCH | FF_SWISS);
        EXPECT_STREQ(pass.Font.lfFaceName, "");
    }
    // Each paint made its own font and none of them outlived its paint.
    for (HFONT font : Drawn.Fonts) {
        EXPECT_NE(font, (HFONT)NULL);
        EXPECT_EQ(GetObjectType(font), 0u) << "a title font was left behind";
    }
}
