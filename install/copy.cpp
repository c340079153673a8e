// Copies the seven shipped product files from the setup folder into the
// install folder, each checked against the digest the build recorded.
#include "install.h"
#include "../common/journal.h"

// The mark Windows puts on a downloaded file, in a stream of its own.
static const char ZoneStream[] = ":Zone.Identifier";
// What a copy takes over of the source's attributes, as CopyFileA does.
static const DWORD CopiedAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// Every shipped name fits the room a setup folder's path leaves for it.
static constexpr bool ShippedNamesFit(void)
{
    for (int i = 0; i < COPIED_FILE_COUNT; i++) {
        int length = 0;
        while (ProductFiles[i][length])
            length++;
        if (length > SETUP_NAME_CHARS)
            return false;
    }
    return true;
}
static_assert(ShippedNamesFit(), "a shipped name is longer than the setup folder's paths take");

// Static, so that the frames stay well below a page.
static BYTE CopyBlock[8192];

// True when the file hashed to the digest the build recorded for its name.
static int MatchesRecord(SHA256HASH *hash, const char *file)
{
    BYTE digest[SHA256_BYTES];

    Sha256End(hash, digest);
    for (const SHIPPEDDIGEST &shipped : ShippedDigests) {
        if (!shipped.File || lstrcmpiA(shipped.File, file) != 0)
            continue;
        for (int i = 0; i < SHA256_BYTES; i++)
            if (digest[i] != shipped.Digest[i])
                return 0;
        return 1;
    }
    return 0;
}

// Copies the data to the source's end, hashing each block between reading
// and writing it: what is checked is what was written.
static int CopyData(HANDLE from, HANDLE to, SHA256HASH *hash)
{
    DWORD read, written;

    Sha256Begin(hash);
    for (;;) {
        if (!ReadFile(from, CopyBlock, sizeof CopyBlock, &read, NULL))
            return 0;
        if (!read)
            return 1;
        Sha256Add(hash, CopyBlock, read);
        if (!WriteFile(to, CopyBlock, read, &written, NULL) || written != read)
            return 0;
    }
}

// The source is opened once, so it cannot change between the check and the
// copy. The copy gets the source's times and attributes, as from CopyFileA,
// but its data alone: no other stream, so no download mark. A file of that
// name goes aside first, to come back if the installation fails. A copy
// that fails or differs from the record is deleted.
static UINT CopyCheckedFile(const char *source, const char *file, char *target)
{
    HANDLE from, to = INVALID_HANDLE_VALUE;
    DWORD attributes;
    FILETIME created, accessed, written;
    SHA256HASH hash;
    UINT failure = IDS_COPY_FAILED;

    from = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (from == INVALID_HANDLE_VALUE)
        return IDS_COPY_FAILED;
    attributes = GetFileAttributesA(source);
    if (attributes != INVALID_FILE_ATTRIBUTES && GetFileTime(from, &created, &accessed, &written)
        && SetAside(target) && NoteMade(target)) {
        attributes &= CopiedAttributes;
        to = CreateFileA(target, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, attributes ? attributes : FILE_ATTRIBUTE_NORMAL,
                         NULL);
    }
    if (to != INVALID_HANDLE_VALUE) {
        if (CopyData(from, to, &hash)) {
            if (!MatchesRecord(&hash, file)) {
                failure = IDS_DAMAGED_FILE;
                SetupState.StepMessageInsert = file;
            } else if (SetFileTime(to, &created, &accessed, &written)) {
                failure = 0;
            }
        }
        CloseHandle(to);
        // A copy taken from read-only media carries that attribute, and the
        // next installation could neither replace nor delete it.
        ClearReadOnly(target);
        if (failure)
            DeleteFileA(target);
    }
    CloseHandle(from);
    if (failure)
        return failure;
    // A file overwritten in place keeps the streams it had. The path has
    // room: it was made for names of up to MAX_PATH characters.
    if (SetupState.PlatformId == VER_PLATFORM_WIN32_NT) {
        AppendText(target, ZoneStream);
        DeleteFileA(target);
    }
    return 0;
}

UINT CopyProductFiles(const char *setupFolder)
{
    char source[SETUP_PATH_ROOM], target[INSTALL_PATH_ROOM];
    UINT failure;

    for (int i = 0; i < COPIED_FILE_COUNT; i++) {
        CopyText(CopyText(source, setupFolder), ProductFiles[i]);
        if ((failure = CopyCheckedFile(source, ProductFiles[i], InstallFolderPath(target, ProductFiles[i]))) != 0)
            return failure;
        // The check of the download mark added its stream's name.
        LogLine("Copied %s", InstallFolderPath(target, ProductFiles[i]));
    }
    return 0;
}
