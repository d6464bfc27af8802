#include "ui/secondary_window_style.h"

#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QStyle>

#include "ui/hint.h"
#include "ui/shown_text.h"
#include "i18n/translate.h"

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

void FitCaption(QPushButton& button) {
    const QStyle& style = *button.style();
    const int needed = button.fontMetrics().horizontalAdvance(button.text()) +
                       style.pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button) +
                       2 * style.pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
    if (needed > button.width()) {
        button.resize(needed, button.height());
    }
}

void MakeWebLink(QWidget& widget) {
    widget.setCursor(Qt::PointingHandCursor);
    SetHint(widget, Utf8(Tr("Visit website")));
}

}  // namespace kestrune
