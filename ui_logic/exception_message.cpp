#include "ui_logic/exception_message.h"

namespace kestrune {

std::string ExceptionMessage(std::string_view message) {
    std::string text(message);
    // A message that already ends in punctuation, a quote or a blank keeps its ending.
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') {
        text.push_back('.');
    }
    return text;
}

}  // namespace kestrune
