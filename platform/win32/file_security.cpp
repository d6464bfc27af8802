#include "platform/win32/file_security.h"

#include <windows.h>
// needs windows.h first
#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "platform/win32/system_library.h"

namespace kestrune::win32 {

namespace {

// The security functions are loaded the first time a new file is made, not with the program.
template <class Function>
Function Security(const char* name) {
    return SystemFunction<Function>(L"advapi32.dll", name);
}

// The user the program runs as, as "S-1-5-21-...", or empty when the system does not say.
std::wstring CurrentUserSid() {
    static const auto openProcessToken =
        Security<BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE)>("OpenProcessToken");
    static const auto getTokenInformation =
        Security<BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD)>(
            "GetTokenInformation");
    static const auto sidToString =
        Security<BOOL(WINAPI*)(PSID, LPWSTR*)>("ConvertSidToStringSidW");
    HANDLE token = nullptr;
    if (!openProcessToken || !getTokenInformation || !sidToString ||
        !openProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return {};
    }
    DWORD size = 0;
    getTokenInformation(token, TokenUser, nullptr, 0, &size);
    // TOKEN_USER holds pointers: the buffer is aligned for them.
    std::vector<void*> buffer(size / sizeof(void*) + 1);
    std::wstring sid;
    if (size != 0 &&
        getTokenInformation(token, TokenUser, buffer.data(),
                            static_cast<DWORD>(buffer.size() * sizeof(void*)), &size)) {
        LPWSTR text = nullptr;
        if (sidToString(static_cast<TOKEN_USER*>(static_cast<void*>(buffer.data()))->User.Sid,
                        &text)) {
            sid = text;
            ::LocalFree(text);
        }
    }
    ::CloseHandle(token);
    return sid;
}

}  // namespace

NewFileSecurity::NewFileSecurity(PSECURITY_DESCRIPTOR descriptor) : descriptor_(descriptor) {
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor;
    attributes_.bInheritHandle = FALSE;
}

NewFileSecurity NewFileSecurity::Private() {
    static const auto fromString =
        Security<BOOL(WINAPI*)(LPCWSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG)>(
            "ConvertStringSecurityDescriptorToSecurityDescriptorW");
    const std::wstring user = CurrentUserSid();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    // A protected list (P), so the folder's inheritable entries are not added; FA is full
    // control, SY SYSTEM and BA the Administrators group.
    const std::wstring rules = L"D:P(A;;FA;;;" + user + L")(A;;FA;;;SY)(A;;FA;;;BA)";
    if (!fromString || user.empty() ||
        !fromString(rules.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        descriptor = nullptr;
    }
    return NewFileSecurity(descriptor);
}

NewFileSecurity NewFileSecurity::SameAs(const std::wstring& path) {
    static const auto getNamedSecurityInfo =
        Security<DWORD(WINAPI*)(LPCWSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID*, PSID*, PACL*,
                                PACL*, PSECURITY_DESCRIPTOR*)>("GetNamedSecurityInfoW");
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL list = nullptr;
    if (!getNamedSecurityInfo ||
        getNamedSecurityInfo(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                             nullptr, &list, nullptr, &descriptor) != ERROR_SUCCESS) {
        return NewFileSecurity(nullptr);
    }
    // No list at all lets everyone in: such a file is replaced by one with its folder's rules.
    if (list == nullptr) {
        ::LocalFree(descriptor);
        return NewFileSecurity(nullptr);
    }
    return NewFileSecurity(descriptor);
}

}  // namespace kestrune::win32
