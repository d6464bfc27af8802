// The windows in every language: every text fits its control, no two controls overlap, the
// window holds them; and the Language menu's choice is stored and shown at once.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTableView>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "i18n/catalogue.h"
#include "i18n/language.h"
#include "i18n/translate.h"
#include "tests/ui/main_window_fixture.h"
#include "ui/about_window.h"
#include "ui/add_mod_window.h"
#include "ui/server_list_window.h"
#include "ui/shown_text.h"
#include "ui/splash_window.h"
#include "ui_logic/language_choice.h"

namespace kestrune::test_support {
namespace {

class LanguagesTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // The system's choice is English whatever the machine running the tests says.
        ::unsetenv("LANGUAGE");
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        SetLanguage(kEnglish);
    }
};

std::vector<std::string> AllLanguages() {
    std::vector<std::string> codes = {"en"};
    for (const Catalogue& catalogue : Catalogues()) {
        codes.emplace_back(catalogue.code);
    }
    return codes;
}

// How wide a control's text is in its own font, with what its kind draws beside it.
int TextNeeds(const QWidget& widget) {
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        if (label->wordWrap()) {
            return 0;  // measured against its height below
        }
        // An access key's "&" is not drawn.
        return label->fontMetrics().size(Qt::TextShowMnemonic, label->text()).width();
    }
    if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
        const QStyle& style = *button->style();
        return button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width() +
               style.pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
    }
    if (const auto* box = qobject_cast<const QAbstractButton*>(&widget)) {
        return box->sizeHint().width();
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) {
        return group->fontMetrics().horizontalAdvance(group->title()) + 8;
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(&widget)) {
        // The widest entry against the room its style leaves for text.
        QStyleOptionComboBox option;
        option.initFrom(combo);
        const int room = combo->style()
                             ->subControlRect(QStyle::CC_ComboBox, &option,
                                              QStyle::SC_ComboBoxEditField, combo)
                             .width();
        int widest = 0;
        for (int item = 0; item < combo->count(); ++item) {
            widest = std::max(widest, combo->fontMetrics().horizontalAdvance(combo->itemText(item)));
        }
        return widest + combo->width() - room;
    }
    return 0;
}

// Each header section is wide enough for its title (the stretching last one aside).
void ExpectTitlesFit(const QHeaderView& header, const QString& where) {
    const int margins =
        2 * header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
    for (int section = 0; section + 1 < header.count(); ++section) {
        const QString title = header.model()->headerData(section, Qt::Horizontal).toString();
        EXPECT_LE(header.fontMetrics().horizontalAdvance(title) + margins,
                  header.sectionSize(section))
            << (where + " " + title).toStdString();
    }
}

// The access keys of the controls' texts: none taken twice.
void ExpectKeysOnce(const std::vector<QString>& texts, const std::string& where) {
    std::set<QChar> keys;
    for (const QString& text : texts) {
        const qsizetype amp = text.indexOf('&');
        if (amp >= 0 && amp + 1 < text.size()) {
            EXPECT_TRUE(keys.insert(text[amp + 1].toLower()).second)
                << where << " " << text.toStdString();
        }
    }
}

// The checks every window passes in every language.
void ExpectLaidOut(const QWidget& window, const QWidget& area, const std::string& language,
                   const std::set<std::pair<QString, QString>>& sharing = {}) {
    const QString where = QString::fromStdString(language) + " " + window.objectName();
    std::vector<const QWidget*> controls;
    for (const QWidget* control : area.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control->isVisibleTo(&window) && !control->objectName().isEmpty()) {
            controls.push_back(control);
        }
    }
    ASSERT_FALSE(controls.empty()) << where.toStdString();
    for (const QWidget* control : controls) {
        const QString name = where + " " + control->objectName();
        EXPECT_LE(TextNeeds(*control), control->width()) << name.toStdString();
        if (const auto* label = qobject_cast<const QLabel*>(control); label && label->wordWrap()) {
            EXPECT_LE(label->heightForWidth(label->width()), label->height()) << name.toStdString();
        } else {
            EXPECT_LE(control->fontMetrics().height(), control->height()) << name.toStdString();
        }
        EXPECT_TRUE(area.rect().contains(control->geometry())) << name.toStdString();
        for (const QWidget* other : controls) {
            if (other <= control ||
                sharing.count({control->objectName(), other->objectName()}) ||
                sharing.count({other->objectName(), control->objectName()})) {
                continue;
            }
            // The layout's server and port columns share their edge pixel, in every language.
            EXPECT_FALSE(control->geometry().adjusted(0, 0, -1, 0).intersects(
                other->geometry().adjusted(0, 0, -1, 0)))
                << (name + " and " + other->objectName()).toStdString() << " "
                << control->geometry().x() << "," << control->geometry().width() << " "
                << other->geometry().x() << "," << other->geometry().width();
        }
    }
}

