#include "ui/main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStatusBar>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "launcher/server_probe.h"
#include "launcher/settings_store.h"
#include "net/udp_endpoint.h"
#include "ui/clickable_label.h"
#include "ui/completing_combo_box.h"
#include "ui/exception_display.h"
#include "ui/hint.h"
#include "ui/mods_list_box.h"
#include "ui/server_list_window.h"
#include "ui/shown_text.h"
#include "ui/window_font.h"
#include "ui/window_placement.h"
#include "i18n/translate.h"
#include "ui_logic/application_title.h"
#include "ui_logic/grown_layout.h"
#include "ui_logic/language_choice.h"
#include "ui_logic/web_sites.h"

namespace kestrune {

namespace {

constexpr int kClientWidth = 425;
constexpr int kClientHeight = 279;
constexpr int kStatusBarHeight = 19;
constexpr int kStatusPanel0Width = 216;

// The system's messages and the program's own texts; settings go through ShownText.
QString FromLocal(std::string_view text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

void Place(QWidget& widget, const char* name, QRect geometry) {
    widget.setObjectName(QString::fromLatin1(name));
    widget.setGeometry(geometry);
}

// Labels size themselves to their text, so a wider substitute font never cuts a caption.
void PlaceLabel(QLabel& label, const char* name, QRect geometry) {
    Place(label, name, geometry);
    const QSize needed = label.sizeHint();
    label.resize(std::max(geometry.width(), needed.width()),
                 std::max(geometry.height(), needed.height()));
}

// Password fields show "*" for each character, whatever the desktop's style would show.
class StarPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) {
            return '*';
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

void MakeBlue(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    widget.setPalette(palette);
}

}  // namespace

TForm1::TForm1(std::string settingsPath, std::string modsListPath, QWidget* parent)
    : QMainWindow(parent), steps_(*this, std::move(settingsPath), std::move(modsListPath)) {
    setObjectName("Form1");
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(WindowFont());
    CreateMenu();
    CreateControls();
    CreateStatusBar();
    SetTabOrder();
    ConnectHandlers();
    Retranslate();
    CreateProbe();
    // A box shown while the window is not yet active (FormCreate's own) or no longer is belongs to
    // it all the same.
    SetExceptionBoxOwner(this);
    // Anything FormCreate raises is shown; the window is built and the program goes on.
    Guarded([this] { FormCreate(); });
}

TForm1::~TForm1() {
    // The fields lose the focus as the window goes; their steps must not run then.
    edQ3Server->disconnect(this);
    edTSServer->disconnect(this);
}

void TForm1::CreateControls() {
    auto* client = new QWidget(this);
    client->setObjectName("ClientArea");
    setCentralWidget(client);

    blMods = new QLabel(client);
    Place(*blMods, "blMods", {16, 48, 43, 13});
    cbMods = new CompletingComboBox(client);
    Place(*cbMods, "cbMods", {16, 64, 89, 21});
    cbMods->addItem(QString());
    cbMods->SelectKeepingText(-1);
    cbMods->setEditText("Mods");

    Group = new QGroupBox(client);
    Place(*Group, "Group", {16, 96, 81, 65});
    Group->setCursor(Qt::PointingHandCursor);
    groupButtons_ = new QButtonGroup(Group);
    for (int item = 0; item < 2; ++item) {
        auto* button = new QRadioButton(Group);
        button->setObjectName(QString("GroupItem%1").arg(item));
        button->setGeometry(8, 16 + 22 * item, 71, 20);
        groupButtons_->addButton(button, item);
        groupItems_[item] = button;
    }
    groupItems_[1]->setChecked(true);
    UpdateGroupTabStop();

    cbAutosave = new QCheckBox(client);
    Place(*cbAutosave, "cbAutosave", {16, 176, 81, 17});
    cbAutosave->setChecked(true);
    cbAutojoin = new QCheckBox(client);
    Place(*cbAutojoin, "cbAutojoin", {120, 176, 121, 17});
    cbAutojoin->setChecked(true);
    cbExit = new QCheckBox(client);
    Place(*cbExit, "cbExit", {256, 176, 153, 17});
    for (QCheckBox* box : {cbAutosave, cbAutojoin, cbExit}) {
        box->setCursor(Qt::PointingHandCursor);
    }

    struct Field {
        QLabel*& label;
        const char* labelName;
        QRect labelGeometry;
        QLineEdit*& edit;
        const char* editName;
        QRect editGeometry;
        bool secret;
    };
    // clang-format off
    const Field fields[] = {
        {Label2, "Label2", {112, 48, 68, 13}, edQ3Server, "edQ3Server", {112, 64, 97, 21}, false},
        {Label8, "Label8", {208, 48, 41, 13}, edQ3Port, "edQ3Port", {208, 64, 49, 21}, false},
        {Label6, "Label6", {264, 48, 82, 13}, edQ3Password, "edQ3Password", {264, 64, 145, 21}, true},
        {Label4, "Label4", {112, 88, 97, 13}, edTSServer, "edTSServer", {112, 104, 97, 21}, false},
        {Label9, "Label9", {208, 88, 32, 13}, edTSPort, "edTSPort", {208, 104, 49, 21}, false},
        {Label3, "Label3", {264, 88, 73, 13}, edTSNick, "edTSNick", {264, 104, 145, 21}, false},
        {Label5, "Label5", {112, 128, 65, 13}, edTSLogin, "edTSLogin", {112, 144, 145, 21}, false},
        {Label7, "Label7", {264, 128, 71, 13}, edTSPassword, "edTSPassword", {264, 144, 145, 21}, true},
    };
    // clang-format on
    // A widget does not own its style: the window does, and, made after the client area, the
    // style goes after the fields.
    auto* passwordStyle = new StarPasswordStyle;
    passwordStyle->setParent(this);
    for (const Field& field : fields) {
        field.label = new QLabel(client);
        Place(*field.label, field.labelName, field.labelGeometry);
        field.edit = new QLineEdit(client);
        Place(*field.edit, field.editName, field.editGeometry);
        if (field.secret) {
            field.edit->setStyle(passwordStyle);
            field.edit->setEchoMode(QLineEdit::Password);
        }
    }

    struct Button {
        QPushButton*& button;
        const char* name;
        int left;
        bool enabled;
        bool handCursor;
    };
    const Button buttons[] = {
        {btnLaunchQ3, "btnLaunchQ3", 16, false, true},
        {btnTest, "btnTest", 96, true, false},
        {btnLaunchTS, "btnLaunchTS", 176, false, true},
        {btnExit, "btnExit", 336, true, true},
    };
    for (const Button& entry : buttons) {
        entry.button = new QPushButton(client);
        Place(*entry.button, entry.name, {entry.left, 200, 75, 25});
        entry.button->setEnabled(entry.enabled);
        entry.button->setAutoDefault(false);
        if (entry.handCursor) {
            entry.button->setCursor(Qt::PointingHandCursor);
        }
    }

    // The message line keeps its width; longer messages are cut at its right edge.
    Label1 = new QLabel(client);
    Place(*Label1, "Label1", {16, 240, 393, 13});
    Label1->setFixedWidth(393);
    Label1->setMinimumHeight(Label1->sizeHint().height());
    MakeBlue(*Label1);

    // The server's details share the message line's row, right of its longest text (LayOut).
    lblServerInfo = new QLabel(client);
    lblServerInfo->setObjectName("lblServerInfo");
    lblServerInfo->setTextFormat(Qt::PlainText);
    lblServerInfo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Image1 = new ClickableLabel(client);
    Place(*Image1, "Image1", {171, 8, 89, 33});
    Image1->setPixmap(QPixmap(":/pictures/partner_logo.png"));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setCursor(Qt::PointingHandCursor);

    Label10 = new ClickableLabel(client);
    Label10->setText(FromLocal(kMakerHost));
    QFont linkFont = font();
    linkFont.setPointSize(10);
    Label10->setFont(linkFont);
    MakeBlue(*Label10);
    PlaceLabel(*Label10, "Label10", {280, 16, 125, 16});
    Label10->setCursor(Qt::PointingHandCursor);
}

// Every text of the window in the language in use, then the places that the texts need.
void TForm1::Retranslate() {
    setWindowTitle(Utf8(Tr(kApplicationTitle)));
    blMods->setText(Utf8(Tr("Q3 Mods")));
    Group->setTitle(Utf8(Tr("Game type")));
    SetHint(*Group, Utf8(Tr("Game type")));
    for (int item = 0; item < 2; ++item) {
        groupItems_[item]->setText(Utf8(Tr(kGameTypeCaptions[item])));
    }
    const std::pair<QAbstractButton*, const char*> captioned[] = {
        {cbAutosave, N_("AutoSave")},
        {cbAutojoin, N_("Auto join Teamspeak")},
        {cbExit, N_("Exit on launch game")},
        {btnLaunchQ3, N_("Launch game")},
        {btnTest, N_("Test server")},
        {btnLaunchTS, N_("Launch TS2")},
        {btnExit, N_("Exit")},
    };
    for (const auto& [control, english] : captioned) {
        control->setText(Utf8(Tr(english)));
        SetHint(*control, control->text());
    }
    const std::pair<QLabel*, const char*> labels[] = {
        {Label2, N_("Q3/UT Server")}, {Label8, N_("Port")},
        {Label6, N_("Q3/UT password")}, {Label4, N_("Teamspeak server")},
        {Label9, N_("Port")}, {Label3, N_("Nick name")},
        {Label5, N_("Login name")}, {Label7, N_("User Password")},
    };
    for (const auto& [label, english] : labels) {
        label->setText(Utf8(Tr(english)));
    }
    SetHint(*Image1, Utf8(Tr("Visit website")));
    SetHint(*Label10, Utf8(Tr("Visit website")));

    Files1->setTitle(Utf8(Tr("Files")));
    Options1->setTitle(Utf8(Tr("Options")));
    const std::pair<QAction*, const char*> entries[] = {
        {Save1, N_("Save")},          {Exit1, N_("Exit")},
        {Q3Path, N_("Q3 Path")},      {LinkTS21, N_("TS2 Path")},
        {LaunchGame1, N_("Launch game")}, {LaunchTS21, N_("Launch TS2")},
        {TestServer1, N_("Test server")}, {AddMod1, N_("Add Mod")},
        {FindServer1, N_("Find server...")},
        {About2, N_("About")},
    };
    for (const auto& [action, english] : entries) {
        action->setText(Utf8(Tr(english)));
    }
    Language1->setTitle(Utf8(Tr("Language")));
    languageEntries_.front()->setText(Utf8(Tr("System default")));
    for (QAction* entry : languageEntries_) {
        entry->setChecked(entry->data().toString().toStdString() == steps_.LanguageChoice());
    }
    LayOut();
    steps_.Retranslate();
}

// The window's layout; a text that needs more room than its place has grows it, and the window
// grows with it (GrowToTexts). Texts that fit leave every place as it is.
void TForm1::LayOut() {
    enum Row { kLinks, kFields, kSwitches, kButtons, kMessages };
    const LayoutRow rows[] = {{}, {408}, {408}, {300}, {408}};
    const auto label = [](const QLabel& label) { return label.sizeHint().width(); };
    const auto check = [](const QAbstractButton& box) { return box.sizeHint().width(); };
    const auto button = [](const QPushButton& button) {
        const QStyle& style = *button.style();
        return button.fontMetrics().horizontalAdvance(button.text()) +
               style.pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button) +
               2 * style.pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
    };
    const int groupNeeds =
        std::max({Group->fontMetrics().horizontalAdvance(Group->title()) + 16,
                  check(*groupItems_[0]) + 10, check(*groupItems_[1]) + 10});
    struct Entry {
        QWidget* widget;
        LayoutControl control;
    };
    // clang-format off
    const Entry entries[] = {
        {Image1, {{171, 8, 89, 33}, 0, kLinks}},
        {Label10, {{280, 16, 125, 16}, label(*Label10), kLinks}},
        {blMods, {{16, 48, 43, 13}, label(*blMods), kFields}},
        {cbMods, {{16, 64, 89, 21}, 0, kFields}},
        {Group, {{16, 96, 81, 65}, groupNeeds, kFields}},
        {Label2, {{112, 48, 68, 13}, label(*Label2), kFields}},
        {edQ3Server, {{112, 64, 97, 21}, 0, kFields}},
        {Label8, {{208, 48, 41, 13}, label(*Label8), kFields}},
        {edQ3Port, {{208, 64, 49, 21}, 0, kFields}},
        {Label6, {{264, 48, 82, 13}, label(*Label6), kFields}},
        {edQ3Password, {{264, 64, 145, 21}, 0, kFields}},
        {Label4, {{112, 88, 97, 13}, label(*Label4), kFields}},
        {edTSServer, {{112, 104, 97, 21}, 0, kFields}},
        {Label9, {{208, 88, 32, 13}, label(*Label9), kFields}},
        {edTSPort, {{208, 104, 49, 21}, 0, kFields}},
        {Label3, {{264, 88, 73, 13}, label(*Label3), kFields}},
        {edTSNick, {{264, 104, 145, 21}, 0, kFields}},
        {Label5, {{112, 128, 65, 13}, label(*Label5), kFields}},
        {edTSLogin, {{112, 144, 145, 21}, 0, kFields}},
        {Label7, {{264, 128, 71, 13}, label(*Label7), kFields}},
        {edTSPassword, {{264, 144, 145, 21}, 0, kFields}},
        {cbAutosave, {{16, 176, 81, 17}, check(*cbAutosave), kSwitches}},
        {cbAutojoin, {{120, 176, 121, 17}, check(*cbAutojoin), kSwitches}},
        {cbExit, {{256, 176, 153, 17}, check(*cbExit), kSwitches}},
        {btnLaunchQ3, {{16, 200, 75, 25}, button(*btnLaunchQ3), kButtons}},
        {btnTest, {{96, 200, 75, 25}, button(*btnTest), kButtons}},
        {btnLaunchTS, {{176, 200, 75, 25}, button(*btnLaunchTS), kButtons}},
        {btnExit, {{336, 200, 75, 25}, button(*btnExit), kButtons}},
        {Label1, {{16, 240, 393, 13}, 0, kMessages}},
    };
    // clang-format on
    std::vector<LayoutControl> controls;
    for (const Entry& entry : entries) {
        controls.push_back(entry.control);
    }
    const int menuNeeds = menuBar()->sizeHint().width() - kClientWidth;
    const GrownLayout layout = GrowToTexts(controls, rows, menuNeeds);
    for (std::size_t i = 0; i < std::size(entries); ++i) {
        const LayoutPlace& place = layout.places[i];
        int height = place.height;
        // A label is as high as its text too.
        if (auto* text = qobject_cast<QLabel*>(entries[i].widget); text && text != Label1) {
            height = std::max(height, text->sizeHint().height());
        }
        entries[i].widget->setGeometry(place.left, place.top, place.width, height);
    }
    Label1->setFixedWidth(layout.places.back().width);
    for (QRadioButton* item : groupItems_) {
        item->resize(Group->width() - 10, item->height());
    }
    setFixedSize(kClientWidth + layout.extraWidth, menuBar()->sizeHint().height() + kClientHeight);

