#include "win32/NamedObjectsWin32.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "win32/UniqueHandle.h"

namespace lumivane {

std::vector<BYTE> TokenUserOf(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return {};
    TUniqueKernelHandle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (!size || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
    return buffer;
}

namespace {

std::vector<BYTE> CurrentUser() { return TokenUserOf(GetCurrentProcess()); }

// Owner and access list name the user: an elevated token's default owner
// is Administrators and its default list grants them, which the user's
// normal token is not; both tokens carry the user's SID.
std::wstring OwnObjectsDescriptor() {
    const std::vector<BYTE> user = CurrentUser();
    wchar_t* sid = nullptr;
    if (user.empty() || !ConvertSidToStringSidW(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid, &sid))
        return {};
    const std::wstring text(sid);
    LocalFree(sid);
    return L"O:" + text + L"D:P(A;;GA;;;" + text + L")(A;;GA;;;SY)";
}

}  // namespace

bool OwnedByThisUser(HANDLE object) {
    static const std::vector<BYTE> user = CurrentUser();
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (user.empty() || GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                                        nullptr, &sd) != ERROR_SUCCESS)
        return false;
    const bool same = owner && EqualSid(owner, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
    LocalFree(sd);
    return same;
}

bool NamedObjectExists(HANDLE opened, DWORD error) {
    return error == ERROR_ALREADY_EXISTS || (!opened && error == ERROR_ACCESS_DENIED);
}

HANDLE CreateOwnMutex(const std::wstring& name, bool initialOwner, bool& existed) {
    static const std::wstring descriptor = OwnObjectsDescriptor();
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!descriptor.empty())
        ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor.c_str(), SDDL_REVISION_1, &sd, nullptr);
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), sd, FALSE};
    const HANDLE mutex = CreateMutexW(sd ? &attributes : nullptr, initialOwner, name.c_str());
    existed = NamedObjectExists(mutex, GetLastError());
    if (sd) LocalFree(sd);
    return mutex;
}

std::optional<DWORD> IntegrityOf(HANDLE process) {
    HANDLE token = nullptr;
    // Another user's token cannot be opened: that copy is none of ours.
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return std::nullopt;
    TUniqueKernelHandle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (!size || !GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size)) return std::nullopt;
    const PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
    const UCHAR count = *GetSidSubAuthorityCount(sid);
    if (!count) return std::nullopt;
    return *GetSidSubAuthority(sid, count - 1U);
}

}  // namespace lumivane
