#pragma once

// The access rules of the files the settings are saved to: a new one is the user's alone, a
// replaced one keeps the rules it had.

#include <windows.h>

#include <string>

namespace kestrune::win32 {

// The access rules for a new file that holds secrets: full control for the user running the
// program, SYSTEM and the Administrators group, as a file in the user's own profile has, and
// nothing inherited from the folder (which may let every user read, as C:\ or a shared folder
// does).
class PrivateFileSecurity {
public:
    PrivateFileSecurity();
    ~PrivateFileSecurity();
    PrivateFileSecurity(const PrivateFileSecurity&) = delete;
    PrivateFileSecurity& operator=(const PrivateFileSecurity&) = delete;

    // For CreateFileW; null when the rules could not be made, and the file then takes its
    // folder's, as every new file does.
    SECURITY_ATTRIBUTES* attributes() { return descriptor_ != nullptr ? &attributes_ : nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

// A file's access list, read to be given to the file that replaces it. The system's replace
// keeps it too, where it can; Wine's does not.
class KeptAccessList {
public:
    // Nothing is kept when the list cannot be read.
    explicit KeptAccessList(const std::wstring& path);
    ~KeptAccessList();
    KeptAccessList(const KeptAccessList&) = delete;
    KeptAccessList& operator=(const KeptAccessList&) = delete;

    // Gives the list to a file open with WRITE_DAC; entries the old file inherited from its
    // folder are inherited anew.
    void ApplyTo(HANDLE file) const;

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    PACL list_ = nullptr;
    bool protected_ = false;
};

}  // namespace kestrune::win32
