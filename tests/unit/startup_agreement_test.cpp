// Loading and summing License.txt from the setup folder, a scratch folder
// that is not the current one.
#include <gtest/gtest.h>
#include <algorithm>
#include "install/install.h"
#include "support/fault.h"
#include "support/handles.h"
#include "support/installation.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

// A text of `size` bytes whose bytes add up to the shipped sum.
static std::string TextWithShippedSum(size_t size)
{
    std::string text(size, 'A');
    DWORD missing = AGREEMENT_SUM - 'A' * size;
    for (size_t i = 0; missing; i++) {
        BYTE step = (BYTE)std::min<DWORD>(missing, 255 - 'A');
        text[i] = 'A' + step;
        missing -= step;
    }
    return text;
}

// ReadFile as called: counted, and optionally short or failing.
static struct {
    int Calls;
    DWORD Asked;
    int Shorten;   // bytes held back from the caller
    bool Fail;
    ImportSwap *Swap;
} Reads;

static BOOL WINAPI WatchedRead(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
{
    Reads.Calls++;
    Reads.Asked = size;
    if (Reads.Fail) {
        *read = 0;
        SetLastError(ERROR_READ_FAULT);
        return FALSE;
    }
    DWORD give = size > (DWORD)Reads.Shorten ? size - Reads.Shorten : 0;
    // What a short read leaves in the rest of the buffer is anyone's guess;
    // zeros keep the sum of a text that ends in zeros right.
    ZeroMemory((BYTE *)buffer + give, size - give);
    return ((BOOL(WINAPI *)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED))Reads.Swap->Original)(file, buffer, give,
                                                                                                read, overlapped);
}

class LoadAgreementTextTest : public StepTest {
protected:
    std::string License;
    UINT Failure = 0;   // what the last Load returned
    void SetUp() override
    {
        StepTest::SetUp();
        License = Scratch + "\\License.txt";
    }

    // Runs the step on Scratch as the setup folder, under the caller's block watch.
    int Load(BlockWatch &)
    {
        SetCurrentDirectoryA(Before.c_str());
        Reads.Calls = 0;
        Reads.Asked = 0;
        ImportSwap read("kernel32.dll", "ReadFile", (void *)WatchedRead);
        Reads.Swap = &read;
        Failure = LoadAgreementText((Scratch + "\\").c_str());
        Reads.Swap = NULL;
        return Failure == 0;
    }

