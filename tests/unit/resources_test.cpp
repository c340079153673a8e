// The program's resources as they are linked: the five page templates read
// back field by field, the whole string table, and the icon group.
#include <windows.h>
#include <gtest/gtest.h>
#include "support/messages.h"
#include <string>
#include <vector>
#include "resources/resource.h"

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

enum { ButtonAtom = 0x80, EditAtom = 0x81, StaticAtom = 0x82 };
static const std::wstring IconText = L"#100";   // an ordinal, written as #number

struct ControlLayout {
    int Id;
    WORD ClassAtom;
    std::wstring Text;
    short X, Y, Cx, Cy;
    DWORD Style;   // on top of WS_CHILD | WS_VISIBLE
};

struct TemplateLayout {
    int Id;
    DWORD Style;
    short Cx, Cy;
    std::vector<ControlLayout> Controls;
};

static const DWORD Frame = DS_MODALFRAME | DS_SETFONT;

static const TemplateLayout Templates[] = {
    { IDD_WELCOME, Frame, 250, 90, {
        { -1, StaticAtom, L"Welcome to the Brindlecast 1.26 Setup program.", 0, 14, 250, 8, SS_CENTER | WS_GROUP },
        { -1, StaticAtom, L"Setup will now guide you through the installation of Brindlecast.", 0, 34, 250, 8,
          SS_CENTER | WS_GROUP },
        { IDOK, ButtonAtom, L"&Next", 40, 55, 50, 16, BS_DEFPUSHBUTTON | WS_TABSTOP },
        { IDCANCEL, ButtonAtom, L"&Cancel", 160, 55, 50, 16, BS_PUSHBUTTON | WS_TABSTOP },
        { -1, StaticAtom, IconText, 10, 10, 16, 16, SS_ICON },
    } },
    { IDD_PROGRESS, WS_POPUP | WS_VISIBLE | Frame, 100, 44, {
        { -1, StaticAtom, L"Installing Brindlecast", 0, 8, 100, 8, SS_CENTER | WS_GROUP },
        { IDC_STATUS_COPY, StaticAtom, L"", 10, 20, 80, 8, SS_LEFT | WS_GROUP },
        { IDC_STATUS_REGISTRY, StaticAtom, L"", 10, 28, 80, 8, SS_LEFT | WS_GROUP },
    } },
    { IDD_DIRECTORY, Frame, 280, 146, {
        { -1, StaticAtom, L"Setup will install Brindlecast 1.26 in the following directory.", 36, 10, 244, 8,
          SS_LEFT | WS_GROUP },
        { -1, StaticAtom, L"Approximately 200KB of disk space is needed.", 36, 20, 172, 8, SS_LEFT | WS_GROUP },
        { IDC_INSTALL_DIR, EditAtom, L"", 36, 35, 230, 12, ES_LEFT | WS_BORDER | WS_TABSTOP },
        { -1, StaticAtom, L"Setup can place a shortcut to Brindlecast in the Start Menu.", 36, 60, 244, 8,
          SS_LEFT | WS_GROUP },
        { IDC_SHORTCUT_ALL, ButtonAtom, L"place a shortcut for all users (Windows NT4/2000/XP/2003)", 36, 70, 244, 8,
          BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP },
        { IDC_SHORTCUT_USER, ButtonAtom, L"place a shortcut for only the current user", 36, 80, 244, 8,
          BS_AUTORADIOBUTTON },
        { IDC_SHORTCUT_NONE, ButtonAtom, L"do not place a shortcut in the Start Menu", 36, 90, 244, 8,
          BS_AUTORADIOBUTTON },
        { IDOK, ButtonAtom, L"&Next", 40, 111, 50, 16, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP },
        { IDC_BACK, ButtonAtom, L"&Back", 115, 111, 50, 16, BS_PUSHBUTTON | WS_TABSTOP },
        { IDCANCEL, ButtonAtom, L"&Cancel", 190, 111, 50, 16, BS_PUSHBUTTON | WS_TABSTOP },
        { -1, StaticAtom, IconText, 10, 10, 16, 16, SS_ICON },
    } },
    { IDD_AGREEMENT, Frame, 340, 186, {
        { -1, StaticAtom, L"Read the Brindlecast 1.26 Trial License Agreement below.", 0, 14, 340, 8,
          SS_CENTER | WS_GROUP },
        { IDOK, ButtonAtom, L"I &Agree", 40, 150, 50, 16, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP },
        { IDC_BACK, ButtonAtom, L"&Back", 145, 150, 50, 16, BS_PUSHBUTTON | WS_TABSTOP },
        { IDCANCEL, ButtonAtom, L"&Cancel", 250, 150, 50, 16, BS_PUSHBUTTON | WS_TABSTOP },
        { IDC_AGREEMENT_TEXT, EditAtom, L"", 10, 40, 320, 100,
          ES_MULTILINE | ES_READONLY | WS_BORDER | WS_VSCROLL | WS_TABSTOP },
        { -1, StaticAtom, IconText, 10, 10, 16, 16, SS_ICON },
    } },
    { IDD_FINISH, Frame, 200, 110, {
        { -1, StaticAtom, L"Brindlecast 1.26 Setup complete!", 0, 14, 200, 8, SS_CENTER | WS_GROUP },
        { -1, StaticAtom,
          L"If selected, a shortcut to Brindlecast has been placed on your Start Menu. Please see the readme.txt "
          L"and license.txt files accessable by the Brindlecast help menu for the latest information on Brindlecast.",
          10, 36, 180, 32, SS_LEFT },
        { IDOK, ButtonAtom, L"&OK", 75, 76, 50, 16, BS_DEFPUSHBUTTON | WS_TABSTOP },
        { -1, StaticAtom, IconText, 10, 10, 16, 16, SS_ICON },
    } },
};

