// The uninstaller's steps in-process: the registry entries it removes and
// keeps, whose folder an entry names, the runs that end before the copy in
// the temporary folder takes over (refusals, No, what could not be removed)
// with their boxes, the list of what is left, and the restart lists.
#include <gtest/gtest.h>
#include "uninstall/uninstall.h"
#include "install/install.h"
#include "support/fault.h"
#include "support/gui.h"
#include "support/installation.h"
#include "support/setupstate.h"
#include "support/child_process.h"
#include "support/handles.h"
#include "support/driving.h"
#include "support/uninstall_run.h"


class UninstallSteps : public StepTest {
protected:
    std::string Folder;
    HMODULE Texts = LoadLibraryExA((std::string(SETUP_MEDIA_DIR) + "\\Uninstal.exe").c_str(), NULL,
                                   LOAD_LIBRARY_AS_DATAFILE);

    void SetUp() override
    {
        StepTest::SetUp();
        ZeroMemory(&UninstallState, sizeof UninstallState);
        // The texts come from the uninstaller that ships.
        UninstallState.Instance = Texts;
        UninstallState.PlatformId = VER_PLATFORM_WIN32_NT;
        UninstallState.MajorVersion = 6;
        Folder = Scratch + "\\Brindle Apps";
    }

    void TearDown() override
    {
        StepTest::TearDown();
        FreeLibrary(Texts);
    }

    // The registry entries of an installation into a folder, as the setup writes them.
    void Record(const std::string &folder)
    {
        PrepareInstallState(folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE);
        ASSERT_EQ(WriteRegistryEntries(), 0u);
    }

    void RemoveRegistry()
    {
        lstrcpyA(UninstallState.Folder, Folder.c_str());
        IsInstalled();
        RemoveRegistryEntries();
        RemoveInstallationRecord();
    }
};

// What is the product's goes whole; keys that hold something else stay with it.
TEST_F(UninstallSteps, RegistryKeysGoUnlessSomethingElseIsInThem)
{
    const struct {
        const char *Name;
        HKEY Root;
        const char *Key, *Value;   // what else there is; a NULL value: a key
        const char *Stays;         // the product's key that must stay with it
    } cases[] = {
        { "nothing else", NULL, NULL, NULL, NULL },
        { "another version key", HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnwicke\\Brindlecast\\1.25", NULL,
          "SOFTWARE\\Tarnwicke\\Brindlecast" },
        { "a value of the maker", HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnwicke", "Owner", "SOFTWARE\\Tarnwicke" },
        { "another product of the user's maker key", HKEY_CURRENT_USER, "Software\\Tarnwicke\\Loomwright", NULL,
          "Software\\Tarnwicke" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        ASSERT_NO_FATAL_FAILURE(Record(Folder));
        // What the product and the shell add to its keys goes with them.
        SetRegString(HKEY_CURRENT_USER, "Software\\Tarnwicke\\Brindlecast\\Recent", "File1", "C:\\a.tsl");
        SetRegString(HKEY_CLASSES_ROOT, ".tsl\\ShellNew", "NullFile", "");
        SetRegString(HKEY_CLASSES_ROOT, "Brindlecast\\shell\\print\\command", NULL, "print it");
        if (c.Root)
            SetRegString(c.Root, c.Key, c.Value, "someone else's");

        RemoveRegistry();
        EXPECT_STREQ(UninstallState.Remaining, "");
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, VersionKey));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, AppPathsEntryKey));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallEntryKey));
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Tarnwicke\\Brindlecast"));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".tsl"));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Brindlecast"));
        if (c.Root) {
            EXPECT_EQ(ReadRegValue(c.Root, c.Key, c.Value).Data, std::string("someone else's") + '\0');
            EXPECT_TRUE(KeyExists(c.Root, c.Stays));
        } else {
            EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnwicke"));
            EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Tarnwicke"));
        }
    }
}

TEST_F(UninstallSteps, ShellIsToldThatTheAssociationWent)
{
    ASSERT_NO_FATAL_FAILURE(Record(Folder));
    EXPECT_TRUE(ShellHearsOfAssociations([this] { RemoveRegistry(); }));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".tsl"));
}

