// Generated hostile inputs on every surface a user or another program can
// put in front of the setup: License.txt, the earlier installation's
// registry facts, typed install folders, the settings files of an earlier
// installation, version subkeys under the product key and the window
// position values. Each input is checked against what the program
// documents for it, and against overruns (guard bytes around the state
// record, memory blocks ending at a no-access page), crashes and hangs.
// HOSTILE_SEED=<n> reruns every surface with that seed.
#include <gtest/gtest.h>
#include <algorithm>
#include <set>
#include "install/install.h"
#include "screens/screens.h"
#include "support/fault.h"
#include "support/gui.h"
#include "support/generated.h"
#include "support/installation.h"
#include "support/setupstate.h"
#include "support/child_process.h"
#include "support/sandbox.h"

// Bytes of the given length brought to the shipped sum where the length
// allows it, a share of them zeros.
static std::string KeepingTheSum(Generated &run, size_t size)
{
    std::string bytes = run.Bytes(size);
    for (char &byte : bytes)
        if (run.Chance(20))
            byte = 0;
    long missing = (long)AGREEMENT_SUM - (long)ByteSum(bytes);
    for (size_t tries = 0; missing != 0 && tries < 40 * size; tries++) {
        unsigned char &byte = (unsigned char &)bytes[run.Below(size)];
        long step = missing > 0 ? std::min<long>(missing, 255 - byte) : -std::min<long>(-missing, byte);
        byte += step;
        missing -= step;
    }
    return bytes;
}

