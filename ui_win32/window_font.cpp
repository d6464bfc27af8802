#include "ui_win32/window_font.h"

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

}  // namespace kestrune