// The registry may write the folder another way and still mean this one; a
// folder that only starts like it is another installation's, whose entries
// all stay; a folder not given from a drive's root is nobody's: the entries
// that name it stay, and the others go.
TEST_F(UninstallSteps, FolderOfTheEntriesIsComparedAsAFolder)
{
    CreateDirectoryA(Folder.c_str(), NULL);
    char shortName[MAX_PATH] = "";
    GetShortPathNameA(Folder.c_str(), shortName, sizeof shortName);
    std::string upper = Upper(Folder);
    enum Owner { Here, Other, Nobody };
    const struct {
        std::string Recorded;
        Owner Whose;
    } cases[] = {
        { Folder, Here },
        { upper, Here },
        { Folder + "\\", Here },
        { shortName, Here },
        { Scratch + "\\x\\..\\Brindle Apps", Here },
        { Folder + "2", Other },
        { Scratch, Other },
        { "Brindle Apps", Nobody },
    };
    std::string saved = CurrentDir();
    // Where the relative folder would be this one.
    SetCurrentDirectoryA(Scratch.c_str());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Recorded);
        ResetMachine();
        ASSERT_NO_FATAL_FAILURE(Record(c.Recorded));
        RemoveRegistry();
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, AppPathsEntryKey), c.Whose != Here);
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, UninstallEntryKey), c.Whose != Here);
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, VersionKey), c.Whose == Other);
        EXPECT_EQ(KeyExists(HKEY_CLASSES_ROOT, "Brindlecast"), c.Whose == Other);
    }
    SetCurrentDirectoryA(saved.c_str());
}

// The same manifest as the setup program's: started elevated on Windows Vista
// and later, where it changes what belongs to all users.
TEST(UninstallImage, CarriesTheSetupProgramsManifest)
{
    std::string manifests[2];
    const char *programs[] = { "Setup.exe", "Uninstal.exe" };
    for (int i = 0; i < 2; i++) {
        HMODULE image = LoadLibraryExA((std::string(SETUP_MEDIA_DIR) + "\\" + programs[i]).c_str(), NULL,
                                       LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(image, (HMODULE)NULL) << programs[i];
        HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
        if (found)
            manifests[i].assign((const char *)LockResource(LoadResource(image, found)), SizeofResource(image, found));
        FreeLibrary(image);
    }
    EXPECT_NE(manifests[0], "");
    EXPECT_EQ(manifests[1], manifests[0]);
}

TEST_F(UninstallSteps, ListOfWhatIsLeftEndsWithAMarkWhenFull)
{
    std::string path = "C:\\" + std::string(200, 'p');
    for (int i = 0; i < 10; i++)
        NoteRemaining(path.c_str(), i % 2 ? "Tessel.exe" : NULL);
    std::string list = UninstallState.Remaining;
    EXPECT_LT(list.size(), (size_t)REMAINING_ROOM);
    EXPECT_EQ(list.substr(0, path.size() + 1), path + "\n");
    EXPECT_EQ(list.substr(path.size() + 1, path.size() + 12), path + "\\Tessel.exe\n");
    EXPECT_EQ(list.substr(list.size() - 4), "\n...");
}

// On the Windows 95 family the line goes into wininit.ini beside those of
// other programs, with the file's short name.
TEST_F(UninstallSteps, RestartRemovalOnWindows95KeepsOtherLinesOfWininit)
{
    RestartListsKept kept;
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    WriteBytes(std::string(windows) + "\\wininit.ini",
               "[rename]\r\nNUL=C:\\OTHER.TMP\r\nC:\\NEW.DLL=C:\\OLD.DLL\r\n");
    std::string file = Scratch + "\\A long file name.tmp";
    WriteBytes(file, "copy");
    char shortName[MAX_PATH] = "";
    GetShortPathNameA(file.c_str(), shortName, sizeof shortName);
    ASSERT_NE(std::string(shortName), file);

    UninstallState.PlatformId = VER_PLATFORM_WIN32_WINDOWS;
    std::vector<std::string> pendingBefore = PendingDeletions();
    RemoveAtRestart(file.c_str());
    EXPECT_EQ(RestartLines(), (std::vector<std::string>{ "NUL=C:\\OTHER.TMP", "C:\\NEW.DLL=C:\\OLD.DLL",
                                                         "NUL=" + std::string(shortName) }));
    EXPECT_EQ(PendingDeletions(), pendingBefore);
}

// Windows NT reads a shortcut's target as the shortcut holds it, in wide
// characters; the ANSI call gives '?' or a look-alike for what the code page
// lacks. A shortcut goes when its true target lies in this folder, and stays
// when the true target is another folder whose name the code page turns into
// this one's, present (it has a short form) or not (it has no ANSI form).
TEST_F(UninstallSteps, ShortcutTargetsAreReadByTheirTrueNames)
{
    std::wstring cyrillic = WideText(Scratch) + L"\\\u041F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u044B",
                 lookAlike = WideText(Scratch) + L"\\\uFF22rindle Apps";
    ASSERT_EQ(AnsiText(lookAlike), Folder);
    ASSERT_TRUE(CreateDirectoryW(cyrillic.c_str(), NULL));
    WriteWideBytes(cyrillic + L"\\Tessel.exe", "the product's program");
    WCHAR shortForm[MAX_PATH] = L"";
    ASSERT_NE(GetShortPathNameW(cyrillic.c_str(), shortForm, MAX_PATH), 0u);
    const struct {
        const char *Name;
        std::wstring Target;
        std::string Here;
        bool LookAlikeThere, Goes;
    } cases[] = {
        { "into this folder by its true name", cyrillic, AnsiText(shortForm), false, true },
        { "into a missing look-alike of this folder", lookAlike, Folder, false, false },
        { "into a present look-alike of this folder", lookAlike, Folder, true, false },
    };
    CreateDirectoryA(Folder.c_str(), NULL);
    WriteBytes(Folder + "\\Tessel.exe", "the product's program");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetMachine();
        if (c.LookAlikeThere) {
            ASSERT_TRUE(CreateDirectoryW(lookAlike.c_str(), NULL));
            WriteWideBytes(lookAlike + L"\\Tessel.exe", "another program");
        }
        PrepareInstallState(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_CURRENT_USER);
        ASSERT_EQ(CreateStartMenuShortcut(NULL), 0u);
        lstrcpyA(UninstallState.Folder, c.Here.c_str());
        {
            LinkTargetAnswer answer(c.Target + L"\\Tessel.exe");
            RemoveShortcuts();
            EXPECT_NE(answer.Slots[1], (void **)NULL) << "the link object was asked";
        }
        EXPECT_EQ(ReadShortcut(CSIDL_STARTMENU).Found, !c.Goes);
        DeleteFileW((lookAlike + L"\\Tessel.exe").c_str());
        RemoveDirectoryW(lookAlike.c_str());
    }
}