    // The server's details share the message line's row, right of its longest text.
    int widestMessage = 0;
    for (const char* message : kMessageLineTexts) {
        widestMessage =
            std::max(widestMessage, Label1->fontMetrics().horizontalAdvance(Utf8(Tr(message))));
    }
    const int lineRight = Label1->geometry().right() + 1;
    const int infoLeft = std::min(16 + widestMessage + 12, lineRight - 120);
    lblServerInfo->setGeometry(infoLeft, 240, lineRight - infoLeft, Label1->height());
}

void TForm1::CreateMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    auto add = [](QMenu* menu, QAction*& action, const char* name) {
        action = menu->addAction(QString());
        action->setObjectName(QString::fromLatin1(name));
    };
    Files1 = bar->addMenu(QString());
    Files1->setObjectName("Files1");
    add(Files1, Save1, "Save1");
    add(Files1, Exit1, "Exit1");
    Options1 = bar->addMenu(QString());
    Options1->setObjectName("Options1");
    add(Options1, Q3Path, "Q3Path");
    add(Options1, LinkTS21, "LinkTS21");
    add(Options1, LaunchGame1, "LaunchGame1");
    add(Options1, LaunchTS21, "LaunchTS21");
    add(Options1, TestServer1, "TestServer1");
    add(Options1, AddMod1, "AddMod1");
    add(Options1, FindServer1, "FindServer1");
    FindServer1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    Language1 = Options1->addMenu(QString());
    Language1->setObjectName("Language1");
    auto* languages = new QActionGroup(Language1);
    for (const LanguageEntry& entry : LanguageMenuEntries()) {
        QAction* action = Language1->addAction(Utf8(entry.name));
        action->setObjectName(QString("Language_%1").arg(QString::fromStdString(entry.code)));
        action->setData(QString::fromStdString(entry.code));
        action->setCheckable(true);
        languages->addAction(action);
        languageEntries_.push_back(action);
        connect(action, &QAction::triggered, this, [this, code = entry.code] {
            Guarded([this, &code] { steps_.LanguageClick(code); });
        });
    }
    About2 = bar->addAction(QString());
    About2->setObjectName("About2");
}

