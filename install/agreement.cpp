// Loads License.txt whole and checks it against the byte sum of the shipped text.
#include "install.h"

static DWORD ByteSum(const BYTE *bytes, DWORD size)
{
    DWORD sum = 0;
    while (size--)
        sum += *bytes++;
    return sum;
}

static int DropAgreement(void)
{
    GlobalUnlock(SetupState.AgreementText);
    GlobalFree(SetupState.AgreementText);
    return 0;
}

int LoadAgreementText(void)
{
    HANDLE file;
    DWORD size, read = 0;
    BYTE *text;
    BOOL readOk;

    if (!EnterSetupFolder())
        return 0;
    SetupState.StepMessageId = IDS_BAD_AGREEMENT;
    file = CreateFileA(LicenseFile, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                       FILE_ATTRIBUTE_READONLY | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    size = GetFileSize(file, NULL);
    if (size == INVALID_FILE_SIZE || size > AGREEMENT_MAX) {
        CloseHandle(file);
        return 0;
    }
    SetupState.AgreementSize = size;

    SetupState.StepMessageId = IDS_NO_MEMORY;
    SetupState.AgreementText = GlobalAlloc(GMEM_MOVEABLE, size + 1);
    if (!SetupState.AgreementText) {
        CloseHandle(file);
        return 0;
    }
    text = (BYTE *)GlobalLock(SetupState.AgreementText);
    if (!text) {
        GlobalFree(SetupState.AgreementText);
        CloseHandle(file);
        return 0;
    }
    text[size] = 0;

    SetupState.StepMessageId = IDS_BAD_AGREEMENT;
    readOk = ReadFile(file, text, size, &read, NULL);
    CloseHandle(file);
    if (!readOk || read < size || ByteSum(text, size) != AGREEMENT_SUM)
        return DropAgreement();
    GlobalUnlock(SetupState.AgreementText);
    return 1;
}
