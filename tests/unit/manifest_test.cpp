// The application manifest of the built Setup.exe, as the activation-context
// loader reads it: the run level it asks for and the Windows versions it knows.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstddef>
#include <string>
#include <vector>

class SetupManifest : public ::testing::Test {
protected:
    HANDLE Context = INVALID_HANDLE_VALUE;

    void SetUp() override
    {
        std::string setup = std::string(SETUP_MEDIA_DIR) + "\\Setup.exe";
        ACTCTXA request = {};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = setup.c_str();
        request.lpResourceName = MAKEINTRESOURCEA(1);
        Context = CreateActCtxA(&request);
        ASSERT_NE(Context, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    }

    void TearDown() override
    {
        if (Context != INVALID_HANDLE_VALUE)
            ReleaseActCtx(Context);
    }

    std::vector<BYTE> Query(ULONG what)
    {
        SIZE_T needed = 0;
        QueryActCtxW(0, Context, NULL, what, NULL, 0, &needed);
        std::vector<BYTE> answer(needed);
        if (!needed || !QueryActCtxW(0, Context, NULL, what, answer.data(), needed, &needed))
            answer.clear();
        return answer;
    }
};

TEST_F(SetupManifest, AsksForAdministratorWithoutUiAccess)
{
    std::vector<BYTE> answer = Query(RunlevelInformationInActivationContext);
    ASSERT_GE(answer.size(), sizeof(ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION));
    auto level = (const ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION *)answer.data();
    EXPECT_EQ(level->RunLevel, ACTCTX_RUN_LEVEL_REQUIRE_ADMIN);
    EXPECT_EQ(level->UiAccess, 0u);
}

// The layout current Windows and Wine answer with; older headers lack the
// last field of each element.
struct CompatibilityElement {
    GUID Id;
    ACTCTX_COMPATIBILITY_ELEMENT_TYPE Type;
    ULONGLONG MaxVersionTested;
};
struct CompatibilityInformation {
    DWORD ElementCount;
    CompatibilityElement Elements[1];
};

TEST_F(SetupManifest, NamesEveryWindowsFromVistaToTen)
{
    // Vista, 7, 8, 8.1, and 10 (which 11 shares).
    static const GUID expected[] = {
        { 0xe2011457, 0x1546, 0x43c5, { 0xa5, 0xfe, 0x00, 0x8d, 0xee, 0xe3, 0xd3, 0xf0 } },
        { 0x35138b9a, 0x5d96, 0x4fbd, { 0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a } },
        { 0x4a2f28e3, 0x53b9, 0x4441, { 0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38 } },
        { 0x1f676c76, 0x80e1, 0x4239, { 0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78 } },
        { 0x8e0f7a12, 0xbfb3, 0x4fe8, { 0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a } },
    };
    std::vector<BYTE> answer = Query(CompatibilityInformationInActivationContext);
    ASSERT_GE(answer.size(), sizeof(CompatibilityInformation));
    auto information = (const CompatibilityInformation *)answer.data();
    ASSERT_EQ(information->ElementCount, sizeof expected / sizeof expected[0]);
    ASSERT_EQ(answer.size(), offsetof(CompatibilityInformation, Elements)
                                 + information->ElementCount * sizeof(CompatibilityElement));
    for (DWORD i = 0; i < information->ElementCount; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(information->Elements[i].Type, ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS);
        EXPECT_TRUE(IsEqualGUID(information->Elements[i].Id, expected[i]));
    }
}

// System-aware: drawn at the screen's DPI when the program starts, never
// stretched by Windows; the pages are measured at 96, 120 and 144 DPI.
TEST_F(SetupManifest, DeclaresItselfDpiAware)
{
    WCHAR value[16] = L"";
    SIZE_T written = 0;
    ASSERT_TRUE(QueryActCtxSettingsW(0, Context, NULL, L"dpiAware", value, 16, &written)) << GetLastError();
    EXPECT_STREQ(value, L"true");
}