void TForm1::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(kStatusBarHeight);
    // The status bar keeps the desktop's own font.
    QFont systemFont = QApplication::font(bar);
    systemFont.setResolveMask(QFont::AllPropertiesResolved);
    bar->setFont(systemFont);
    for (int panel = 0; panel < 2; ++panel) {
        auto* label = new QLabel(bar);
        label->setObjectName(QString("StatusPanel%1").arg(panel));
        statusPanels_[panel] = label;
    }
    statusPanels_[0]->setFixedWidth(kStatusPanel0Width);
    bar->addWidget(statusPanels_[0]);
    bar->addWidget(statusPanels_[1], 1);
}

void TForm1::CreateProbe() {
    UDP = new TUDPEndpoint(this);
    UDP->setObjectName("UDP");
    probe_ = std::make_unique<MainWindowProbe<TUDPEndpoint>>(
        *UDP, steps_, [](std::string_view message) { ShowException(message); });

    Timer = new QTimer(this);
    Timer->setObjectName("Timer");
    Timer->setInterval(kProbeTimeoutMs);
    // A coarse timer may fire up to 5 % early.
    Timer->setTimerType(Qt::PreciseTimer);
    connect(Timer, &QTimer::timeout, this, [this] { Guarded([this] { steps_.TimerTimer(); }); });

    SecondFamilyTimer = new QTimer(this);
    SecondFamilyTimer->setObjectName("SecondFamilyTimer");
    SecondFamilyTimer->setInterval(kSecondFamilyDelayMs);
    SecondFamilyTimer->setSingleShot(true);
    SecondFamilyTimer->setTimerType(Qt::PreciseTimer);
    connect(SecondFamilyTimer, &QTimer::timeout, this,
            [this] { Guarded([this] { steps_.SecondFamilyTimerTimer(); }); });
}

