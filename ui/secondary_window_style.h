#pragma once

#include <QFont>
#include <QPoint>

#include "ui_logic/maker_texts.h"

class QLabel;
class QPushButton;
class QWidget;

namespace kestrune {

// The font of the small windows and their controls; the system substitutes a near match.
QFont SecondaryWindowFont();

// A blue 18-point label at the position given, sized to its text.
void MakeHeadingLabel(QLabel& label, QPoint position);

// Widens a button whose caption would be cut off in the font the system gave it.
void FitCaption(QPushButton& button);

// A picture or label that opens a web site: hand cursor and the hint "Visit website".
void MakeWebLink(QWidget& widget);

}  // namespace kestrune
