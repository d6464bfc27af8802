#include "ui/about_window.h"

#include <QEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "ui/clickable_label.h"
#include "ui/exception_display.h"
#include "ui/owned_window.h"
#include "ui/secondary_window_style.h"
#include "ui/hint.h"
#include "ui/shown_text.h"
#include "ui/window_placement.h"
#include "ui_logic/web_sites.h"
#include "i18n/translate.h"
#include "ui_logic/application_title.h"
#include "ui_logic/maker_texts.h"

namespace kestrune {

namespace {

constexpr QSize kClientSize(382, 310);

QLabel* TextLabel(QWidget& parent, const char* name, QPoint position) {
    auto* label = new QLabel(&parent);
    label->setObjectName(name);
    label->move(position);
    return label;
}

}  // namespace

TForm2::TForm2(QWidget& mainWindow) : mainWindow_(mainWindow) {
    // A fixed frame with the system menu (and its close box) alone.
    MakeOwnedWindow(*this, mainWindow,
                    Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowCloseButtonHint,
                    EscapeKey::ClosesWindow);
    setObjectName("Form2");
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(SecondaryWindowFont());
    setFixedSize(kClientSize);

    Image2 = new ClickableLabel(this);
    Image2->setObjectName("Image2");
    Image2->setPixmap(QPixmap(":/pictures/maker.png"));
    Image2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image2->setGeometry(32, 8, 321, 185);
    MakeWebLink(*Image2);
    connect(Image2, &ClickableLabel::clicked, this,
            [this] { Guarded([this] { steps_.Image2Click(); }); });

    Image1 = new ClickableLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(QPixmap(":/pictures/partner_logo.png"));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setGeometry(32, 200, 89, 33);
    MakeWebLink(*Image1);
    connect(Image1, &ClickableLabel::clicked, this,
            [this] { Guarded([this] { steps_.Image1Click(); }); });

    Label5 = TextLabel(*this, "Label5", {240, 200});
    Label2 = TextLabel(*this, "Label2", {192, 224});
    Label1 = TextLabel(*this, "Label1", {32, 248});
    Label4 = TextLabel(*this, "Label4", {264, 248});

    Button1 = new QPushButton(this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(152, 272, 75, 25);
    connect(Button1, &QPushButton::clicked, this,
            [this] { Guarded([this] { steps_.Button1Click(); }); });
    // The only control that takes the focus, first in the tab order.
    setFocusProxy(Button1);
    Retranslate();
}

void TForm2::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    QWidget::changeEvent(event);
}

void TForm2::Retranslate() {
    setWindowTitle(Utf8(Tr("About Kestrune")));
    SetHint(*Image1, Utf8(Tr("Visit website")));
    SetHint(*Image2, Utf8(Tr("Visit website")));
    const std::pair<QLabel*, const char*> lines[] = {
        {Label5, kApplicationTitle},
        {Label2, kMakerNotice},
        {Label1, kMakerCredit},
        {Label4, kMakerOrigin},
    };
    for (const auto& [label, english] : lines) {
        label->setText(Utf8(Tr(english)));
        // A line wraps within the window rather than running past its edge.
        label->setWordWrap(false);
        label->adjustSize();
        const int room = width() - label->x() - 8;
        if (label->width() > room) {
            label->setWordWrap(true);
            label->setFixedWidth(room);
            label->setFixedHeight(label->heightForWidth(room));
        }
    }
    Button1->setText(Utf8(Tr("OK")));
}

void TForm2::setVisible(bool visible) {
    if (visible && !placed_) {
        placed_ = true;
        // Placed before the window exists, so that the position is the frame's. Until it is
        // framed, the main window's frame is the best guess of its own.
        move(CentredTopLeft(mainWindow_.frameGeometry(), size() + FrameExtra(mainWindow_)));
    }
    QWidget::setVisible(visible);
}

void TForm2::BringMainWindowForward() {
    BringForward(mainWindow_);
}

void TForm2::CloseWindow() {
    close();
}

void TForm2::OpenWebSite(std::string_view url) {
    kestrune::OpenWebSite(url);
}

}  // namespace kestrune
