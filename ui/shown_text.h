#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "launcher/stored_text.h"

namespace kestrune {

// Stored bytes as a control shows them (see launcher/stored_text.h).
QString ShownText(std::string_view stored);

}  // namespace kestrune
