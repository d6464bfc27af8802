#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kestrune {

// The width of a text in the font selected into dc, in pixels.
int TextWidth(HDC dc, std::wstring_view text);

// The text cut at its end, with "…", to fit room pixels in the font selected into dc; the text
// itself when it fits.
std::wstring ElidedRight(HDC dc, std::wstring_view text, int room);

}  // namespace kestrune
