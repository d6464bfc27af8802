#include "ui/shown_text.h"

namespace kestrune {

QString ShownText(std::string_view stored) {
    return QString::fromStdU16String(DecodeStoredText(stored));
}

}  // namespace kestrune