// The whole tree below a folder: path, then attributes and contents.
static std::map<std::string, std::string> Tree(const std::string &folder)
{
    std::map<std::string, std::string> tree;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return tree;
    do {
        std::string name = found.cFileName, path = folder + "\\" + name;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[path] = "folder";
            for (auto &inside : Tree(path))
                tree.insert(inside);
        } else {
            tree[path] = std::to_string(found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) + ":" + ReadBytes(path);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return tree;
}

static std::string TreeDifference(const std::map<std::string, std::string> &expected,
                                  const std::map<std::string, std::string> &found)
{
    std::string difference;
    for (auto &entry : expected)
        if (!found.count(entry.first))
            difference += "missing " + Printable(entry.first, 200) + "\n";
        else if (found.at(entry.first) != entry.second)
            difference += "changed " + Printable(entry.first, 200) + "\n";
    for (auto &entry : found)
        if (!expected.count(entry.first))
            difference += "unexpected " + Printable(entry.first, 200) + "\n";
    return difference;
}

// Brings a tree from what it holds to what it should hold, touching only
// what differs (removing and writing files is what takes the time).
static void Reconcile(const std::map<std::string, std::string> &now, const std::map<std::string, std::string> &wanted)
{
    for (auto entry = now.rbegin(); entry != now.rend(); ++entry) {
        auto want = wanted.find(entry->first);
        if (want != wanted.end() && want->second == entry->second)
            continue;
        if (entry->second == "folder") {
            if (want == wanted.end())
                RemoveDirectoryA(entry->first.c_str());
        } else {
            SetFileAttributesA(entry->first.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(entry->first.c_str());
        }
    }
    for (auto &entry : wanted) {
        auto have = now.find(entry.first);
        if (have != now.end() && have->second == entry.second)
            continue;
        if (entry.second == "folder") {
            CreateDirectoryA(entry.first.c_str(), NULL);
        } else {
            WriteBytes(entry.first, entry.second.substr(2));
            if (entry.second[0] == '1')
                SetFileAttributesA(entry.first.c_str(), FILE_ATTRIBUTE_READONLY);
        }
    }
}

// License.txt of 0 to 5,000 bytes, any bytes, many of them keeping the
// shipped sum: loaded exactly when it is at most 4096 bytes and sums right,
// then held whole with one zero after it; refused with 219 otherwise.
TEST(Hostile, License)
{
    ResetSetupState();
    std::string setup = ScratchOnC("hostile-license");
    std::string license = setup + "\\License.txt", shipped = ShippedLicense();
    ASSERT_EQ(ByteSum(shipped), (DWORD)AGREEMENT_SUM);
    const std::string setupFolder = setup + "\\", start = CurrentDir();
    GuardedBlocks blocks;
    Generated run("license", 20261210, 2000);

    while (run.Next()) {
        std::string bytes;
        bool present = true, folder = false;
        switch (run.Below(8)) {
        case 0:
            bytes = run.Bytes(run.Below(5001));
            break;
        case 1:   // the shipped text in another order
            bytes = shipped;
            std::shuffle(bytes.begin(), bytes.end(), std::mt19937(run.Below(1u << 30)));
            break;
        case 2:
            bytes = KeepingTheSum(run, run.Between(1000, 5000));
            break;
        case 3: {   // the shipped text with changes that may cancel out
            bytes = shipped;
            size_t at = run.Below(bytes.size()), other = run.Below(bytes.size());
            int step = run.Between(1, 40);
            bytes[at] = (char)((unsigned char)bytes[at] + step);
            if (run.Chance(60))
                bytes[other] = (char)((unsigned char)bytes[other] - step);
            break;
        }
        case 4: {
            static const size_t sizes[] = { 0, 1, 1046, 1047, 4095, 4096, 4097, 5000 };
            bytes = KeepingTheSum(run, sizes[run.Below(8)]);
            break;
        }
        case 5:
            present = false;
            folder = run.Chance(50);
            break;
        case 6:   // the shipped text cut short or run on
            bytes = run.Chance(50) ? shipped.substr(0, run.Below(shipped.size())) : shipped + run.Bytes(run.Below(2000));
            break;
        default:
            bytes = std::string(run.Below(5001), run.Chance(50) ? '\0' : '\xFF');
            break;
        }
        run.Describe(present ? std::to_string(bytes.size()) + " bytes summing to " + std::to_string(ByteSum(bytes)) + ": "
                                   + Printable(bytes, 40)
                             : folder ? "a folder named License.txt" : "no License.txt");
        SCOPED_TRACE(run.Where());
        DeleteFileA(license.c_str());
        RemoveDirectoryA(license.c_str());
        if (present)
            WriteBytes(license, bytes);
        else if (folder)
            CreateDirectoryA(license.c_str(), NULL);

        ResetSetupState();
        StateGuard guard;
        guard.Allow(&SetupState.AgreementText, sizeof SetupState.AgreementText);
        guard.Allow(&SetupState.AgreementSize, sizeof SetupState.AgreementSize);
        bool expected = present && bytes.size() <= AGREEMENT_MAX && ByteSum(bytes) == AGREEMENT_SUM;

        UINT failure = LoadAgreementText(setupFolder.c_str());
        run.Tally(failure ? "refused" : "loaded");
        EXPECT_EQ(failure, expected ? 0u : (UINT)IDS_BAD_AGREEMENT);
        if (!failure) {
            EXPECT_EQ(SetupState.AgreementSize, bytes.size());
            EXPECT_EQ(blocks.Live(), 1);
            EXPECT_EQ(blocks.LockCount(SetupState.AgreementText), 0) << "left locked";
            const char *text = (const char *)GlobalLock(SetupState.AgreementText);
            ASSERT_NE(text, (const char *)NULL);
            EXPECT_TRUE(std::string(text, bytes.size()) == bytes) << "the text held differs from the file";
            EXPECT_EQ(text[bytes.size()], '\0');
            GlobalUnlock(SetupState.AgreementText);
            GlobalFree(SetupState.AgreementText);
        } else {
            EXPECT_EQ(SetupState.AgreementText, (HGLOBAL)NULL);
            EXPECT_EQ(blocks.Live(), 0) << "a memory block was left behind";
        }
        EXPECT_FALSE(blocks.Damaged);
        EXPECT_EQ(guard.Damage(), "");
        EXPECT_EQ(CurrentDir(), start);
        if (present) {
            EXPECT_TRUE(ReadBytes(license) == bytes) << "the setup folder's License.txt was changed";
        }
    }
    RemoveScratchOnC(setup);
}

// The install-folder page's own reading of its field: trimmed, then tested
// by characters of the code page, as the page documents it. Which of the
// platform's answers (215, 216, 213 or accepted) applies is read off the
// disk afterwards.
struct TypedExpectation {
    std::string Path;   // what InstallPath holds afterwards
    int Message;        // IDS_BAD_DRIVE, IDS_DOUBLE_BACKSLASH, 0 for the disk to decide, -1 for a drive root
};

static TypedExpectation ExpectTyped(std::string text)
{
    std::vector<size_t> starts;   // where each character begins
    for (size_t i = 0; i < text.size(); i += IsDBCSLeadByte((BYTE)text[i]) && i + 1 < text.size() ? 2 : 1)
        starts.push_back(i);
    auto blank = [&](size_t start) { return text[start] == ' ' || text[start] == '\t'; };
    size_t first = 0, last = starts.size();
    while (first < last && blank(starts[first]))
        first++;
    while (last > first && blank(starts[last - 1]))
        last--;
    size_t from = first < starts.size() ? starts[first] : text.size();
    size_t to = last < starts.size() ? starts[last] : text.size();
    text = text.substr(from, to - from);
    starts.clear();
    for (size_t i = 0; i < text.size(); i += IsDBCSLeadByte((BYTE)text[i]) && i + 1 < text.size() ? 2 : 1)
        starts.push_back(i);

    char letter = text.empty() ? 0 : (char)(text[0] | 0x20);
    if (!(letter >= 'a' && letter <= 'z' && text.size() >= 3 && text[1] == ':' && text[2] == '\\'))
        return { text, IDS_BAD_DRIVE };
    if (text.size() == 3)
        return { text, -1 };
    if (text[starts.back()] == '\\') {
        text.erase(starts.back());
        starts.pop_back();
    }
    size_t backslash = 0;
    for (size_t k = 0; k < starts.size(); k++)
        if (text[starts[k]] == '\\')
            backslash = k;
    if (text[starts[backslash - 1]] == '\\')
        return { text, IDS_DOUBLE_BACKSLASH };
    return { text, 0 };
}

// Any character of the code page: double-byte ones (often with a 0x5C
// trail byte) where the code page has them, lone lead bytes, control
// characters, blanks, separators and the characters no name may hold.
static std::string TypedCharacter(Generated &run)
{
    static const char *const plain[] = { "\\", "\\", "\\\\", " ", "\t", "/", ":", ".", "*", "?", "\"", "<",
                                         ">", "|", "a", "Z", "0", "~", "-", "_" };
    bool doubleByte = IsDBCSLeadByte(0x95) != 0;
    switch (run.Below(8)) {
    case 0:
        return plain[run.Below(ARRAY_LENGTH(plain))];
    case 1:
        return std::string(1, (char)run.Between(1, 31));
    case 2:
    case 3: {
        if (!doubleByte)
            return std::string(1, (char)run.Between(0x80, 0xFF));
        // Lead bytes of code page 932, the trail byte often 0x5C.
        BYTE lead = run.Chance(70) ? run.Between(0x81, 0x9F) : run.Between(0xE0, 0xEF);
        BYTE trail = run.Chance(50) ? 0x5C : run.Chance(50) ? run.Between(0x40, 0x7E) : run.Between(0x80, 0xFC);
        return std::string(1, (char)lead) + (char)trail;
    }
    case 4:
        return std::string(1, (char)run.Between(0x80, 0xFF));   // lone lead bytes and single-byte characters
    default:
        return std::string(1, (char)run.Between('a', 'z'));
    }
}

// Characters enough for the length; ".." never, so that no folder typed
// below the scratch folder can name one outside it.
static std::string Tail(Generated &run, size_t length)
{
    std::string tail;
    while (tail.size() < length) {
        std::string next = TypedCharacter(run);
        if (next[0] == '.' && !tail.empty() && tail.back() == '.')
            next = "_";
        tail += next;
    }
    return tail;
}

// Folders typed into the real install-folder page, through its own Next:
// any characters of the code page, blanks around and inside, lengths up to
// the field's limit and past it (another program may set any text). Only
// the folder typed may be made, one level deep, nothing else anywhere.
TEST(Hostile, TypedFolders)
{
    ResetSetupState();
    ResetMachine();
    std::string scratch = ScratchOnC("hostile-typed");
    for (const char *folder : { "\\Apps", "\\Apps\\Deep", "\\Start" })
        CreateDirectoryA((scratch + folder).c_str(), NULL);
    WriteBytes(scratch + "\\File", "in the way");
    HWND page = CreateDialogParamA(SetupState.Instance, MAKEINTRESOURCEA(IDD_DIRECTORY), NULL, DirectoryPage, 0);
    ASSERT_NE(page, (HWND)NULL);
    std::map<std::string, std::string> world = Tree(scratch);
    Generated run("typed folders", 6502, 1500);

    while (run.Next()) {
        std::string typed;
        switch (run.Below(10)) {
        case 0: {   // anything, but never a drive's root: nothing can be made there
            typed = Tail(run, run.Below(600));
            if (!typed.empty() && (typed[0] == ' ' || typed[0] == '\t' || IsCharAlphaA(typed[0])))
                typed[0] = '#';
            break;
        }
        case 1: {
            static const char *const roots[] = { "C:\\", "  C:\\\t", "c:\\", "C:\\\\", "C:", "C:/", "1:\\", "" };
            typed = roots[run.Below(ARRAY_LENGTH(roots))];
            break;
        }
        case 2:   // as long as the field takes, and longer
            typed = scratch + "\\" + Tail(run, run.Between(400, 600) - scratch.size());
            break;
        default: {
            static const char *const parents[] = { "", "\\Apps", "\\Apps\\Deep", "\\Missing", "\\File", "\\Apps\\" };
            typed = std::string(run.Below(3), ' ') + scratch + parents[run.Below(ARRAY_LENGTH(parents))] + "\\"
                    + Tail(run, run.Below(30)) + std::string(run.Below(3), run.Chance(50) ? ' ' : '\t');
            break;
        }
        }
        SetCurrentDirectoryA((scratch + "\\Start").c_str());
        SetDlgItemTextA(page, IDC_INSTALL_DIR, typed.c_str());
        // What the page will read: the field's text as the code page gives it.
        char field[INSTALL_DIR_CHARS + 16];
        FillMemory(field, sizeof field, 0x77);
        SendDlgItemMessageA(page, IDC_INSTALL_DIR, WM_GETTEXT, INSTALL_DIR_CHARS, (LPARAM)field);
        ASSERT_TRUE(memchr(field, 0, INSTALL_DIR_CHARS)) << "the field's text is not terminated";
        TypedExpectation expected = ExpectTyped(field);
        run.Describe("typed " + Printable(typed, 120) + ", read " + Printable(field, 120));
        SCOPED_TRACE(run.Where());

        SetupState.ShortcutChoice = 1;
        SetupState.FolderMade = 0;
        StateGuard guard;
        guard.Allow(SetupState.InstallPath, sizeof SetupState.InstallPath);
        guard.Allow(&SetupState.ShortcutChoice, 1);
        guard.Allow(&SetupState.FolderMade, 1);
        bool existed = DirExists(expected.Path);
        BoxCapture boxes;
        SendMessageA(page, WM_COMMAND, IDOK, 0);
        bool accepted = boxes.Boxes.empty();
        std::string outcome = accepted ? (expected.Message == 0 && !existed ? "made" : "taken") : "refused";
        for (int id = IDS_NO_CREATE_DIR; !accepted && id <= IDS_DOUBLE_BACKSLASH; id++)
            if (boxes.Boxes[0].Text == ExpectedReport(id))
                outcome = std::to_string(id);
        run.Tally(outcome);

        EXPECT_EQ(std::string(SetupState.InstallPath), expected.Path);
        EXPECT_EQ(guard.Damage(), "");
        // What a failed run removes again: only a folder it made.
        EXPECT_EQ(SetupState.FolderMade, outcome == "made");
        EXPECT_LE(boxes.Boxes.size(), 1u);
        if (expected.Message > 0) {
            ASSERT_EQ(boxes.Boxes.size(), 1u);
            EXPECT_EQ(boxes.Boxes[0].Text, ExpectedReport(expected.Message));
        } else if (expected.Message < 0) {
            EXPECT_TRUE(accepted) << "a drive root is taken as it is";
        } else if (accepted) {
            EXPECT_TRUE(DirExists(expected.Path)) << "accepted, but no such folder";
        } else {
            static const int answers[] = { IDS_NO_PARENT_DIR, IDS_NO_ACCESS_DIR, IDS_NO_CREATE_DIR };
            EXPECT_TRUE(std::any_of(std::begin(answers), std::end(answers),
                                    [&](int id) { return boxes.Boxes[0].Text == ExpectedReport(id); }))
                << boxes.Boxes[0].Text;
            EXPECT_FALSE(DirExists(expected.Path) && !existed) << "refused, but the folder was made";
        }
        // Nothing changes in the scratch tree but the folder made, which goes again.
        std::map<std::string, std::string> now = Tree(scratch);
        if (accepted && !existed && expected.Message == 0) {
            SetCurrentDirectoryA(scratch.c_str());
            EXPECT_TRUE(RemoveDirectoryA(expected.Path.c_str())) << "the folder made is not the one typed";
            now = Tree(scratch);
        }
        EXPECT_EQ(TreeDifference(world, now), "");
    }
    DestroyWindow(page);
    RemoveScratchOnC(scratch);
}

static const DWORD ValueTypes[] = {
    REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_DWORD_BIG_ENDIAN, REG_LINK, REG_MULTI_SZ,
    REG_RESOURCE_LIST, REG_QWORD, 0x7FFF, 0xFFFFFFFF,
};

static void SetValue(HKEY root, const std::string &subkey, const char *name, DWORD type, const std::string &data)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(root, subkey.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL), ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, (const BYTE *)data.data(), data.size());
    RegCloseKey(key);
}

