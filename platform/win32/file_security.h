#pragma once

// The access rules of the files the settings are saved to: a new one is the user's alone, a
// replaced one keeps the rules it had.

#include <windows.h>

#include <memory>
#include <string>

namespace kestrune::win32 {

// Access rules for a file about to be made, as CreateFileW takes them.
class NewFileSecurity {
public:
    // For a file that holds secrets: full control for the user running the program, SYSTEM and
    // the Administrators group, as a file in the user's own profile has, and nothing inherited
    // from the folder (which may let every user read, as C:\ or a shared folder does).
    static NewFileSecurity Private();
    // The access list the file at path has, for the file that is to replace it. The system's
    // replace keeps the old list in any case; Wine's gives the new file's, which Wine keeps as
    // the Unix file's mode and makes right only when the file is made.
    static NewFileSecurity SameAs(const std::wstring& path);

    // Null when the rules could not be made or read: the file then takes its folder's, as
    // every new file does.
    SECURITY_ATTRIBUTES* attributes() { return descriptor_ ? &attributes_ : nullptr; }

private:
    struct LocalFreeDeleter {
        void operator()(void* memory) const { ::LocalFree(memory); }
    };
    explicit NewFileSecurity(PSECURITY_DESCRIPTOR descriptor);

    std::unique_ptr<void, LocalFreeDeleter> descriptor_;
    SECURITY_ATTRIBUTES attributes_{};
};

}  // namespace kestrune::win32
