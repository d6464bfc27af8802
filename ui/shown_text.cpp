#include "ui/shown_text.h"

namespace kestrune {

QString ShownText(std::string_view stored) {
    return QString::fromStdU16String(DecodeStoredText(stored));
}

std::string StoredBytes(const QString& shown, std::string_view stored, TextEncoding encoding) {
    return StoredBytesFor(std::u16string_view(reinterpret_cast<const char16_t*>(shown.utf16()),
                                              static_cast<std::size_t>(shown.size())),
                          stored, encoding);
}

}  // namespace kestrune
