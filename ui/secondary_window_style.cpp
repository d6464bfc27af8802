#include "ui/secondary_window_style.h"

#include <QLabel>
#include <QPalette>

namespace kestrune {

QFont SecondaryWindowFont() {
    return QFont("MS Sans Serif", 8);
}

void MakeHeadingLabel(QLabel& label, QPoint position) {
    QFont font = label.font();
    font.setPointSize(18);
    label.setFont(font);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label.setPalette(palette);
    label.adjustSize();
    label.move(position);
}

void MakeWebLink(QWidget& widget) {
    widget.setCursor(Qt::PointingHandCursor);
    widget.setToolTip("Visit website");
}

}  // namespace kestrune
