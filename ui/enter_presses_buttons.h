#pragma once

#include <QObject>

class QCoreApplication;

namespace kestrune {

// While it lives, Enter (Return or the keypad's Enter) on a focused push button presses it, in
// every window of the application, as players know it from Windows; Space keeps working. Buttons
// that take Enter themselves (a dialog's) are left to do so.
class EnterPressesButtons : public QObject {
public:
    explicit EnterPressesButtons(QCoreApplication& application);

    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace kestrune