// Runs of the whole removal in-process, as this program's path reported as
// the uninstaller in the folder, that end before the copy in the temporary
// folder would take over.
class UninstallRunInProcess : public UninstallSteps {
protected:
    std::unique_ptr<ModulePathSwap> Program;
    std::unique_ptr<RestartListsKept> Restart;

    void SetUp() override
    {
        UninstallSteps::SetUp();
        Restart.reset(new RestartListsKept);
        Program.reset(new ModulePathSwap(Folder + "\\Uninstal.exe"));
    }

    void TearDown() override
    {
        Program.reset();
        Restart.reset();
        UninstallSteps::TearDown();
    }

    void Install()
    {
        PrepareInstallState(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE);
        CreateDirectoryA(Folder.c_str(), NULL);
        for (const char *file : ShippedFiles)
            ASSERT_TRUE(CopyFileA((std::string(SETUP_MEDIA_DIR) + "\\" + file).c_str(), (Folder + "\\" + file).c_str(),
                                  FALSE));
        ASSERT_EQ(WriteRegistryEntries(), 0u);
    }
};

// Each ends with one box of its kind, under the uninstaller's caption, or
// with none when quiet, and with its exit code; nothing is removed. Windows
// NT may give the uninstaller's own path with characters the code page lacks
// in a folder that has no short name (a volume without them); Wine always
// has one, so such a path is given for a folder that does not exist.
TEST_F(UninstallRunInProcess, RunsThatRemoveNothingShowOneBoxOfTheirKind)
{
    const struct {
        const char *Name;
        bool Installed, SetupBeside;
        int Answer;
        UINT Type, Code;
        const wchar_t *Program;   // NULL: Uninstal.exe in the folder
        const char *Text;         // NULL: not checked here
    } cases[] = {
        { "beside the setup program", true, true, IDOK, MB_ICONERROR, 1, NULL, NULL },
        { "not installed", false, false, IDOK, MB_ICONINFORMATION, 0, NULL, NULL },
        { "answered No", true, false, IDNO, MB_YESNO | MB_ICONQUESTION, 1, NULL, NULL },
        { "from a folder without an ANSI form", true, false, IDOK, MB_ICONERROR, IDS_NO_ANSI_FORM,
          L"C:\\\u041F\u0430\u043F\u043A\u0430\\Uninstal.exe",
          "Uninstall cannot work in this folder: its name holds characters that the language for non-Unicode "
          "programs lacks, and it has no short name. Nothing was removed." },
    };
    for (const auto &c : cases)
        for (BYTE quiet = 0; quiet <= 1; quiet++) {
            SCOPED_TRACE(std::string(c.Name) + (quiet ? ", quiet" : ""));
            if (quiet && c.Answer == IDNO)
                continue;   // a quiet run asks nothing
            // One swap at a time: the one before is given back first.
            Program.reset();
            Program.reset(c.Program ? new ModulePathSwap(std::wstring(c.Program))
                                    : new ModulePathSwap(Folder + "\\Uninstal.exe"));
            ResetMachine();
            DeleteTree(Folder);
            CreateDirectoryA(Folder.c_str(), NULL);
            CopyFileA((std::string(SETUP_MEDIA_DIR) + "\\Uninstal.exe").c_str(), (Folder + "\\Uninstal.exe").c_str(),
                      FALSE);
            if (c.Installed) {
                ASSERT_NO_FATAL_FAILURE(Install());
            }
            if (c.SetupBeside)
                WriteBytes(Folder + "\\Setup.exe", "the setup program");
            std::vector<std::string> before = FilesIn(Folder);
            UninstallState.Quiet = quiet;

            BoxCapture boxes(c.Answer);
            EXPECT_EQ(Uninstall(), c.Code);
            ASSERT_EQ(boxes.Boxes.size(), quiet ? 0u : 1u);
            if (!quiet) {
                EXPECT_EQ(boxes.Boxes[0].Caption, "Brindlecast 1.26 Uninstall");
                EXPECT_EQ(boxes.Boxes[0].Type, c.Type);
                if (c.Text) {
                    EXPECT_EQ(boxes.Boxes[0].Text, c.Text);
                }
            }
            EXPECT_EQ(FilesIn(Folder), before);
            EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, AppPathsEntryKey), c.Installed);
            EXPECT_EQ(TempCopyFolders(), std::vector<std::string>());
        }
}

