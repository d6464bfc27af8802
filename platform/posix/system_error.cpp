#include "platform/system_error.h"

#include <string.h>

namespace kestrune {

namespace {

// strerror_r comes in two flavours depending on the feature macros; both are thread safe.
// The GNU one returns the text (which may or may not be in the buffer)...
[[maybe_unused]] const char* MessageFrom(const char* result, const char*) {
    return result;
}
// ...the XSI one fills the buffer and returns 0 on success.
[[maybe_unused]] const char* MessageFrom(int result, const char* buffer) {
    return result == 0 ? buffer : "";
}

}  // namespace

std::string SystemErrorMessage(int errorNumber) {
    char buffer[256] = {};
    std::string message = MessageFrom(strerror_r(errorNumber, buffer, sizeof buffer), buffer);
    if (message.empty()) {
        message = "Unknown error " + std::to_string(errorNumber);
    }
    return message;
}

}  // namespace kestrune
