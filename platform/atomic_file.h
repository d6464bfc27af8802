#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace kestrune {

// A whole file read in one go. error is 0 on success, otherwise the errno of the failure
// (ENOENT for a missing file); something that is not a regular file gives EISDIR for a folder
// and EINVAL for anything else, so a named pipe can never make a reader wait.
struct FileContent {
    std::string bytes;
    int error = 0;
};

FileContent ReadFileContent(const std::string& path);

// Why a replacement failed. The callers word the message; the old file is whole either way,
// unless it was being written in place (see below).
enum class ReplaceFailure {
    None,
    Create,  // no new file could be made in the folder, or it could not take the old one's place
    Write,   // the new content could not be written out completely
};

struct ReplaceResult {
    ReplaceFailure failure = ReplaceFailure::None;
    int error = 0;  // errno of the failing call

    explicit operator bool() const { return failure == ReplaceFailure::None; }
};

// Replaces the content of path with bytes, all or nothing: the bytes go to a new file in the same
// folder (unnamed until complete, where the file system allows, so that nothing is left behind
// by a save that is killed), which is flushed to disk and then renamed over path. An existing
// file keeps its permission bits (and, where allowed, its owner); a new one is created with
// newFileMode, less the process's umask (on Windows, whatever the mode, with an access list
// granting the current user, SYSTEM and the Administrators group alone). A symbolic link is
// followed, so the file it names is replaced.
//
// One case cannot be all or nothing: a file that may be written in a folder where no new file
// may be made (another user's folder, a read-only one). It is written in place instead, its
// space claimed before any byte changes and the bytes flushed to disk before success is
// reported; a save killed or failing part-way through it can leave the file part-written.
// Every other failure leaves the old file whole.
ReplaceResult ReplaceFileContent(const std::string& path, std::string_view bytes,
                                 mode_t newFileMode);

}  // namespace kestrune
