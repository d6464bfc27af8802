#include "ui/add_mod_window.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>

#include <optional>
#include <utility>

#include "ui/exception_display.h"
#include "ui/hint.h"
#include "ui/mods_list_box.h"
#include "ui/owned_window.h"
#include "ui/secondary_window_style.h"
#include "ui/window_placement.h"
#include "ui_logic/web_sites.h"

namespace kestrune {

namespace {

constexpr QSize kOuterSize(198, 144);
constexpr QPoint kFirstPosition(963, 695);

QPushButton* Button(QWidget& parent, const char* name, const QString& caption, QRect geometry) {
    auto* button = new QPushButton(caption, &parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    FitCaption(*button);
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
    setWindowTitle("ADD Mods");
    setFont(SecondaryWindowFont());
    KeepOuterSize(*this, kOuterSize);

    Label1 = new QLabel("Type mod name", this);
    Label1->setObjectName("Label1");
    Label1->adjustSize();
    Label1->move(16, 16);

    edmods = new QLineEdit(this);
    edmods->setObjectName("edmods");
    edmods->setGeometry(16, 32, 153, 21);
    SetHint(*edmods, "Type here");

    btMods = Button(*this, "btMods", "Add Mod", {16, 64, 75, 25});
    connect(btMods, &QPushButton::clicked, this,
            [this] { Guarded([this] { steps_.btModsClick(); }); });
    Button1 = Button(*this, "Button1", "Exit add mod", {96, 64, 75, 25});
    connect(Button1, &QPushButton::clicked, this,
            [this] { Guarded([this] { steps_.Button1Click(); }); });

    setTabOrder(edmods, btMods);
    setTabOrder(btMods, Button1);
    setFocusProxy(edmods);
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
