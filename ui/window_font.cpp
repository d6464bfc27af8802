#include "ui/window_font.h"

#include <QStringList>

namespace kestrune {

namespace {

constexpr char kRequestedFamily[] = "MS Sans Serif";

void PreferNarrowSubstitutes() {
    static const bool registered = [] {
        QFont::insertSubstitutions(kRequestedFamily,
                                   {"Liberation Sans", "Arimo", "Arial", "Helvetica", "Nimbus Sans",
                                    "Nimbus Sans L", "FreeSans", "DejaVu Sans Condensed"});
        return true;
    }();
    (void)registered;
}

}  // namespace

QFont WindowFont() {
    PreferNarrowSubstitutes();
    return QFont(kRequestedFamily, 8);
}

}  // namespace kestrune
