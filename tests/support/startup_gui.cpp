// GUI helpers for the start-up, backdrop and page tests.
#include "startup_gui.h"
#include "sandbox.h"
#include <algorithm>

static std::wstring Wide(const std::string &text)
{
    return std::wstring(text.begin(), text.end());
}

std::string StageDeepSetupFolder(const std::string &name, size_t length)
{
    std::string folder = MakeScratchDir(name);
    DeleteDeepTree(folder);
    CreateDirectoryA(folder.c_str(), NULL);
    // Nested folders of up to 60 characters each; the wide calls take paths
    // longer than the ANSI ones do.
    while (folder.size() < length) {
        size_t left = length - folder.size();
        size_t part = std::min<size_t>(60, left - 1);
        if (left - part - 1 == 1)
            part--;   // a last part of no characters would be no folder
        folder += "\\" + std::string(part, 'd');
        CreateDirectoryW(Wide(folder).c_str(), NULL);
    }
    for (const char *file : { "Setup.exe", "License.txt" })
        CopyFileW(Wide(std::string(SETUP_MEDIA_DIR) + "\\" + file).c_str(), Wide(folder + "\\" + file).c_str(),
                  FALSE);
    return folder;
}

SetupRun StartSetupElsewhere(const std::string &folder)
{
    SetupRun run = {};
    STARTUPINFOW startup = {};
    SECURITY_ATTRIBUTES inherit = { sizeof inherit, NULL, TRUE };
    std::wstring command = L"\"" + Wide(folder) + L"\\Setup.exe\"";
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    HANDLE nothing = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inherit, OPEN_EXISTING, 0, NULL);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nothing;
    run.Started = CreateProcessW(NULL, &command[0], NULL, NULL, TRUE, 0, NULL, Wide(temp).c_str(), &startup,
                                 &run.Process) != 0;
    CloseHandle(nothing);
    return run;
}

bool Settle(HWND page, int button)
{
    HWND marker = GetDlgItem(page, button);
    DWORD_PTR state = 0;
    // Posted messages of a thread are handled in order; the pushed look of
    // a button shows when the marker's turn has come.
    PostMessageA(marker, BM_SETSTATE, TRUE, 0);
    for (int tries = 0; tries < 100; tries++) {
        if (!SendMessageTimeoutA(marker, BM_GETSTATE, 0, 0, SMTO_ABORTIFHUNG, 2000, &state))
            return false;
        if (state & BST_PUSHED) {
            PostMessageA(marker, BM_SETSTATE, FALSE, 0);
            return true;
        }
        Sleep(20);
    }
    return false;
}

COLORREF ScreenShot::At(int x, int y) const
{
    DWORD pixel = Pixels[y * Width + x];
    return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
}

ScreenShot GrabScreen()
{
    ScreenShot shot;
    HDC screen = GetDC(NULL);
    shot.Width = GetDeviceCaps(screen, HORZRES);
    shot.Height = GetDeviceCaps(screen, VERTRES);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.Width;
    info.bmiHeader.biHeight = -shot.Height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    DWORD *bits = NULL;
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, (void **)&bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.Width, shot.Height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    shot.Pixels.assign(bits, bits + shot.Width * shot.Height);
    for (DWORD &pixel : shot.Pixels)
        pixel &= 0xFFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return shot;
}

ColourBounds FindColour(const ScreenShot &shot, COLORREF colour, const RECT &area)
{
    ColourBounds found;
    for (int y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, shot.Height); y++)
        for (int x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, shot.Width); x++)
            if (shot.At(x, y) == colour) {
                found.Count++;
                found.Left = std::min(found.Left, x);
                found.Right = std::max(found.Right, x);
                found.Top = std::min(found.Top, y);
                found.Bottom = std::max(found.Bottom, y);
            }
    return found;
}
