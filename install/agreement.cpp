// Loads License.txt whole and checks it against the byte sum of the shipped text.
#include "install.h"

static DWORD ByteSum(const BYTE *bytes, DWORD size)
{
    DWORD sum = 0;
    while (size--)
        sum += *bytes++;
    return sum;
}

// The text is kept, unlocked, only when the whole file was read and adds up;
// on any failure no block is left and AgreementText stays empty.
UINT LoadAgreementText(const char *setupFolder)
{
    char path[SETUP_PATH_ROOM];
    HANDLE file;
    HGLOBAL block;
    DWORD size, read = 0;
    BYTE *text;
    BOOL readOk;
    UINT failure = 0;

    CopyText(CopyText(path, setupFolder), LicenseFile);
    file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                       FILE_ATTRIBUTE_READONLY | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return IDS_BAD_AGREEMENT;
    size = GetFileSize(file, NULL);
    block = NULL;
    text = NULL;
    if (size == INVALID_FILE_SIZE || size > AGREEMENT_MAX)
        failure = IDS_BAD_AGREEMENT;
    else if (!(block = GlobalAlloc(GMEM_MOVEABLE, size + 1)) || !(text = (BYTE *)GlobalLock(block)))
        failure = IDS_NO_MEMORY;
    else {
        text[size] = 0;
        readOk = ReadFile(file, text, size, &read, NULL);
        if (!readOk || read < size || ByteSum(text, size) != AGREEMENT_SUM)
            failure = IDS_BAD_AGREEMENT;
    }
    CloseHandle(file);
    if (text)
        GlobalUnlock(block);
    if (failure) {
        if (block)
            GlobalFree(block);
        return failure;
    }
    SetupState.AgreementText = block;
    SetupState.AgreementSize = size;
    return 0;
}