    // The step opened the file sharing it for reading only; it is closed
    // when nobody else holds it.
    bool LicenseClosed()
    {
        HANDLE file = CreateFileA(License.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
        if (file == INVALID_HANDLE_VALUE)
            return GetLastError() != ERROR_SHARING_VIOLATION;
        CloseHandle(file);
        return true;
    }

    void ExpectLoaded(const std::string &text, const BlockWatch &watch)
    {
        EXPECT_EQ(SetupState.AgreementSize, text.size());
        ASSERT_NE(SetupState.AgreementText, (HGLOBAL)NULL);
        EXPECT_EQ(GlobalSize(SetupState.AgreementText), text.size() + 1);
        EXPECT_EQ(GlobalFlags(SetupState.AgreementText) & GMEM_LOCKCOUNT, 0u) << "left locked";
        const char *block = (const char *)GlobalLock(SetupState.AgreementText);
        ASSERT_NE(block, (const char *)NULL);
        EXPECT_TRUE(std::string(block, text.size()) == text) << "the text differs from the file";
        EXPECT_EQ(block[text.size()], 0);
        GlobalUnlock(SetupState.AgreementText);
        // Of what the step allocated, only the agreement block is left, unlocked.
        EXPECT_EQ(watch.Live.size(), 1u);
        EXPECT_EQ(watch.Live.count(SetupState.AgreementText), 1u);
        EXPECT_FALSE(watch.BadHandle);
        EXPECT_EQ(Reads.Calls, 1);
        EXPECT_EQ(Reads.Asked, text.size());
        EXPECT_TRUE(LicenseClosed());
        EXPECT_EQ(CurrentDir(), Before);
        GlobalFree(SetupState.AgreementText);
    }

    void ExpectRefused(UINT message, const BlockWatch &watch)
    {
        EXPECT_EQ(Failure, message);
        EXPECT_EQ(SetupState.AgreementText, (HGLOBAL)NULL);
        EXPECT_TRUE(watch.Live.empty()) << "a block was left allocated";
        EXPECT_FALSE(watch.BadHandle);
        EXPECT_TRUE(LicenseClosed());
    }
};

TEST_F(LoadAgreementTextTest, AcceptsExactlyTheTextsWithTheShippedSumUpTo4096Bytes)
{
    const std::string shipped = ShippedLicense();
    ASSERT_FALSE(shipped.empty());
    ASSERT_EQ(ByteSum(shipped), (DWORD)AGREEMENT_SUM);
    std::string reversed(shipped.rbegin(), shipped.rend());
    std::string altered = shipped;
    altered[100]++;
    std::string balanced = altered;
    balanced[200]--;
    const std::string longest = TextWithShippedSum(4096), tooLong = TextWithShippedSum(4097);
    ASSERT_EQ(ByteSum(longest), (DWORD)AGREEMENT_SUM);
    ASSERT_EQ(ByteSum(tooLong), (DWORD)AGREEMENT_SUM);

    const struct {
        const char *Name;
        bool Present;
        std::string Text;
        int Accepted;
        bool Read;
    } cases[] = {
        { "the shipped text", true, shipped, 1, true },
        { "the shipped bytes in reverse order", true, reversed, 1, true },
        { "changes that cancel out in the sum", true, balanced, 1, true },
        { "4096 bytes with the shipped sum", true, longest, 1, true },
        { "4097 bytes with the shipped sum", true, tooLong, 0, false },
        { "one byte changed", true, altered, 0, true },
        { "abc", true, "abc", 0, true },
        { "an empty file", true, "", 0, true },
        { "no file", false, "", 0, false },
    };
    for (const auto &license : cases) {
        SCOPED_TRACE(license.Name);
        DeleteFileA(License.c_str());
        if (license.Present)
            WriteBytes(License, license.Text);
        ResetSetupState();
        BlockWatch watch;

        EXPECT_EQ(Load(watch), license.Accepted);

        EXPECT_EQ(Reads.Calls, license.Read ? 1 : 0);
        if (license.Accepted)
            ExpectLoaded(license.Text, watch);
        else
            ExpectRefused(IDS_BAD_AGREEMENT, watch);
        // A refused size is refused before any agreement block exists.
        if (!license.Read) {
            EXPECT_TRUE(watch.AllocSizes.empty());
        }
    }
}

TEST_F(LoadAgreementTextTest, RefusesAShortOrFailedReadAndFailedMemory)
{
    // A trailing zero byte leaves the sum as shipped, so only the count
    // read tells that a byte is missing.
    const std::string shipped = ShippedLicense() + std::string(1, '\0');
    WriteBytes(License, shipped);
    {
        BlockWatch watch;
        ASSERT_EQ(Load(watch), 1);
        GlobalFree(SetupState.AgreementText);
    }
    const struct {
        const char *Name;
        int Shorten;
        bool FailRead;
        int FailAlloc, FailLock;
        UINT Message;
    } cases[] = {
        { "one byte short", 1, false, 0, 0, IDS_BAD_AGREEMENT },
        { "nothing read", (int)shipped.size(), false, 0, 0, IDS_BAD_AGREEMENT },
        { "read fails", 0, true, 0, 0, IDS_BAD_AGREEMENT },
        { "agreement block not allocated", 0, false, 1, 0, IDS_NO_MEMORY },
        { "agreement block not locked", 0, false, 0, 1, IDS_NO_MEMORY },
    };
    for (const auto &failure : cases) {
        SCOPED_TRACE(failure.Name);
        ResetSetupState();
        Reads.Shorten = failure.Shorten;
        Reads.Fail = failure.FailRead;
        BlockWatch watch;
        watch.FailAlloc = failure.FailAlloc;
        watch.FailLock = failure.FailLock;

        int result = Load(watch);
        Reads.Shorten = 0;
        Reads.Fail = false;

        EXPECT_EQ(result, 0);
        ExpectRefused(failure.Message, watch);
        if (failure.FailAlloc || failure.FailLock) {
            EXPECT_EQ(Reads.Calls, 0);
        }
    }
}
