#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace kestrune {

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
// A font, bitmap or brush the program made, deleted with its owner.
template <class Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;
using FontHandle = GdiObject<HFONT>;

// The windows' font, "MS Sans Serif", at pointSize for a window drawn at dpi.
FontHandle MakeWindowFont(int pointSize, UINT dpi);

// The same, one font object for every control and window that draws at that size and DPI, made
// when first asked for and kept to the program's end.
HFONT WindowFont(int pointSize, UINT dpi);

}  // namespace kestrune