// A file in use and a key that cannot be deleted stay, and the error box
// names them; the uninstaller, its entry and the App Paths entry stay too,
// so that it can be run again once they are free.
static struct {
    const char *Key;
    void *Original;
} DeniedDeletion;

static LONG WINAPI DenyDeletion(HKEY parent, LPCSTR name)
{
    if (lstrcmpiA(name, DeniedDeletion.Key) == 0)
        return ERROR_ACCESS_DENIED;
    return ((decltype(&RegDeleteKeyA))DeniedDeletion.Original)(parent, name);
}

// A file the system will not delete, though no program holds it (an access
// list that denies it): it is no program in use, and only the removal finds it.
static std::string UndeletableFile;
static void *RealDeleteFile;

static BOOL WINAPI DenyFileDeletion(LPCSTR path)
{
    if (lstrcmpiA(path, UndeletableFile.c_str()) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return ((decltype(&DeleteFileA))RealDeleteFile)(path);
}

TEST_F(UninstallRunInProcess, WhatCannotBeRemovedIsNamedAndTheRecordStays)
{
    ASSERT_NO_FATAL_FAILURE(Install());
    // Held as the system holds a running program's file: the uninstaller's own.
    HANDLE inUse[1] = { CreateFileA((Folder + "\\Uninstal.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                                    OPEN_EXISTING, 0, NULL) };
    ASSERT_NE(inUse[0], INVALID_HANDLE_VALUE);
    UndeletableFile = Folder + "\\Tessel.exe";
    ImportSwap deletion("kernel32.dll", "DeleteFileA", (void *)DenyFileDeletion);
    RealDeleteFile = deletion.Original;
    DeniedDeletion = { VersionKey, NULL };
    ImportSwap swap("advapi32.dll", "RegDeleteKeyA", (void *)DenyDeletion);
    DeniedDeletion.Original = swap.Original;

    BoxCapture boxes(IDYES);
    EXPECT_EQ(Uninstall(), 1u);
    for (HANDLE file : inUse)
        CloseHandle(file);
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[1].Type, (UINT)MB_ICONERROR);
    EXPECT_EQ(boxes.Boxes[1].Text,
              "Brindlecast could not be removed completely. These are still there:\n\n" + Folder
                  + "\\Tessel.exe\nHKEY_LOCAL_MACHINE\\" + VersionKey
                  + "\n\nClose Brindlecast and any program that uses these files, then run Uninstall again.");
    EXPECT_EQ(FilesIn(Folder), (std::vector<std::string>{ "Tessel.exe", "Uninstal.exe" }));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, AppPathsEntryKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, UninstallEntryKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Brindlecast"));
    EXPECT_EQ(TempCopyFolders(), std::vector<std::string>());
}