TEST_F(LanguagesTest, EveryWindowHoldsItsTextsInEveryLanguage) {
    // The server list is never refreshed here; should it be, it asks no master but loopback.
    WriteSettings("[Masters]\r\n1=127.0.0.1:9 68\r\n");
    for (const std::string& language : AllLanguages()) {
        ASSERT_TRUE(SetLanguage(language));
        TForm1& window = Create();
        const TForm2 about(window);
        TForm4 addMod(window, window.ModsComboBox(), "mods.kst");
        const TForm3 splash(window);
        ServerListWindow servers(window, settingsPath_, nullptr, nullptr);
        servers.layout()->activate();
        ExpectLaidOut(window, *window.centralWidget(), language,
                      {{"Label1", "lblServerInfo"}});
        ExpectLaidOut(window, Get<QGroupBox>("Group"), language);
        EXPECT_LE(window.menuBar()->sizeHint().width(), window.width()) << language;
        ExpectLaidOut(about, about, language);
        ExpectLaidOut(addMod, addMod, language);
        ExpectLaidOut(splash, splash, language);
        ExpectLaidOut(servers, servers, language);
        ExpectTitlesFit(*servers.Table().horizontalHeader(), QString::fromStdString(language));
        ExpectTitlesFit(*servers.findChild<QTreeWidget*>("Players")->header(),
                        QString::fromStdString(language));
        // Every menu's and window's texts may hold access keys; none is taken twice.
        for (const QMenu* menu : window.findChildren<QMenu*>()) {
            std::vector<QString> texts;
            for (const QAction* action : menu->actions()) {
                texts.push_back(action->text());
            }
            ExpectKeysOnce(texts, language);
        }
        // The favourite button's two captions share a key that no other control takes.
        for (const char* favourite : {"&Add to favourites", "Remove from f&avourites"}) {
            std::vector<QString> texts = {Utf8(Tr(favourite))};
            for (const QWidget* control : servers.findChildren<QWidget*>()) {
                if (control->objectName() == "Favourite") {
                    continue;
                }
                if (const auto* label = qobject_cast<const QLabel*>(control)) {
                    texts.push_back(label->text());
                } else if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
                    texts.push_back(button->text());
                }
            }
            ExpectKeysOnce(texts, language);
        }
        if (language == "en") {
            // English keeps the layout to the pixel.
            EXPECT_EQ(window.centralWidget()->size(), QSize(425, 279 - 19));
            EXPECT_EQ(Get<QPushButton>("btnExit").geometry(), QRect(336, 200, 75, 25));
            EXPECT_EQ(Get<QLineEdit>("edTSPassword").geometry(), QRect(264, 144, 145, 21));
            EXPECT_EQ(Get<QCheckBox>("cbExit").geometry().topLeft(), QPoint(256, 176));
        }
    }
}

TEST_F(LanguagesTest, TheLanguageMenuStoresTheChoiceAndChangesTheTextsAtOnce) {
    WriteSettings("[Quake3]\r\nQ3Server=example.org\r\n[Masters]\r\n1=127.0.0.1:9 68\r\n");
    TForm1& window = Create();
    // The main window's own: it goes before the main window does.
    auto about = std::make_unique<TForm2>(window);
    auto servers = std::make_unique<ServerListWindow>(window, settingsPath_, nullptr, nullptr);
    const auto serversText = [&servers](const char* name) {
        return servers->findChild<QAbstractButton*>(name)->text();
    };
    const auto columnTitle = [&servers](ServerColumn column) {
        return servers->Table().model()->headerData(static_cast<int>(column), Qt::Horizontal);
    };
    EXPECT_EQ(Get<QPushButton>("btnLaunchQ3").text(), "Launch game");

    Trigger("Language_ru");
    EXPECT_EQ(Settings(), "[Quake3]\r\nQ3Server=example.org\r\n[Masters]\r\n1=127.0.0.1:9 68\r\n"
                          "[Main]\r\nLanguage=ru\r\n");
    EXPECT_EQ(Get<QPushButton>("btnLaunchQ3").text(), "Запуск игры");
    EXPECT_EQ(Message(), "Программа готова");
    EXPECT_EQ(window.StatusPanelText(1), "Готово");
    EXPECT_EQ(about->windowTitle(), "О программе Kestrune");
    EXPECT_EQ(servers->windowTitle(), "Найти сервер");
    EXPECT_EQ(serversText("HideFull"), "Без по&лных");
    EXPECT_EQ(columnTitle(ServerColumn::Players), "Игроки");
    EXPECT_EQ(servers->ProgressText(), "Ответили: 0 из 0 серверов");
    EXPECT_EQ(window.findChild<QMenu*>("Options1")->title(), "Настройки");
    EXPECT_TRUE(window.findChild<QAction*>("Language_ru")->isChecked());
    EXPECT_GT(window.width(), 425 - 1);

    Trigger("Language_");
    EXPECT_EQ(SavedValue("Language"), QByteArray(""));
    EXPECT_EQ(Get<QPushButton>("btnLaunchQ3").text(), "Launch game");
    EXPECT_EQ(Message(), "Program ready");
    EXPECT_EQ(servers->windowTitle(), "Find server");
    EXPECT_EQ(serversText("HideFull"), "Hide &full");
    EXPECT_EQ(columnTitle(ServerColumn::Players), "Players");
    EXPECT_EQ(servers->ProgressText(), "0 of 0 servers answered");
    EXPECT_EQ(window.size().width(), 425);
    EXPECT_EQ(Get<QPushButton>("btnExit").geometry(), QRect(336, 200, 75, 25));

    // The next start speaks the stored language.
    Trigger("Language_pl");
    about.reset();
    servers.reset();
    window_.reset();
    StartInChosenLanguage(settingsPath_);
    Create();
    EXPECT_EQ(Get<QPushButton>("btnLaunchQ3").text(), "Uruchom grę");
}

}  // namespace
}  // namespace kestrune::test_support
