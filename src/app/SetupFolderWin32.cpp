#include "app/SetupFolderWin32.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "app/Control.h"
#include "win32/NamedObjectsWin32.h"

namespace lumivane {

namespace {

std::wstring SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (!sid || !ConvertSidToStringSidW(sid, &text)) return {};
    std::wstring result(text);
    LocalFree(text);
    return result;
}

bool MakeWithDescriptor(const std::wstring& folder, const std::wstring& descriptor) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor.c_str(), SDDL_REVISION_1, &sd, nullptr))
        return false;
    // Made with the list, not given it afterwards: no moment in which the
    // parent's entries let someone else in.
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), sd, FALSE};
    const bool made = CreateDirectoryW(folder.c_str(), &attributes) != FALSE;
    LocalFree(sd);
    return made;
}

std::optional<std::wstring> OwnerOf(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    // An owner that cannot be read is nobody we know.
    if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                              nullptr, &sd) != ERROR_SUCCESS)
        return std::wstring();
    const std::wstring text = SidText(owner);
    LocalFree(sd);
    return text;
}

}  // namespace

TSetupFolderCalls SetupFolderCallsWin32() { return {MakeWithDescriptor, OwnerOf}; }

TSetupFolderOutcome MakeSetupFolderWin32(const std::wstring& folder, const TSetupFolderCalls& calls) {
    const std::vector<BYTE> user = TokenUserOf(GetCurrentProcess());
    const std::wstring sid = user.empty() ? L"" : SidText(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
    if (sid.empty()) return TSetupFolderOutcome::Failed;
    if (const auto owner = calls.Owner(folder))
        return TrustedSetupFolderOwner(*owner, sid) ? TSetupFolderOutcome::Existed : TSetupFolderOutcome::Foreign;
    // The parents are tried from the top; one that cannot be made fails the
    // folder's own making below.
    for (size_t at = folder.find_first_of(L"\\/", 3); at != std::wstring::npos;
         at = folder.find_first_of(L"\\/", at + 1))
        CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
    return calls.Make(folder, SetupFolderDescriptor(sid)) ? TSetupFolderOutcome::Made : TSetupFolderOutcome::Failed;
}

}  // namespace lumivane
