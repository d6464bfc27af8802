#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <string>

#include "launcher/launcher_settings.h"
#include "launcher/program_launching.h"
#include "launcher/server_details.h"
#include "launcher/server_probe.h"
#include "launcher/stored_text.h"
#include "ui/executable_browser.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace kestrune {

class ClickableLabel;
class CompletingComboBox;
class TUDPEndpoint;

// The launcher's main window: the game and voice server fields, the game type and mod, the
// switches, the launch and test buttons, the menu, the message line and the status bar. It owns
// the working copy of every setting and fills a LauncherSettings record from it when needed.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // Builds every control, shows the window and loads the settings from settingsPath (and
    // "mods.kst" from the current directory).
    explicit TForm1(std::string settingsPath, QWidget* parent = nullptr);
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

private:
    void CreateControls();
    void CreateMenu();
    void CreateStatusBar();
    void CreateProbe();
    void SetTabOrder();
    void ConnectHandlers();

    LauncherSettings SettingsFromControls() const;
    // A null mods list could not be read: the box keeps its entries and selects none of them.
    void CopySettingsToControls(const LauncherSettings& settings, const ModsList* mods);
    int GameTypeIndex() const;
    void SetGameTypeIndex(int index);
    void UpdateGroupTabStop();
    void SetStatusPanel(int panel, const QString& text);
    // The server's details beside the message line, the map cut first when they do not fit;
    // empty details clear them.
    void ShowServerInfo(const ServerDetailsLine& line, const std::string& hint);
    // Lets the user pick the executable for a launch button and enables the button for it.
    void BrowseForPath(const QString& fileName, const QString& linuxNamesFilter, std::string& path,
                       QPushButton& launchButton);

    // Handlers
    void FormCreate();
    void FormClose();
    void btnExitClick();
    void Save1Click();
    void btnLaunchQ3Click();
    void btnLaunchTSClick();
    void Q3PathClick();
    void LinkTS21Click();
    void GroupClick();
    void cbModsChange();
    void AddMod1Click();
    void About2Click();
    void Image1Click();
    void Label10Click();
    void btnTestClick();
    void UDPDataReceived(TUDPEndpoint& sender, std::int32_t numberBytes, const std::string& fromIP,
                         std::int32_t port);
    void TimerTimer();

    const std::string settingsPath_;
    // The settings as read at start-up: what the player does not edit is stored as it was,
    // and what the player edits is written in the file's own encoding.
    LauncherSettings stored_;
    TextEncoding settingsEncoding_ = TextEncoding::Utf8;
    bool modsListRead_ = true;
    std::string FQ3Executable;
    std::string FTSExecutable;
    ProgramRunner runProgram_ = RunProgram;
    QPointer<QWidget> aboutWindow_;
    QPointer<QWidget> addModWindow_;
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

    QAction* Save1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* Q3Path = nullptr;
    QAction* LinkTS21 = nullptr;
    QAction* LaunchGame1 = nullptr;
    QAction* LaunchTS21 = nullptr;
    QAction* TestServer1 = nullptr;
    QAction* AddMod1 = nullptr;
    QAction* About2 = nullptr;

    TUDPEndpoint* UDP = nullptr;
    QTimer* Timer = nullptr;
    // Set when closing the window ended the wait of a "Test server".
    bool lookupAbandoned_ = false;
    ProbeQuery probeQuery_;
};

}  // namespace kestrune