// The folder a path leads to, in its long form, or "" when it cannot be entered.
static std::string FolderNamed(const std::string &path)
{
    std::string before = CurrentDir();
    if (!SetCurrentDirectoryA(path.c_str()))
        return "";
    char now[2 * MAX_PATH] = "", full[2 * MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof now, now);
    SetCurrentDirectoryA(before.c_str());
    if (!GetLongPathNameA(now, full, sizeof full))
        lstrcpyA(full, now);
    std::string folder = full;
    if (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    return Lower(folder);
}

static std::vector<std::string> SettingsFilesIn(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.tsl").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// The message boxes of the removal of an earlier installation, by kind.
static std::vector<std::string> BoxKinds(const BoxCapture &capture)
{
    static const struct { const char *Text, *Kind; } kinds[] = {
        { MoveSettingsQuestion, "question" },
        { MoveSettingsFailed, "could not move" },
        { RemoveFolderFailed, "could not remove" },
    };
    std::vector<std::string> seen;
    for (const RecordedBox &box : capture.Boxes) {
        std::string kind = "unexpected: " + box.Text;
        for (const auto &known : kinds)
            if (box.Text == known.Text)
                kind = known.Kind;
        seen.push_back(kind);
    }
    return seen;
}

// What the removal of an earlier installation in `folder` does to the tree,
// as documented: settings files offered, moved in the order the search
// yields them until the first that cannot go, product files deleted unless
// the folder is the setup folder, the folder removed when empty. Returns
// the boxes expected, by their kinds. Windows refuses a destination of
// MAX_PATH characters or more to the ANSI move; Wine takes it, so whether
// it is refused is asked of the platform (longMoves).
static std::vector<std::string> ExpectRemoval(std::map<std::string, std::string> &tree, const std::string &folder,
                                              const std::string &setup, const std::string &install, bool yes,
                                              bool longMoves = false)
{
    std::vector<std::string> boxes;
    std::vector<std::string> settings = SettingsFilesIn(folder);
    if (!settings.empty()) {
        boxes.push_back("question");
        for (size_t i = 0; yes && i < settings.size(); i++) {
            std::string from = folder + "\\" + settings[i], to = install + "\\" + settings[i];
            if (tree.count(to) || (to.size() >= MAX_PATH && !longMoves)) {
                boxes.push_back("could not move");
                break;
            }
            tree[to] = tree[from];
            tree.erase(from);
        }
    }
    if (Lower(folder) != Lower(setup))
        for (const char *file : ProductFileNames)
            tree.erase(folder + "\\" + file);
    bool empty = true;
    for (auto &entry : tree)
        if (Lower(entry.first).rfind(Lower(folder) + "\\", 0) == 0)
            empty = false;
    if (empty && folder.size() > 3)
        tree.erase(folder);
    else
        boxes.push_back("could not remove");
    return boxes;
}

// The registry's "Path" of an earlier installation: every value type,
// 0 to 400 bytes, with and without terminator, naming the old folder, the
// install folder, the setup folder, a file, a missing folder, a drive
// root, relative and garbage folders; the maker key there or not.
TEST(Hostile, EarlierInstallation)
{
    ResetSetupState();
    std::string scratch = ScratchOnC("hostile-previous");
    std::string old = scratch + "\\Old", fresh = scratch + "\\New", start = scratch + "\\Start";
    std::string setup = StageMedia(scratch + "\\Media"), file = scratch + "\\File";
    ModulePathSwap setupFolder(std::string(setup) + "\\Setup.exe");
    WIN32_FIND_DATAA found;
    HANDLE rootFiles = FindFirstFileA("C:\\*.tsl", &found);
    ASSERT_EQ(rootFiles, INVALID_HANDLE_VALUE) << "settings files in C:\\ would be offered";
    for (const char *name : ProductFileNames)
        ASSERT_FALSE(FileExists(std::string("C:\\") + name)) << name << " in C:\\ would be deleted";
    Generated run("earlier installation", 1126, 300);

    std::map<std::string, std::string> now = Tree(scratch);
    while (run.Next()) {
        // The world the setup meets.
        std::map<std::string, std::string> world;
        for (auto &entry : now)
            if (entry.first.rfind(setup, 0) == 0)
                world.insert(entry);
        for (const std::string &folder : { old, fresh, start })
            world[folder] = "folder";
        world[file] = "0:a file";
        for (const char *name : ProductFileNames)
            if (run.Chance(80))
                world[old + "\\" + name] = (run.Chance(30) ? "1:old " : "0:old ") + std::string(name);
        for (const char *name : { "A.tsl", "B.tsl" })
            if (run.Chance(40))
                world[old + "\\" + name] = "0:settings " + std::string(name);
        if (run.Chance(20))
            world[fresh + "\\A.tsl"] = "0:the new folder's own";
        if (run.Chance(30))
            for (const char *name : ProductFileNames)
                world[fresh + "\\" + name] = "0:old " + std::string(name);
        if (run.Chance(20))
            world[old + "\\Notes.doc"] = "0:the user's";
        SetCurrentDirectoryA("C:\\");
        Reconcile(now, world);

        std::string target;
        char shortName[MAX_PATH] = "";
        switch (run.Below(20)) {
        case 0: target = old; break;
        case 1: target = old + "\\"; break;
        case 2: target = Lower(old); break;
        case 3: target = fresh + "\\..\\Old"; break;
        case 4: target = fresh; break;
        case 5: target = fresh + "\\"; break;
        case 6: target = Lower(fresh); break;
        case 7: target = setup; break;
        case 8: target = setup + "\\"; break;
        case 9: target = file; break;
        case 10: target = scratch + "\\Missing"; break;
        case 11: target = "C:\\"; break;
        case 12: target = run.Chance(50) ? "C:" : "Old"; break;
        case 13: target = ""; break;
        case 14: target = run.Bytes(run.Below(300)); break;
        case 15: target = scratch + "\\" + run.Bytes(run.Below(300)); break;
        case 16: target = old + "\\" + std::string(run.Between(200, 300), 'x'); break;
        case 17: target = start; break;
        case 18: target = scratch; break;
        default:
            GetShortPathNameA(old.c_str(), shortName, sizeof shortName);
            target = shortName;
            break;
        }
        // A garbage folder must not lead out of the scratch tree.
        if (target.find("..") != std::string::npos && target != fresh + "\\..\\Old")
            target = scratch + "\\Missing";
        std::string bytes = target;
        if (run.Chance(70))
            bytes += '\0';
        if (run.Chance(10))
            bytes += run.Bytes(run.Below(40));
        if (run.Chance(10))
            bytes = bytes.substr(0, run.Below(bytes.size() + 1));
        DWORD type = run.Chance(70) ? REG_SZ : ValueTypes[run.Below(ARRAY_LENGTH(ValueTypes))];
        bool maker = run.Chance(90), entry = run.Chance(95), value = run.Chance(95), yes = run.Chance(60);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, MakerKey);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, AppPathsEntryKey);
        if (maker)
            SetValue(HKEY_LOCAL_MACHINE, MakerKey, "Marker", REG_SZ, "kept");
        if (entry && value)
            SetValue(HKEY_LOCAL_MACHINE, AppPathsEntryKey, "Path", type, bytes);
        else if (entry)
            SetValue(HKEY_LOCAL_MACHINE, AppPathsEntryKey, "Other", REG_SZ, "no path");
        run.Describe("Path of type " + std::to_string(type) + ", " + std::to_string(bytes.size()) + " bytes: "
                     + Printable(bytes, 120) + (maker ? "" : ", no maker key") + (yes ? ", answered yes" : ""));
        SCOPED_TRACE(run.Where());

        // What the setup will read, read the same way.
        std::string read;
        bool readable = false;
        HKEY key;
        if (maker && RegOpenKeyExA(HKEY_LOCAL_MACHINE, AppPathsEntryKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            char data[MAX_PATH + 1];
            DWORD size = MAX_PATH;
            readable = RegQueryValueExA(key, "Path", NULL, NULL, (BYTE *)data, &size) == ERROR_SUCCESS;
            data[readable ? size : 0] = 0;
            read = data;
            RegCloseKey(key);
        }
        std::map<std::string, std::string> expected = Tree(scratch);
        ASSERT_EQ(TreeDifference(world, expected), "") << "the world was not laid out";
        std::vector<std::string> boxes;
        SetCurrentDirectoryA(start.c_str());
        std::string named = FolderNamed(read), expectedDir = start;
        bool absolute = read.size() >= 3 && IsCharAlphaA(read[0]) && (unsigned char)read[0] < 0x80 && read[1] == ':'
                        && read[2] == '\\';
        std::string outcome = "ignored";
        if (readable && absolute && named == Lower(fresh)) {
            outcome = "install folder";
            for (const char *name : ProductFileNames)
                expected.erase(fresh + "\\" + name);
        } else if (readable && absolute && !named.empty()) {
            std::string folder;
            for (const std::string &known : { old, setup, start, scratch, std::string("C:\\") })
                if (named == Lower(known))
                    folder = known;
            ASSERT_FALSE(folder.empty()) << "the Path names a folder outside the test's tree: " << named;
            outcome = folder == old ? "old folder" : folder == setup ? "setup folder" : "other folder";
            boxes = ExpectRemoval(expected, folder, setup, fresh, yes);
            expectedDir = fresh;
        }
        run.Tally(outcome);

        lstrcpyA(SetupState.InstallPath, fresh.c_str());
        StateGuard guard;
        BoxCapture capture(yes ? IDYES : IDNO);
        RemovePreviousInstall(GetDesktopWindow());

        EXPECT_EQ(BoxKinds(capture), boxes);
        now = Tree(scratch);
        EXPECT_EQ(TreeDifference(expected, now), "");
        EXPECT_EQ(Lower(CurrentDir()), Lower(expectedDir));
        EXPECT_EQ(guard.Damage(), "");
        EXPECT_TRUE(!maker || KeyExists(HKEY_LOCAL_MACHINE, MakerKey));
    }
    ResetMachine();
    RemoveScratchOnC(scratch);
}

// A settings file name: mostly short, some as long as a name may be, of any
// character a file name may hold in this code page, in any case of ".tsl".
static std::string SettingsName(Generated &run)
{
    static const char extra[] = " .-_()[]{}!#$%&'+,;=@^`~";
    static const char *const extensions[] = { ".tsl", ".TSL", ".Tsl" };
    size_t length = run.Chance(60) ? run.Between(1, 8) : run.Chance(60) ? run.Between(9, 60) : run.Between(100, 251);
    std::string name;
    while (name.size() < length) {
        unsigned pick = run.Below(10);
        name += pick < 6   ? (char)run.Between('a', 'z')
                : pick < 7 ? (char)run.Between('0', '9')
                : pick < 9 ? extra[run.Below(sizeof extra - 1)]
                           : (char)run.Between(0xA0, 0xFF);
    }
    // A name may not end in a blank or a dot, nor be only those.
    while (!name.empty() && (name.back() == ' ' || name.back() == '.'))
        name.back() = 'e';
    return name + extensions[run.Below(3)];
}

// An earlier installation in another folder with many settings files, long
// names and names the new folder already holds: moved in the order the
// search yields them up to the first that cannot go, which the user hears
// of; nothing lost, nothing overwritten, nothing else touched.
TEST(Hostile, SettingsFiles)
{
    ResetSetupState();
    ResetMachine();
    std::string scratch = ScratchOnC("hostile-settings");
    std::string old = scratch + "\\Old", fresh = scratch + "\\New", setup = StageMedia(scratch + "\\Media");
    ModulePathSwap setupFolder(std::string(setup) + "\\Setup.exe");
    RecordPreviousInstall(WithTerminator(old));
    // Whether this platform moves a file to a path that long at all.
    std::string probe = scratch + "\\Probe.tsl", longProbe = scratch + "\\" + std::string(MAX_PATH + 4 - scratch.size(), 'p');
    WriteBytes(probe, "probe");
    bool longMoves = MoveFileA(probe.c_str(), longProbe.c_str()) != 0;
    DeleteTree(longProbe);
    DeleteFileA(probe.c_str());
    Generated run("settings files", 4096, 120);
    size_t files = 0, moved = 0;

    while (run.Next()) {
        SetCurrentDirectoryA("C:\\");
        DeleteTree(old);
        DeleteTree(fresh);
        CreateDirectoryA(old.c_str(), NULL);
        CreateDirectoryA(fresh.c_str(), NULL);
        size_t count = run.Chance(60) ? run.Below(11) : run.Chance(75) ? run.Between(11, 60) : run.Between(100, 200);
        std::set<std::string> taken;
        for (size_t i = 0; i < count; i++) {
            std::string name = SettingsName(run);
            if (!taken.insert(Lower(name)).second)
                continue;
            WriteBytes(old + "\\" + name, "settings " + std::to_string(i));
            if (run.Chance(count > 50 ? 1 : 5))
                WriteBytes(fresh + "\\" + name, "the new folder's own");
        }
        for (const char *decoy : { "Notes.tsl.txt", "Old.tslx" })
            if (run.Chance(20))
                WriteBytes(old + "\\" + decoy, "not settings");
        if (run.Chance(50))
            PutOldProductFiles(old);
        bool yes = run.Chance(80);
        run.Describe(std::to_string(taken.size()) + " settings files" + (yes ? ", answered yes" : ", answered no"));
        SCOPED_TRACE(run.Where());

        std::map<std::string, std::string> expected = Tree(scratch);
        std::vector<std::string> boxes = ExpectRemoval(expected, old, setup, fresh, yes, longMoves);
        files += taken.size();
        lstrcpyA(SetupState.InstallPath, fresh.c_str());
        StateGuard guard;
        BoxCapture capture(yes ? IDYES : IDNO);
        RemovePreviousInstall(GetDesktopWindow());

        std::map<std::string, std::string> now = Tree(scratch);
        for (auto &entry : now)
            if (entry.first.rfind(fresh + "\\", 0) == 0 && !FileExists(old + entry.first.substr(fresh.size())))
                moved++;
        EXPECT_EQ(BoxKinds(capture), boxes);
        EXPECT_EQ(TreeDifference(expected, now), "");
        EXPECT_EQ(guard.Damage(), "");
        run.Tally(boxes.size() > 1 && boxes[1] == "could not move" ? "stopped by a clash" : "all handled");
    }
    printf("settings files: %u files in all, %u moved\n", (unsigned)files, (unsigned)moved);
    ResetMachine();
    RemoveScratchOnC(scratch);
}


// The subkeys of a key, by the names the ANSI calls give them.
static std::vector<std::string> Subkeys(const std::string &path)
{
    std::vector<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    char name[1024];
    for (DWORD i = 0, size = sizeof name; RegEnumKeyExA(key, i, name, &size, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
         i++, size = sizeof name)
        names.push_back(name);
    RegCloseKey(key);
    return names;
}

// Version subkeys under the product key: many, long, odd names, some with
// subkeys of their own, some named in characters the code page lacks. The
// registry step deletes exactly those of up to four characters that can be
// deleted by their name, and makes "1.26" afresh.
TEST(Hostile, VersionKeys)
{
    ResetSetupState();
    std::string folder = ScratchOnC("hostile-versions");
    Generated run("version keys", 126, 200);
    size_t seen = 0, deleted = 0;

    while (run.Next()) {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, MakerKey);
        HKEY product;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &product, NULL),
                  ERROR_SUCCESS);
        RegSetValueExA(product, "Kept", 0, REG_SZ, (const BYTE *)"value", 6);
        size_t count = run.Chance(70) ? run.Below(12) : run.Between(12, 80);
        std::set<std::string> names, marked;
        for (size_t i = 0; i < count; i++) {
            static const char *const special[] = { "1.26", "1.25", "1.2", "1.26 ", "Backup", ".", "..", "....", " " };
            std::string name;
            if (run.Chance(20)) {
                name = special[run.Below(ARRAY_LENGTH(special))];
            } else {
                size_t length = run.Chance(45) ? run.Between(1, 4) : run.Chance(70) ? run.Between(5, 12)
                                                                                     : run.Between(13, 255);
                while (name.size() < length) {
                    char c = run.Chance(85) ? (char)run.Between(0x20, 0x7E) : (char)run.Between(0xA0, 0xFF);
                    name += c == '\\' || c == '?' || c == '*' ? '_' : c;
                }
            }
            if (!names.insert(Lower(name)).second)
                continue;
            HKEY key;
            if (RegCreateKeyExA(product, name.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
                continue;
            if (RegSetValueExA(key, "Marker", 0, REG_SZ, (const BYTE *)"marker", 7) == ERROR_SUCCESS)
                marked.insert(Lower(name));
            HKEY child;
            if (run.Chance(15) && RegCreateKeyExA(key, "Child", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &child, NULL) == ERROR_SUCCESS)
                RegCloseKey(child);
            RegCloseKey(key);
        }
        if (run.Chance(10)) {   // names the ANSI code page cannot spell
            HKEY key;
            RegCreateKeyExW(product, run.Chance(50) ? L"\u4E00\u4E01" : L"\u0416\u0436x", 0, NULL, 0, KEY_ALL_ACCESS,
                            NULL, &key, NULL);
            RegCloseKey(key);
        }

        // Which can go: four characters at most, no subkeys, and its name opens it.
        std::vector<std::string> before = Subkeys(ProductKey);
        std::set<std::string> expected = { "1.26" };
        for (const std::string &name : before) {
            HKEY key;
            bool opens = RegOpenKeyExA(product, name.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
            if (opens)
                RegCloseKey(key);
            bool goes = name.size() <= 4 && opens && Subkeys(std::string(ProductKey) + "\\" + name).empty();
            if (!goes)
                expected.insert(Lower(name));
        }
        RegCloseKey(product);
        run.Describe(std::to_string(before.size()) + " subkeys");
        SCOPED_TRACE(run.Where());
        PrepareInstallState(folder, VER_PLATFORM_WIN32_NT, 5, SHORTCUT_NONE);
        StateGuard guard;

        EXPECT_EQ(WriteRegistryEntries(), 0u);
        std::set<std::string> after;
        for (const std::string &name : Subkeys(ProductKey))
            after.insert(Lower(name));
        EXPECT_EQ(after, expected);
        EXPECT_TRUE(ReadRegValue(HKEY_LOCAL_MACHINE, ProductKey, "Kept").Found);
        // Those kept keep what they held. Opened one level at a time: the
        // ANSI calls take no full key path longer than MAX_PATH.
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, KEY_READ, &product), ERROR_SUCCESS);
        for (const std::string &name : before) {
            HKEY key;
            if (!expected.count(Lower(name)) || !marked.count(Lower(name)) || Lower(name) == "1.26")
                continue;
            EXPECT_EQ(RegOpenKeyExA(product, name.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS) << Printable(name);
            EXPECT_EQ(RegQueryValueExA(key, "Marker", NULL, NULL, NULL, NULL), ERROR_SUCCESS)
                << Printable(name) << " was changed";
            RegCloseKey(key);
        }
        RegCloseKey(product);
        EXPECT_EQ(guard.Damage(), "");
        seen += before.size();
        deleted += before.size() + 1 - after.size();
    }
    printf("version keys: %u subkeys in all, %u deleted\n", (unsigned)seen, (unsigned)deleted);
    ResetMachine();
    RemoveScratchOnC(folder);
}


// WindowLeft and WindowTop of every type and size, or missing: a pair that
// is whole and of the double-word type stays exactly as it was; anything
// else becomes two double-word zeros. Nothing else under the key changes.
TEST(Hostile, WindowPosition)
{
    ResetSetupState();
    std::string folder = ScratchOnC("hostile-position");
    Generated run("window position", 1024768, 250);

    while (run.Next()) {
        DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Tarnwicke");
        std::string description;
        bool whole = true;
        for (const char *name : WindowPositionValues) {
            if (run.Chance(15)) {
                whole = false;
                description += std::string(name) + " missing; ";
                continue;
            }
            DWORD type = run.Chance(40) ? REG_DWORD : ValueTypes[run.Below(ARRAY_LENGTH(ValueTypes))];
            size_t size = run.Chance(40) ? 4 : run.Chance(50) ? run.Below(9) : run.Below(300);
            SetValue(HKEY_CURRENT_USER, UserSettingsKey, name, type, run.Bytes(size));
            RegValue stored = ReadRegValue(HKEY_CURRENT_USER, UserSettingsKey, name);
            whole = whole && stored.Found && stored.Type == REG_DWORD;
            description += std::string(name) + " of type " + std::to_string(type) + ", " + std::to_string(size)
                           + " bytes; ";
        }
        SetValue(HKEY_CURRENT_USER, UserSettingsKey, "Other", REG_BINARY, "\x01\x02");
        RegValue left = ReadRegValue(HKEY_CURRENT_USER, UserSettingsKey, "WindowLeft");
        RegValue top = ReadRegValue(HKEY_CURRENT_USER, UserSettingsKey, "WindowTop");
        run.Describe(description);
        SCOPED_TRACE(run.Where());
        PrepareInstallState(folder, VER_PLATFORM_WIN32_NT, 5, SHORTCUT_NONE);
        StateGuard guard;

        EXPECT_EQ(WriteRegistryEntries(), 0u);
        run.Tally(whole ? "kept" : "reset");
        const std::string zero(4, '\0');
        for (const auto &[name, was] : { std::make_pair("WindowLeft", left), std::make_pair("WindowTop", top) }) {
            RegValue now = ReadRegValue(HKEY_CURRENT_USER, UserSettingsKey, name);
            EXPECT_TRUE(now.Found) << name;
            EXPECT_EQ(now.Type, whole ? was.Type : (DWORD)REG_DWORD) << name;
            EXPECT_TRUE(now.Data == (whole ? was.Data : zero)) << name << " holds " << Printable(now.Data);
        }
        EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, UserSettingsKey, "Other").Data, "\x01\x02");
        EXPECT_EQ(guard.Damage(), "");
    }
    ResetMachine();
    RemoveScratchOnC(folder);
}
