#pragma once

#include <QString>
#include <QWidget>

namespace kestrune {

// A hint shown on hovering; in every window it goes away two and a half seconds after it came.
inline void SetHint(QWidget& widget, const QString& hint) {
    widget.setToolTip(hint);
    widget.setToolTipDuration(2500);
}

}  // namespace kestrune
