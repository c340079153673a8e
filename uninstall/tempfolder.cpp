// Makes the temporary copy's own folder: a new one under a name that no other
// program can foresee, that only SYSTEM and Administrators may change.
#include "uninstall.h"

typedef DWORD(WINAPI *TempPathCall)(DWORD, LPWSTR);
typedef BOOLEAN(WINAPI *RandomCall)(PVOID, ULONG);
typedef BOOL(WINAPI *OpenTokenCall)(HANDLE, DWORD, PHANDLE);
typedef BOOL(WINAPI *TokenInformationCall)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
typedef BOOL(WINAPI *SetControlCall)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL, SECURITY_DESCRIPTOR_CONTROL);

// Well-known SIDs as the system stores them: revision 1, the number of
// sub-authorities, the NT authority (5), then the sub-authorities.
static const DWORD SystemSid[] = { 0x00000101, 0x05000000, 18 };
static const DWORD AdministratorsSid[] = { 0x00000201, 0x05000000, 32, 544 };

static DWORD SidLength(const void *sid)
{
    return 8 + 4 * ((const BYTE *)sid)[1];
}

static int SameSid(const void *a, const void *b)
{
    DWORD length = SidLength(a);

    for (DWORD i = 0; i < length; i++)
        if (((const BYTE *)a)[i] != ((const BYTE *)b)[i])
            return 0;
    return 1;
}

// The user the process runs as, when it cannot write as an administrator:
// its token holds the Administrators group but not enabled (Windows Vista
// and later before elevation), or not at all. NULL when it can, and when
// the token cannot be read: the folder then stays closed to the user.
static const void *UnelevatedUser(void)
{
    // A token's groups, for an account in many domain groups too.
    static DWORD token[1024];
    OpenTokenCall openToken = (OpenTokenCall)(void *)BoundFunction(CALL_OPEN_PROCESS_TOKEN);
    TokenInformationCall information = (TokenInformationCall)(void *)BoundFunction(CALL_GET_TOKEN_INFORMATION);
    const void *user = NULL;
    HANDLE handle;
    DWORD size;

    if (!openToken || !information || !openToken(GetCurrentProcess(), TOKEN_QUERY, &handle))
        return NULL;
    if (information(handle, TokenGroups, token, sizeof token, &size)) {
        const TOKEN_GROUPS *groups = (const TOKEN_GROUPS *)token;
        const SID_AND_ATTRIBUTES *group = groups->Groups, *end = group + groups->GroupCount;

        while (group < end && !(SameSid(group->Sid, AdministratorsSid) && (group->Attributes & SE_GROUP_ENABLED)))
            group++;
        if (group == end && information(handle, TokenUser, token, sizeof token, &size))
            user = ((const TOKEN_USER *)token)->User.Sid;
    }
    CloseHandle(handle);
    return user;
}

static BYTE *AllowAll(BYTE *at, const void *sid)
{
    ACCESS_ALLOWED_ACE *ace = (ACCESS_ALLOWED_ACE *)at;
    DWORD length = SidLength(sid);

    ace->Header.AceType = ACCESS_ALLOWED_ACE_TYPE;
    // Passed on to the copy and the record made in the folder.
    ace->Header.AceFlags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    ace->Header.AceSize = (WORD)(8 + length);
    ace->Mask = FILE_ALL_ACCESS;
    for (DWORD i = 0; i < length; i++)
        ((BYTE *)&ace->SidStart)[i] = ((const BYTE *)sid)[i];
    return at + 8 + length;
}

