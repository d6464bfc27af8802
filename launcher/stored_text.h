#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// The settings file and the mods list keep their texts as bytes: UTF-8, or the Windows ANSI code
// page (Windows-1252) in files written on Windows. Those bytes reach the started programs as
// stored, and go back into the file unchanged unless the player edits the text. The windows show
// them decoded, as UTF-16 (what both Qt and Win32 controls hold).

enum class TextEncoding { Utf8, Windows1252 };

bool IsValidUtf8(std::string_view bytes);

// The length of the well-formed UTF-8 sequence that bytes begin with, or 0 when they begin with
// none or are empty (overlong forms, surrogates and code points above U+10FFFF are not
// well-formed).
std::size_t Utf8SequenceLength(std::string_view bytes);

// What a file's edited texts are written in: UTF-8 unless the file holds bytes that are not
// UTF-8, which are then Windows-1252. On Windows a file of nothing but ASCII (or none yet) is
// Windows-1252 too, the ANSI code page the started programs read.
TextEncoding EncodingOf(std::string_view fileBytes);
TextEncoding EncodingOf(const std::vector<std::string>& texts);

// Stored bytes as shown: UTF-8 where they are valid UTF-8, otherwise Windows-1252, where every
// byte is a character (its five undefined ones as the control characters of the same number),
// so that nothing is ever replaced.
std::u16string DecodeStoredText(std::string_view bytes);

// The bytes for a text the player typed, in the file's encoding: Windows-1252 where every
// character fits (and the bytes cannot read back as other UTF-8 text), UTF-8 otherwise. What
// cannot be encoded at all, a lone UTF-16 surrogate, is left out rather than replaced.
std::string EncodeText(std::u16string_view text, TextEncoding encoding);

// The bytes to store for a shown text: the stored bytes while they still show as that text,
// otherwise the text encoded as above.
std::string StoredBytesFor(std::u16string_view shown, std::string_view stored,
                           TextEncoding encoding);

}  // namespace kestrune
