#pragma once

// The program keeps the texts it trades with the system (paths, system messages, what the
// started programs are given) in UTF-8; the wide (UTF-16) Windows interfaces get them converted
// at the call, so that nothing the system can name is lost on the way.

#include <string>
#include <string_view>

namespace kestrune::win32 {

// The text up to its first NUL (where a wide interface would end it); a byte that is not UTF-8
// becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view text);

// A lone surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

}  // namespace kestrune::win32
