#include "ui_win32/window_font.h"

#include <map>
#include <utility>

namespace kestrune {

FontHandle MakeWindowFont(int pointSize, UINT dpi) {
    LOGFONTW font{};
    // A negative height asks for the character height: points at the window's DPI.
    font.lfHeight = -::MulDiv(pointSize, static_cast<int>(dpi), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    ::lstrcpynW(font.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
    return FontHandle(::CreateFontIndirectW(&font));
}

HFONT WindowFont(int pointSize, UINT dpi) {
    // The windows live on one thread; fonts at the DPIs they have drawn at stay here, so moving
    // between monitors makes no font twice.
    static std::map<std::pair<int, UINT>, FontHandle> fonts;
    FontHandle& font = fonts[{pointSize, dpi}];
    if (!font) {
        font = MakeWindowFont(pointSize, dpi);
    }
    return font.get();
}

}  // namespace kestrune