void TForm1::SetTabOrder() {
    const std::vector<QWidget*> order = {
        edQ3Server,     edQ3Port,     edQ3Password, edTSServer,  edTSPort, edTSNick,
        edTSLogin,      edTSPassword, cbAutosave,   cbAutojoin,  cbExit,   groupItems_[0],
        groupItems_[1], btnLaunchQ3,  btnTest,      btnLaunchTS, btnExit,  cbMods};
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
    // The window opens with the first field of the tab order focused.
    edQ3Server->setFocus();
    for (QWidget* passive :
         std::initializer_list<QWidget*>{Image1, Label10, Label1, lblServerInfo}) {
        passive->setFocusPolicy(Qt::NoFocus);
    }
}

void TForm1::ConnectHandlers() {
    // Every handler runs inside the guard: whatever it raises is shown, and the program goes on.
    auto guarded = [this](void (MainWindowSteps::*handler)()) {
        return [this, handler] { Guarded([this, handler] { (steps_.*handler)(); }); };
    };
    connect(btnLaunchQ3, &QPushButton::clicked, this, guarded(&MainWindowSteps::btnLaunchQ3Click));
    connect(btnTest, &QPushButton::clicked, this, guarded(&MainWindowSteps::btnTestClick));
    connect(edQ3Server, &QLineEdit::editingFinished, this,
            guarded(&MainWindowSteps::edQ3ServerExit));
    connect(edTSServer, &QLineEdit::editingFinished, this,
            guarded(&MainWindowSteps::edTSServerExit));
    connect(btnLaunchTS, &QPushButton::clicked, this, guarded(&MainWindowSteps::btnLaunchTSClick));
    connect(btnExit, &QPushButton::clicked, this, guarded(&MainWindowSteps::btnExitClick));
    connect(Image1, &ClickableLabel::clicked, this, guarded(&MainWindowSteps::Image1Click));
    connect(Label10, &ClickableLabel::clicked, this, guarded(&MainWindowSteps::Label10Click));
    connect(cbMods, &CompletingComboBox::changed, this, guarded(&MainWindowSteps::cbModsChange));
    // A selection set from code runs GroupClick too; clearing it does not.
    connect(groupButtons_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        UpdateGroupTabStop();
        if (checked) {
            Guarded([this] { steps_.GroupClick(); });
        }
    });

    connect(Save1, &QAction::triggered, this, guarded(&MainWindowSteps::Save1Click));
    connect(Exit1, &QAction::triggered, this, guarded(&MainWindowSteps::btnExitClick));
    connect(Q3Path, &QAction::triggered, this, guarded(&MainWindowSteps::Q3PathClick));
    connect(LinkTS21, &QAction::triggered, this, guarded(&MainWindowSteps::LinkTS21Click));
    connect(LaunchGame1, &QAction::triggered, this, guarded(&MainWindowSteps::btnLaunchQ3Click));
    connect(LaunchTS21, &QAction::triggered, this, guarded(&MainWindowSteps::btnLaunchTSClick));
    // "Test server" in the menu does nothing; the button is the working path.
    connect(AddMod1, &QAction::triggered, this, guarded(&MainWindowSteps::AddMod1Click));
    connect(About2, &QAction::triggered, this, guarded(&MainWindowSteps::About2Click));
    connect(FindServer1, &QAction::triggered, this, guarded(&MainWindowSteps::FindServer1Click));
}

