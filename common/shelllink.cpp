// Takes the shell's link object with its file interface, reads or writes a shortcut through it, and gives both back.
#include "shelllink.h"

int WithShellLink(const char *path, ShellLinkUse use, ShellLinkWork work)
{
    WCHAR wide[SHORTCUT_PATH_ROOM];
    IShellLinkA *link;
    IPersistFile *file;
    int done = 0;

    if (FAILED(CoCreateInstance(ShellLinkClass, NULL, CLSCTX_INPROC_SERVER, ShellLinkInterface, (void **)&link)))
        return 0;
    if (SUCCEEDED(link->QueryInterface(PersistFileInterface, (void **)&file))) {
        // The file interface takes its path in UTF-16.
        MultiByteToWideChar(CP_ACP, 0, path, -1, wide, SHORTCUT_PATH_ROOM);
        done = (use == LINK_WRITE || SUCCEEDED(file->Load(wide, STGM_READ))) && work(link)
               && (use == LINK_READ || SUCCEEDED(file->Save(wide, TRUE)));
        file->Release();
    }
    link->Release();
    return done;
}