// Reads a classic dialog template the way the dialog manager does.
struct Reader {
    const BYTE *At, *End;
    bool Overrun = false;
    WORD Word()
    {
        if (At + 2 > End) {
            Overrun = true;
            return 0;
        }
        WORD value = At[0] | At[1] << 8;
        At += 2;
        return value;
    }
    DWORD Dword()
    {
        DWORD low = Word();
        return low | (DWORD)Word() << 16;
    }
    // A name field: 0 alone (none), 0xFFFF and an ordinal (written "#n"),
    // or a zero-terminated wide text.
    std::wstring Name()
    {
        WORD first = Word();
        if (first == 0xFFFF)
            return L"#" + std::to_wstring(Word());
        std::wstring text;
        for (WORD c = first; c && !Overrun; c = Word())
            text += (wchar_t)c;
        return text;
    }
    void AlignDword(const BYTE *start)
    {
        At += (4 - (At - start) % 4) % 4;
    }
};

TEST(Resources, PageTemplatesAreExactlyAsLaidOut)
{
    for (const TemplateLayout &layout : Templates) {
        SCOPED_TRACE("template " + std::to_string(layout.Id));
        std::string bytes = ResourceBytes(RT_DIALOG, MAKEINTRESOURCEA(layout.Id));
        ASSERT_FALSE(bytes.empty());
        const BYTE *start = (const BYTE *)bytes.data();
        Reader read = { start, start + bytes.size() };

        DWORD style = read.Dword();
        ASSERT_NE(style, 0xFFFF0001u) << "an extended template";
        EXPECT_EQ(style, layout.Style);
        EXPECT_EQ(read.Dword(), 0u) << "extended style";
        WORD count = read.Word();
        EXPECT_EQ(count, layout.Controls.size());
        EXPECT_EQ((short)read.Word(), 0);
        EXPECT_EQ((short)read.Word(), 0);
        EXPECT_EQ((short)read.Word(), layout.Cx);
        EXPECT_EQ((short)read.Word(), layout.Cy);
        EXPECT_EQ(read.Name(), L"") << "menu";
        EXPECT_EQ(read.Name(), L"") << "window class";
        EXPECT_EQ(read.Name(), L"") << "caption";
        EXPECT_EQ(read.Word(), 8) << "font size";
        EXPECT_EQ(read.Name(), L"MS Sans Serif");

        for (size_t i = 0; i < layout.Controls.size() && i < count; i++) {
            const ControlLayout &control = layout.Controls[i];
            SCOPED_TRACE("control " + std::to_string(i));
            read.AlignDword(start);
            EXPECT_EQ(read.Dword(), WS_CHILD | WS_VISIBLE | control.Style);
            EXPECT_EQ(read.Dword(), 0u) << "extended style";
            EXPECT_EQ((short)read.Word(), control.X);
            EXPECT_EQ((short)read.Word(), control.Y);
            EXPECT_EQ((short)read.Word(), control.Cx);
            EXPECT_EQ((short)read.Word(), control.Cy);
            EXPECT_EQ((short)read.Word(), control.Id);
            EXPECT_EQ(read.Name(), L"#" + std::to_wstring(control.ClassAtom)) << "class";
            EXPECT_EQ(read.Name(), control.Text);
            EXPECT_EQ(read.Word(), 0) << "creation data";
        }
        EXPECT_FALSE(read.Overrun);
        EXPECT_LT(read.End - read.At, 4) << "bytes after the last control";
    }
}

TEST(Resources, StringTableHoldsExactlyTheMessages)
{
    // Strings are stored sixteen to a block; every block that holds one of
    // the messages is read whole, so a stray or missing entry shows.
    std::vector<UINT> blocks;
    EnumResourceNamesA(GetModuleHandleA(NULL), RT_STRING, AddName, (LONG_PTR)&blocks);
    EXPECT_EQ(blocks, (std::vector<UINT>{ 13, 14, 16 }));

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
