#include "ui/exception_display.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include <utility>

#include "ui/application_title.h"

namespace kestrune {

namespace {

ExceptionPresenter& InstalledPresenter() {
    static ExceptionPresenter presenter;
    return presenter;
}

void ShowMessageBox(const QString& text) {
    // The box blocks every window of the program while it is up; focus then goes back to the
    // widget that had it.
    QPointer<QWidget> focus = QApplication::focusWidget();
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle), text,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    if (focus) {
        focus->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace

QString ExceptionText(std::string_view message) {
    QByteArray bytes(message.data(), static_cast<qsizetype>(message.size()));
    // A message that already ends in punctuation, a quote or a blank keeps its ending.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        bytes.append('.');
    }
    return QString::fromLocal8Bit(bytes);
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

}  // namespace kestrune
