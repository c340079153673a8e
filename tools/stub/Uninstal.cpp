// Stand-in for the Brindlecast uninstaller, so the setup has a real program
// to register and link to. It deliberately leaves everything in place.

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    MessageBoxA(NULL,
                "Brindlecast 1.26 sample uninstaller: this stand-in removes nothing.",
                "Brindlecast Uninstall", MB_OK | MB_ICONINFORMATION);
    return 0;
}
