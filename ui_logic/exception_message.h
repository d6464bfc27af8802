#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// The text the exception display shows for a message (its bytes as raised): a full stop is
// appended when its last byte sorts after ".".
std::string ExceptionMessage(std::string_view message);

}  // namespace kestrune
