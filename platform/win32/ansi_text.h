#pragma once

// The program keeps its texts as bytes in the ANSI code page, as the files and controls have
// them; the wide (UTF-16) Windows interfaces get them converted at the call.

#include <string>
#include <string_view>

namespace kestrune::win32 {

// The bytes up to the first NUL, read in the ANSI code page.
std::wstring WideFromAnsi(std::string_view bytes);

// The text in the ANSI code page; characters it lacks become the code page's default character.
std::string AnsiFromWide(std::wstring_view text);

// A path for the byte-based callers: in the ANSI code page, or, when a character of it has no
// place there, the same path in its short (8.3) form, which the system keeps in plain ASCII
// where the volume allows. Better than a path with "?" that names nothing.
std::string AnsiPathFromWide(const std::wstring& path);

}  // namespace kestrune::win32
