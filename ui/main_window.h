#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "launcher/launcher_settings.h"
#include "launcher/program_launching.h"
#include "launcher/server_details.h"
#include "ui/executable_browser.h"
#include "ui_logic/main_window_probe.h"
#include "ui_logic/main_window_steps.h"
#include "ui_logic/main_window_view.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;

namespace kestrune {

class ClickableLabel;
class CompletingComboBox;
class ServerListWindow;
class TUDPEndpoint;

// The launcher's main window: the game and voice server fields, the game type and mod, the
// switches, the launch and test buttons, the menu, the message line and the status bar. What its
// handlers do is MainWindowSteps's; the window is that logic's Qt view.
class TForm1 : public QMainWindow, private MainWindowView {
    Q_OBJECT

public:
    // Builds every control, shows the window and loads the settings from settingsPath and the
    // mods list from modsListPath.
    explicit TForm1(std::string settingsPath, std::string modsListPath = kModsListFileName,
                    QWidget* parent = nullptr);
    ~TForm1() override;

    // The About and Add-mod windows, shown from the menu. Not owned.
    void SetSecondaryWindows(QWidget* about, QWidget* addMod);
    // Replaces how the launch handlers start programs (tests); RunProgram until then.
    void SetProgramRunner(ProgramRunner run);
    // The mods list, which the Add-mod window appends to.
    QComboBox& ModsComboBox();
    // Status bar panel 0 (the game) or 1 (the voice client and the mod).
    QString StatusPanelText(int panel) const;

signals:
    // The window has closed for good; the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateControls();
    void CreateMenu();
    void CreateStatusBar();
    void CreateProbe();
    void Retranslate();
    void LayOut();
    void SetTabOrder();
    void ConnectHandlers();

    QLineEdit& Edit(MainControl control) const;
    QWidget& Widget(MainControl control) const;
    void UpdateGroupTabStop();
    // Runs FormCreate: the window shows centred on its screen before the settings are read.
    void FormCreate();

    // MainWindowView
    std::u16string Text(MainControl control) const override;
    void SetText(MainControl control, std::u16string_view text) override;
    bool Checked(MainControl control) const override;
    void SetChecked(MainControl control, bool checked) override;
    void SetEnabled(MainControl control, bool enabled) override;
    int GameTypeIndex() const override;
    void SetGameTypeIndex(int index) override;
    int ModsIndex() const override;
    int ModsCount() const override;
    void SetModsIndex(int index) override;
    void ShowModsList(const ModsList& mods) override;
    void MarkModsListUnread() override;
    std::optional<ModsList> ModsListToWrite() const override;
    std::string StoredModName() const override;
    void SetMessage(std::u16string_view text) override;
    void SetStatusPanel(int panel, std::u16string_view text) override;
    // The details are cut to the row's room, the map first.
    void ShowServerInfo(const ServerDetailsLine& line, const std::string& hint) override;
    bool ProbeTimerActive() const override;
    void StartProbeTimer() override;
    void StopProbeTimer() override;
    void StartSecondFamilyTimer() override;
    void StopSecondFamilyTimer() override;
    bool SendStatusQuery(const std::string& host, std::int32_t port) override;
    std::string BrowseForExecutable(std::span<const FileFilter> filters) override;
    void ShowAboutWindow() override;
    void ShowAddModWindow() override;
    void ShowServerListWindow() override;
    void OpenWebSite(std::string_view url) override;
    void CloseWindow() override;
    void RetranslateWindows() override;

    MainWindowSteps steps_;
    QPointer<QWidget> aboutWindow_;
    QPointer<QWidget> addModWindow_;
    // Made when first asked for, so that the program starts without it.
    QPointer<ServerListWindow> serverListWindow_;
    ExecutableBrowser Open{this};

    QLabel* blMods = nullptr;
    CompletingComboBox* cbMods = nullptr;
    QGroupBox* Group = nullptr;
    QButtonGroup* groupButtons_ = nullptr;
    QRadioButton* groupItems_[2] = {nullptr, nullptr};
    QCheckBox* cbAutosave = nullptr;
    QCheckBox* cbAutojoin = nullptr;
    QCheckBox* cbExit = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* edQ3Server = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* edQ3Port = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* edQ3Password = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* edTSServer = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* edTSPort = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* edTSNick = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* edTSLogin = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* edTSPassword = nullptr;
    QPushButton* btnLaunchQ3 = nullptr;
    QPushButton* btnTest = nullptr;
    QPushButton* btnLaunchTS = nullptr;
    QPushButton* btnExit = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblServerInfo = nullptr;
    ClickableLabel* Image1 = nullptr;
    ClickableLabel* Label10 = nullptr;
    QLabel* statusPanels_[2] = {nullptr, nullptr};

    QMenu* Files1 = nullptr;
    QMenu* Options1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* Q3Path = nullptr;
    QAction* LinkTS21 = nullptr;
    QAction* LaunchGame1 = nullptr;
    QAction* LaunchTS21 = nullptr;
    QAction* TestServer1 = nullptr;
    QAction* AddMod1 = nullptr;
    QAction* FindServer1 = nullptr;
    QMenu* Language1 = nullptr;
    // The Language menu's entries, "System default" first; each action's data is its code.
    std::vector<QAction*> languageEntries_;
    QAction* About2 = nullptr;

    TUDPEndpoint* UDP = nullptr;
    std::unique_ptr<MainWindowProbe<TUDPEndpoint>> probe_;
    QTimer* Timer = nullptr;
    QTimer* SecondFamilyTimer = nullptr;
};

}  // namespace kestrune
