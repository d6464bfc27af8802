#include "platform/executable_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

namespace kestrune {

std::string ExecutablePath() {
    std::string path(256, '\0');
    for (;;) {
        ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<size_t>(length) < path.size()) {
            path.resize(static_cast<size_t>(length));
            break;
        }
        // The link may have been cut to fit: try again with more room.
        path.resize(path.size() * 2);
    }
    // An executable replaced while it runs (an upgrade) is reported with this suffix; the
    // settings belong to the path it was started from.
    constexpr std::string_view kDeleted = " (deleted)";
    struct stat st {};
    if (path.ends_with(kDeleted) && ::stat(path.c_str(), &st) != 0) {
        path.resize(path.size() - kDeleted.size());
    }
    return path;
}

}  // namespace kestrune
