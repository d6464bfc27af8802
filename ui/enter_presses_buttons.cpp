#include "ui/enter_presses_buttons.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace kestrune {

namespace {

// The keys a dialog takes for its default button: Return or Enter alone, the keypad's Enter.
bool IsEnter(const QKeyEvent& key) {
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
           (key.modifiers() == Qt::NoModifier ||
            (key.modifiers() == Qt::KeypadModifier && key.key() == Qt::Key_Enter));
}

}  // namespace

EnterPressesButtons::EnterPressesButtons(QCoreApplication& application) {
    // Watching the application sees every key press; one reaches a button only while it has the
    // focus.
    application.installEventFilter(this);
}

bool EnterPressesButtons::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* button = qobject_cast<QPushButton*>(watched);
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (button && !button->autoDefault() && !button->isDefault() && IsEnter(key)) {
            // Holding the key down presses once, as Space does.
            if (!key.isAutoRepeat()) {
                button->click();
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kestrune
