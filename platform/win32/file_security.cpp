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

PrivateFileSecurity::PrivateFileSecurity() {
    static const auto fromString =
        Security<BOOL(WINAPI*)(LPCWSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG)>(
            "ConvertStringSecurityDescriptorToSecurityDescriptorW");
    const std::wstring user = CurrentUserSid();
    if (!fromString || user.empty()) {
        return;
    }
    // A protected list (P), so the folder's inheritable entries are not added; FA is full
    // control, SY SYSTEM and BA the Administrators group.
    const std::wstring rules = L"D:P(A;;FA;;;" + user + L")(A;;FA;;;SY)(A;;FA;;;BA)";
    if (!fromString(rules.c_str(), SDDL_REVISION_1, &descriptor_, nullptr)) {
        descriptor_ = nullptr;
        return;
    }
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_;
    attributes_.bInheritHandle = FALSE;
}

PrivateFileSecurity::~PrivateFileSecurity() {
    if (descriptor_ != nullptr) {
        ::LocalFree(descriptor_);
    }
}

KeptAccessList::KeptAccessList(const std::wstring& path) {
    static const auto getNamedSecurityInfo =
        Security<DWORD(WINAPI*)(LPCWSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID*, PSID*, PACL*,
                                PACL*, PSECURITY_DESCRIPTOR*)>("GetNamedSecurityInfoW");
    static const auto getControl =
        Security<BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, PSECURITY_DESCRIPTOR_CONTROL, LPDWORD)>(
            "GetSecurityDescriptorControl");
    if (!getNamedSecurityInfo || !getControl ||
        getNamedSecurityInfo(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                             nullptr, &list_, nullptr, &descriptor_) != ERROR_SUCCESS) {
        descriptor_ = nullptr;
        list_ = nullptr;
        return;
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    protected_ = getControl(descriptor_, &control, &revision) && (control & SE_DACL_PROTECTED) != 0;
}

KeptAccessList::~KeptAccessList() {
    if (descriptor_ != nullptr) {
        ::LocalFree(descriptor_);
    }
}

void KeptAccessList::ApplyTo(HANDLE file) const {
    static const auto setSecurityInfo = Security<DWORD(WINAPI*)(
        HANDLE, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID, PSID, PACL, PACL)>("SetSecurityInfo");
    // A null list is no list at all, which lets everyone in: only a list read is given on.
    if (!setSecurityInfo || list_ == nullptr) {
        return;
    }
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION |
        (protected_ ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
    setSecurityInfo(file, SE_FILE_OBJECT, what, nullptr, nullptr, list_, nullptr);
}

}  // namespace kestrune::win32
