#pragma once

// Files and folders for tests: a temporary folder, whole-file reads and writes, a file-size
// limit that makes writes fail, and a way to run a check without root's privileges.

#ifndef _WIN32
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace kestrune::test_support {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
#ifdef _WIN32
        std::random_device random;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const fs::path candidate =
                fs::temp_directory_path() / ("kestrune-test-" + std::to_string(random()));
            std::error_code error;
            if (fs::create_directory(candidate, error)) {
                path_ = fs::canonical(candidate);
            }
        }
#else
        std::string pattern = (fs::temp_directory_path() / "kestrune-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = fs::canonical(pattern);
        }
#endif
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    size_t entryCount() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(path_), {}));
    }

private:
    fs::path path_;
};

inline void WriteFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

inline void WriteFile(const fs::path& path, const std::string& content, fs::perms permissions) {
    WriteFile(path, content);
    fs::permissions(path, permissions);
}

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

#ifndef _WIN32
inline mode_t ModeOf(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Files larger than the limit cannot be written while this is alive.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    sighandler_t oldHandler_;
};

// Runs check in a child process, as the unprivileged user "nobody" when we are root (root
// reads and writes whatever the permissions say); 0 when check returned true.
template <class Check>
int InChildWithoutPrivileges(Check check) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(99);
        }
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

#endif  // !_WIN32

}  // namespace kestrune::test_support
