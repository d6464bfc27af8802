#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "launcher/stored_text.h"

namespace kestrune {

// Stored bytes as a control shows them (see launcher/stored_text.h).
QString ShownText(std::string_view stored);

// The bytes to store for a control's text: the stored ones while the text still shows them,
// otherwise the text in the file's encoding.
std::string StoredBytes(const QString& shown, std::string_view stored, TextEncoding encoding);

}  // namespace kestrune