void TForm1::SetSecondaryWindows(QWidget* about, QWidget* addMod) {
    aboutWindow_ = about;
    addModWindow_ = addMod;
}

void TForm1::SetProgramRunner(ProgramRunner run) {
    steps_.SetProgramRunner(std::move(run));
}

QComboBox& TForm1::ModsComboBox() {
    return *cbMods;
}

QString TForm1::StatusPanelText(int panel) const {
    return statusPanels_[panel]->text();
}

void TForm1::FormCreate() {
    // The window shows before the settings are read, centred on its screen.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        move(CentredTopLeft(screen->availableGeometry(), size() + FrameExtra(*this)));
    }
    show();
    // Every edit, the mods box's too, shows its text from its beginning, even when reading the
    // settings raised.
    struct CursorsToStart {
        TForm1& window;
        ~CursorsToStart() {
            for (QLineEdit* edit : window.findChildren<QLineEdit*>()) {
                edit->setCursorPosition(0);
            }
        }
    } cursorsToStart{*this};
    steps_.FormCreate();
}

void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    QMainWindow::changeEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!probe_->FormCloseAllows()) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

// --- MainWindowView -----------------------------------------------------------------------

QLineEdit& TForm1::Edit(MainControl control) const {
    switch (control) {
        case MainControl::edQ3Server:
            return *edQ3Server;
        case MainControl::edQ3Port:
            return *edQ3Port;
        case MainControl::edQ3Password:
            return *edQ3Password;
        case MainControl::edTSServer:
            return *edTSServer;
        case MainControl::edTSPort:
            return *edTSPort;
        case MainControl::edTSNick:
            return *edTSNick;
        case MainControl::edTSLogin:
            return *edTSLogin;
        case MainControl::edTSPassword:
            return *edTSPassword;
        default:
            return *cbMods->lineEdit();
    }
}

