#include "ui/add_mod_window.h"

#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QSignalBlocker>

#include <optional>
#include <utility>

#include "ui/exception_display.h"
#include "ui/hint.h"
#include "ui/mods_list_box.h"
#include "ui/owned_window.h"
#include "ui/secondary_window_style.h"
#include "ui/shown_text.h"
#include "ui/window_placement.h"
#include "ui_logic/web_sites.h"
#include "ui_logic/grown_layout.h"
#include "i18n/translate.h"

namespace kestrune {

namespace {

constexpr QSize kOuterSize(198, 144);
constexpr QPoint kFirstPosition(963, 695);

QPushButton* Button(QWidget& parent, const char* name, QRect geometry) {
    auto* button = new QPushButton(&parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

// The usable area of the screen the window's first position lies on.
QRect FirstScreenArea() {
    const QScreen* screen = QGuiApplication::screenAt(kFirstPosition);
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen ? screen->availableGeometry() : QRect(kFirstPosition, kOuterSize);
}

}  // namespace

TForm4::TForm4(QWidget& mainWindow, QComboBox& mods, std::string modsListPath)
    : mainWindow_(mainWindow), mods_(mods), steps_(*this, std::move(modsListPath)) {
    MakeOwnedWindow(*this, mainWindow, kOrdinaryFrame, EscapeKey::ClosesWindow);
    setObjectName("Form4");
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(SecondaryWindowFont());
    KeepOuterSize(*this, kOuterSize);

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->move(16, 16);

    edmods = new QLineEdit(this);
    edmods->setObjectName("edmods");
    edmods->setGeometry(16, 32, 153, 21);

    btMods = Button(*this, "btMods", {16, 64, 75, 25});
    connect(btMods, &QPushButton::clicked, this,
            [this] { Guarded([this] { steps_.btModsClick(); }); });
    Button1 = Button(*this, "Button1", {96, 64, 75, 25});
    connect(Button1, &QPushButton::clicked, this,
            [this] { Guarded([this] { steps_.Button1Click(); }); });

    setTabOrder(edmods, btMods);
    setTabOrder(btMods, Button1);
    setFocusProxy(edmods);
    Retranslate();
}

void TForm4::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    QWidget::changeEvent(event);
}

void TForm4::Retranslate() {
    setWindowTitle(Utf8(Tr("ADD Mods")));
    Label1->setText(Utf8(Tr("Type mod name")));
    Label1->adjustSize();
    SetHint(*edmods, Utf8(Tr("Type here")));
    btMods->setText(Utf8(Tr("Add Mod")));
    Button1->setText(Utf8(Tr("Exit add mod")));
    LayOut();
}

// A caption too wide for its button widens it, the next button moving along; the window widens
// to hold them.
void TForm4::LayOut() {
    const auto needs = [](const QPushButton& button) {
        const QStyle& style = *button.style();
        return button.fontMetrics().horizontalAdvance(button.text()) +
               style.pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button) +
               2 * style.pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
    };
    const LayoutControl controls[] = {
        {{16, 16, Label1->width(), Label1->height()}, 0, 0},
        {{16, 64, 75, 25}, needs(*btMods), 1},
        {{96, 64, 75, 25}, needs(*Button1), 1},
    };
    const LayoutRow rows[] = {{}, {}};
    const GrownLayout layout = GrowToTexts(controls, rows);
    for (const auto& [button, place] : {std::pair{btMods, layout.places[1]},
                                        std::pair{Button1, layout.places[2]}}) {
        button->setGeometry(place.left, place.top, place.width, place.height);
    }
    const int rightmost = std::max(layout.places[0].right(), layout.places[2].right());
    KeepOuterSize(*this, kOuterSize + QSize(std::max(0, rightmost - (96 + 75)), 0));
}

void TForm4::setVisible(bool visible) {
    if (visible && !placed_) {
        placed_ = true;
        // Moved onto a screen too small for the fixed place. Placed before the window exists,
        // so that the position is the frame's.
        move(KeptOnScreen(kFirstPosition, kOuterSize, FirstScreenArea()));
    }
    QWidget::setVisible(visible);
}

std::u16string TForm4::NameTyped() const {
    return edmods->text().toStdU16String();
}

int TForm4::ModsCount() const {
    return mods_.count();
}

// The selection and the text the combo box shows stay as they were.
void TForm4::AppendMod(std::u16string_view name) {
    const int index = mods_.currentIndex();
    const QString text = mods_.currentText();
    // The main window hears of no change: the user did not pick or type anything there.
    const QSignalBlocker quiet(mods_);
    mods_.addItem(QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size())));
    // A combo box that was empty selects its first entry by itself.
    if (mods_.currentIndex() != index) {
        mods_.setCurrentIndex(index);
    }
    if (mods_.isEditable() && mods_.currentText() != text) {
        mods_.setEditText(text);
    }
}

std::optional<ModsList> TForm4::ModsListToWrite() const {
    return kestrune::ModsListToWrite(mods_);
}

void TForm4::BringMainWindowForward() {
    BringForward(mainWindow_);
}

void TForm4::CloseWindow() {
    close();
}

void TForm4::OpenWebSite(std::string_view url) {
    kestrune::OpenWebSite(url);
}

}  // namespace kestrune
