#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// The settings file and the mods list keep their texts as bytes: UTF-8, or the Windows ANSI code
// page in force (the system's on Windows, the player's language's on Linux; see code_page.h),
// which files written on Windows hold. The windows show them decoded, as UTF-16 (what both Qt
// and Win32 controls hold); they go back into the file unchanged unless the player edits the
// text. What the started programs get of them is SystemText's.

enum class TextEncoding { Utf8, AnsiCodePage };

// The code page that stored bytes which are not UTF-8 are read in, and that AnsiCodePage stands
// for: the system's (SystemCodePage), read once, unless a test chose another.
unsigned AnsiCodePage();
// Chooses the code page (tests); 0 goes back to the system's.
void SetAnsiCodePage(unsigned codePage);

bool IsValidUtf8(std::string_view bytes);

// The length of the well-formed UTF-8 sequence that bytes begin with, or 0 when they begin with
// none or are empty (overlong forms, surrogates and code points above U+10FFFF are not
// well-formed).
std::size_t Utf8SequenceLength(std::string_view bytes);

// What a file's edited texts are written in: UTF-8 unless the file holds bytes that are not
// UTF-8, which are then in the ANSI code page. On Windows a file of nothing but ASCII (or none
// yet) is in the ANSI code page too, the one the started programs read.
TextEncoding EncodingOf(std::string_view fileBytes);
TextEncoding EncodingOf(const std::vector<std::string>& texts);

// Stored bytes as shown: UTF-8 where they are valid UTF-8, otherwise the code page's characters
// (AnsiCodePage() unless given); in a single-byte page every byte is a character, so that
// nothing is ever replaced (see DecodeCodePage).
std::u16string DecodeStoredText(std::string_view bytes);
std::u16string DecodeStoredText(std::string_view bytes, unsigned codePage);

// The bytes for a text the player typed, in the file's encoding: the ANSI code page where every
// character fits (and the bytes read back as the same text, not as other UTF-8), UTF-8
// otherwise. What cannot be encoded at all, a lone UTF-16 surrogate, is left out rather than
// replaced.
std::string EncodeText(std::u16string_view text, TextEncoding encoding);

// The bytes to store for a shown text: the stored bytes while they still show as that text,
// otherwise the text encoded as above.
std::string StoredBytesFor(std::u16string_view shown, std::string_view stored,
                           TextEncoding encoding);

// A stored text as the system's interfaces take it (a program's parameters or folder): on
// Windows the text shown, in UTF-8, which the platform layer hands on as wide text, so that a
// program gets what the player sees whatever the file's encoding; elsewhere the stored bytes,
// as files and programs there take them.
std::string SystemText(std::string_view stored);

// The bytes to store for a text from the system's interfaces (a chosen path): on Windows its
// UTF-8 written in the file's encoding as typed text is; elsewhere its bytes.
std::string StoredSystemText(std::string_view systemText, TextEncoding encoding);

}  // namespace kestrune