QWidget& TForm1::Widget(MainControl control) const {
    switch (control) {
        case MainControl::cbMods:
            return *cbMods;
        case MainControl::cbAutosave:
            return *cbAutosave;
        case MainControl::cbAutojoin:
            return *cbAutojoin;
        case MainControl::cbExit:
            return *cbExit;
        case MainControl::btnLaunchQ3:
            return *btnLaunchQ3;
        case MainControl::btnLaunchTS:
            return *btnLaunchTS;
        default:
            return Edit(control);
    }
}

std::u16string TForm1::Text(MainControl control) const {
    const QString text =
        control == MainControl::cbMods ? cbMods->currentText() : Edit(control).text();
    return text.toStdU16String();
}

void TForm1::SetText(MainControl control, std::u16string_view text) {
    QLineEdit& edit = Edit(control);
    edit.setText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    // A long text shows from its beginning, not scrolled to its end.
    edit.setCursorPosition(0);
}

bool TForm1::Checked(MainControl control) const {
    const auto* box = qobject_cast<const QCheckBox*>(&Widget(control));
    return box && box->isChecked();
}

void TForm1::SetChecked(MainControl control, bool checked) {
    if (auto* box = qobject_cast<QCheckBox*>(&Widget(control))) {
        box->setChecked(checked);
    }
}

