#include "ui/splash_window.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include "ui/clickable_label.h"
#include "ui/exception_display.h"
#include "ui/owned_window.h"
#include "ui/secondary_window_style.h"
#include "ui/hint.h"
#include "ui/shown_text.h"
#include "ui/window_placement.h"
#include "ui_logic/web_sites.h"
#include "i18n/translate.h"

namespace kestrune {

namespace {

constexpr QSize kOuterSize(362, 299);
constexpr int kShowMilliseconds = 1500;

QRect ScreenOf(const QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(QPoint(0, 0), kOuterSize);
}

}  // namespace

TForm3::TForm3(QWidget& mainWindow) : mainWindow_(mainWindow) {
    MakeOwnedWindow(*this, mainWindow, kOrdinaryFrame);
    setObjectName("Form3");
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QString::fromUtf8(kMakerName));
    setFont(SecondaryWindowFont());
    KeepOuterSize(*this, kOuterSize);
    move(CentredTopLeft(ScreenOf(mainWindow), kOuterSize));

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setText(Utf8(Tr("Kestrune 2.0 by")));
    MakeHeadingLabel(*Label1, {56, 8});

    Image1 = new ClickableLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(QPixmap(":/pictures/maker.png"));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setGeometry(16, 40, 321, 185);
    MakeWebLink(*Image1);
    connect(Image1, &ClickableLabel::clicked, this,
            [this] { Guarded([this] { steps_.Image1Click(); }); });

    Label2 = new ClickableLabel(this);
    Label2->setObjectName("Label2");
    Label2->setText(
        QString::fromUtf8(kMakerHost.data(), static_cast<qsizetype>(kMakerHost.size())));
    MakeHeadingLabel(*Label2, {64, 232});
    MakeWebLink(*Label2);
    connect(Label2, &ClickableLabel::clicked, this,
            [this] { Guarded([this] { steps_.Label2Click(); }); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(kShowMilliseconds);
    // A coarse timer may fire up to 5 % early.
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, [this] { Guarded([this] { steps_.Timer1Timer(); }); });

    show();
    // The interval runs from creation on.
    Guarded([this] { steps_.FormActivate(); });
}

void TForm3::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        Label1->setText(Utf8(Tr("Kestrune 2.0 by")));
        Label1->adjustSize();
        SetHint(*Image1, Utf8(Tr("Visit website")));
        SetHint(*Label2, Utf8(Tr("Visit website")));
    }
    QWidget::changeEvent(event);
}

bool TForm3::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        Guarded([this] { steps_.FormActivate(); });
    }
    return QWidget::event(event);
}

bool TForm3::TimerActive() const {
    return Timer1->isActive();
}

void TForm3::StartTimer() {
    Timer1->start();
}

void TForm3::StopTimer() {
    Timer1->stop();
}

void TForm3::BringMainWindowForward() {
    BringForward(mainWindow_);
}

void TForm3::CloseWindow() {
    close();
}

void TForm3::OpenWebSite(std::string_view url) {
    kestrune::OpenWebSite(url);
}

}  // namespace kestrune