// A self-relative security descriptor with an access list of full access
// for SYSTEM, Administrators and, when it needs it, the running user, and
// nobody else. Built in place: Windows 95 exports none of the calls that
// would build it.
static PSECURITY_DESCRIPTOR PrivateDescriptor(void)
{
    static DWORD descriptor[(sizeof(SECURITY_DESCRIPTOR_RELATIVE) + sizeof(ACL) + 3 * (8 + SECURITY_MAX_SID_SIZE)) / 4];
    SECURITY_DESCRIPTOR_RELATIVE *header = (SECURITY_DESCRIPTOR_RELATIVE *)descriptor;
    ACL *list = (ACL *)(header + 1);
    const void *user = UnelevatedUser();
    SetControlCall setControl = (SetControlCall)(void *)BoundFunction(CALL_SET_SECURITY_DESCRIPTOR_CONTROL);
    BYTE *end = AllowAll(AllowAll((BYTE *)(list + 1), SystemSid), AdministratorsSid);

    if (user)
        end = AllowAll(end, user);
    header->Revision = SECURITY_DESCRIPTOR_REVISION;
    header->Control = SE_SELF_RELATIVE | SE_DACL_PRESENT;
    header->Dacl = sizeof *header;
    list->AclRevision = ACL_REVISION;
    list->AclSize = (WORD)(end - (BYTE *)list);
    list->AceCount = user ? 3 : 2;
    // Protected, the list takes nothing from the temporary folder's, now or
    // when an administrator later passes that one on. Windows before 2000
    // inherits nothing after creation and knows no such mark.
    if (setControl)
        setControl(header, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    return header;
}

// Eight bytes that no other program can foresee: the system's random
// generator (Windows XP and later), else a mix of the time, ids and
// addresses. The mix
// can at worst be guessed, and a name taken by someone else is never used;
// what keeps the copy safe on Windows NT is the folder's access list.
static void RandomBytes(BYTE *bytes, DWORD attempt)
{
    RandomCall random = (RandomCall)(void *)BoundFunction(CALL_RANDOM);
    DWORD mix;

    if (random && random(bytes, TEMP_NAME_BYTES))
        return;
    mix = GetTickCount() ^ (GetCurrentProcessId() << 16) ^ (DWORD)(UINT_PTR)&mix ^ attempt;
    for (DWORD i = 0; i < TEMP_NAME_BYTES; i++) {
        mix = mix * 1103515245 + 12345;
        bytes[i] = (BYTE)(mix >> 24);
    }
}

// The temporary folder: on Windows 11 and recent Windows 10 the one of the
// account, so that a run as SYSTEM takes the system's own and not the one
// every user may write to. On Windows NT it is read in wide characters and
// taken by its ANSI form: a user name may hold characters the code page lacks.
static DWORD TempPath(char *folder)
{
    TempPathCall tempPath = (TempPathCall)(void *)BoundFunction(CALL_GET_TEMP_PATH2_W);
    WCHAR wide[MAX_PATH];
    DWORD length;

    if (!tempPath)
        tempPath = (TempPathCall)(void *)BoundFunction(CALL_GET_TEMP_PATH_W);
    // Windows 95 has the wide call as a stand-in that fails.
    if (tempPath && (length = tempPath(MAX_PATH, wide)) != 0)
        return length < MAX_PATH && AnsiPathOf(folder, MAX_PATH, wide) ? lstrlenA(folder) : 0;
    return GetTempPathA(MAX_PATH, folder);
}

int MakeTempFolder(char *folder)
{
    static const char Digits[] = "0123456789abcdef";
    SECURITY_ATTRIBUTES security = { sizeof security, NULL, FALSE }, *given = NULL;
    BYTE bytes[TEMP_NAME_BYTES];
    DWORD length = TempPath(folder);
    char *name;

    // Room for the folder's name and the longest name in it.
    if (length == 0 || length + sizeof TempCopyPrefix + 2 * TEMP_NAME_BYTES + sizeof TempCopyFile >= MAX_PATH)
        return 0;
    DropTrailingBackslash(folder);
    name = CopyText(CopyText(folder + lstrlenA(folder), "\\"), TempCopyPrefix);
    // The Windows 95 family has no access lists.
    if (UninstallState.PlatformId == VER_PLATFORM_WIN32_NT) {
        security.lpSecurityDescriptor = PrivateDescriptor();
        given = &security;
    }
    for (DWORD attempt = 0; attempt < TEMP_FOLDER_TRIES; attempt++) {
        RandomBytes(bytes, attempt);
        for (DWORD i = 0; i < TEMP_NAME_BYTES; i++) {
            name[2 * i] = Digits[bytes[i] >> 4];
            name[2 * i + 1] = Digits[bytes[i] & 15];
        }
        name[2 * TEMP_NAME_BYTES] = 0;
        // Whatever holds the name already, a folder or a file, is someone else's.
        if (CreateDirectoryA(folder, given))
            return 1;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return 0;
    }
    return 0;
}
