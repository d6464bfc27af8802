#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "launcher/stored_text.h"

namespace kestrune {

// Stored bytes as a control shows them (see launcher/stored_text.h).
QString ShownText(std::string_view stored);

// The program's own texts (UTF-8), translated ones among them.
inline QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace kestrune