void TForm1::SetEnabled(MainControl control, bool enabled) {
    Widget(control).setEnabled(enabled);
}

void TForm1::UpdateGroupTabStop() {
    // Tab enters the game type at its selected item (the first when none is), arrows move on.
    const int stop = std::max(GameTypeIndex(), 0);
    for (int item = 0; item < 2; ++item) {
        groupItems_[item]->setFocusPolicy(item == stop ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

int TForm1::GameTypeIndex() const {
    return groupButtons_->checkedId();
}

void TForm1::SetGameTypeIndex(int index) {
    if (index == GameTypeIndex()) {
        return;
    }
    if (index < 0) {
        // Clearing an exclusive group needs the exclusivity lifted for a moment.
        groupButtons_->setExclusive(false);
        groupButtons_->checkedButton()->setChecked(false);
        groupButtons_->setExclusive(true);
        return;
    }
    groupItems_[index]->setChecked(true);
}

int TForm1::ModsIndex() const {
    return cbMods->currentIndex();
}

int TForm1::ModsCount() const {
    return cbMods->count();
}

void TForm1::SetModsIndex(int index) {
    if (index >= 0) {
        cbMods->setCurrentIndex(index);
    } else {
        cbMods->SelectKeepingText(-1);
    }
}

void TForm1::ShowModsList(const ModsList& mods) {
    kestrune::ShowModsList(*cbMods, mods);
}

void TForm1::MarkModsListUnread() {
    kestrune::MarkModsListUnread(*cbMods);
}

std::optional<ModsList> TForm1::ModsListToWrite() const {
    return kestrune::ModsListToWrite(*cbMods);
}

std::string TForm1::StoredModName() const {
    return kestrune::StoredModName(*cbMods, cbMods->currentText());
}

void TForm1::SetMessage(std::u16string_view text) {
    Label1->setText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
}

void TForm1::SetStatusPanel(int panel, std::u16string_view text) {
    statusPanels_[panel]->setText(
        QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
}

void TForm1::ShowServerInfo(const ServerDetailsLine& line, const std::string& hint) {
    const auto utf8 = [](const std::string& text) {
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    };
    const QFontMetrics metrics = lblServerInfo->fontMetrics();
    const int room = lblServerInfo->width();
    QString text = utf8(line.Text());
    if (metrics.horizontalAdvance(text) > room && !line.map.empty()) {
        const QString figures = utf8(ServerDetailsLine::kSeparator + line.figures);
        text = metrics.elidedText(utf8(line.map), Qt::ElideRight,
                                  std::max(room - metrics.horizontalAdvance(figures), 0)) +
               figures;
    }
    lblServerInfo->setText(metrics.elidedText(text, Qt::ElideRight, room));
    // A hint is read as rich text when it looks like some: the server's words stay plain.
    const QString plainHint = utf8(hint);
    SetHint(*lblServerInfo, plainHint.isEmpty()
                                ? QString()
                                : Qt::convertFromPlainText(plainHint, Qt::WhiteSpaceNormal));
}

bool TForm1::ProbeTimerActive() const {
    return Timer->isActive();
}

void TForm1::StartProbeTimer() {
    Timer->start();
}

void TForm1::StopProbeTimer() {
    Timer->stop();
}

void TForm1::StartSecondFamilyTimer() {
    SecondFamilyTimer->start();
}

void TForm1::StopSecondFamilyTimer() {
    SecondFamilyTimer->stop();
}

bool TForm1::SendStatusQuery(const std::string& host, std::int32_t port) {
    return probe_->SendStatusQuery(host, port);
}

std::string TForm1::BrowseForExecutable(std::span<const FileFilter> filters) {
    const auto utf8 = [](std::string_view text) {
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    };
    // Qt's form of a filter: "name (pattern pattern ...)".
    QStringList dialogFilters;
    for (const FileFilter& filter : filters) {
        dialogFilters.push_back(utf8(Tr(filter.name)) + " (" + utf8(filter.patterns) + ")");
    }
    return QFile::encodeName(Open.BrowseForExecutable(dialogFilters)).toStdString();
}

void TForm1::ShowAboutWindow() {
    if (aboutWindow_) {
        BringForward(*aboutWindow_);
    }
}

void TForm1::ShowAddModWindow() {
    if (addModWindow_) {
        BringForward(*addModWindow_);
    }
}

void TForm1::ShowServerListWindow() {
    if (!serverListWindow_) {
        serverListWindow_ = new ServerListWindow(
            *this, steps_.SettingsPath(),
            [this](const ServerRow& row) {
                steps_.ServerChosen({row.address.Host(), row.address.port, row.game,
                                     row.needsPassword});
            },
            [this] {
                return GameTypeIndex() == 1 ? cbMods->currentText().toStdString() : std::string();
            });
    }
    BringForward(*serverListWindow_);
}

void TForm1::OpenWebSite(std::string_view url) {
    kestrune::OpenWebSite(url);
}

void TForm1::CloseWindow() {
    close();
}

// Every window hears of it as of a new translator, and shows its texts again.
void TForm1::RetranslateWindows() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(window, &change);
    }
}

}  // namespace kestrune
