#include "ui/exception_display.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include <string>
#include <utility>

#include "ui/shown_text.h"
#include "ui_logic/application_title.h"
#include "ui_logic/exception_message.h"

namespace kestrune {

namespace {

ExceptionPresenter& InstalledPresenter() {
    static ExceptionPresenter presenter;
    return presenter;
}

QPointer<QWidget>& BoxOwnerWhenNoneIsActive() {
    static QPointer<QWidget> owner;
    return owner;
}

void ShowMessageBox(const QString& text) {
    // The box blocks every window of the program while it is up; focus then goes back to the
    // widget that had it.
    QPointer<QWidget> focus = QApplication::focusWidget();
    // A box of no window's own may open behind other programs, where nobody finds it while every
    // window of the program waits for it.
    QWidget* owner = QApplication::activeWindow();
    if (!owner) {
        owner = BoxOwnerWhenNoneIsActive();
    }
    QMessageBox box(QMessageBox::Critical, Utf8(Tr(kApplicationTitle)), text,
                    QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    if (focus) {
        focus->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace

QString ExceptionText(std::string_view message) {
    // A message may quote a stored text, which shows as the window shows it.
    return ShownText(ExceptionMessage(message));
}

void ShowException(std::string_view message) {
    const QString text = ExceptionText(message);
    if (const auto& presenter = InstalledPresenter()) {
        presenter(text);
        return;
    }
    ShowMessageBox(text);
}

void SetExceptionPresenter(ExceptionPresenter presenter) {
    InstalledPresenter() = std::move(presenter);
}

void SetExceptionBoxOwner(QWidget* mainWindow) {
    BoxOwnerWhenNoneIsActive() = mainWindow;
}

}  // namespace kestrune
