#pragma once

#include <cstdint>
#include <optional>
#include <functional>
#include <utility>
#include <span>
#include <string>
#include <string_view>

#include "launcher/launcher_settings.h"
#include "launcher/program_launching.h"
#include "launcher/server_probe.h"
#include "launcher/settings_store.h"
#include "launcher/stored_text.h"
#include "i18n/translate.h"
#include "ui_logic/main_window_view.h"

namespace kestrune {

// The captions of the game type's two items, in English (shown through Tr).
inline constexpr const char* kGameTypeCaptions[2] = {N_("Quake III"), N_("Q3 Mods")};

// The message line's texts, in English (shown through Tr).
inline constexpr const char* kProgramReady = N_("Program ready");
inline constexpr const char* kWaitingForServer = N_("Waiting for server");
inline constexpr const char* kServerOnline = N_("Server is online");
inline constexpr const char* kServerTimeOut = N_("Server time out");
inline constexpr const char* kPathNotFound = N_("The specified path was not found.");
// All of them, for a front-end that lays out what shares the message line's row.
inline constexpr const char* kMessageLineTexts[] = {
    kProgramReady, kWaitingForServer, kServerOnline, kServerTimeOut, kPathNotFound};

// The status panel's word when the chosen server needs a password and none is typed, in English
// (shown through Tr).
inline constexpr const char* kServerNeedsPassword = N_("Server needs a password");

// A server chosen in the server list window.
struct ChosenServer {
    std::string host;  // an address as text
    std::uint16_t port = 0;
    std::string game;  // its mod, empty for the plain game
    bool needsPassword = false;
};
// A program text in UTF-8 as the controls hold it.
std::u16string ShownUtf8(std::string_view utf8);

// What the main window does, whatever draws it: the settings copied into the controls and back,
// and each handler's steps. A front-end builds its controls, implements MainWindowView and calls
// the handler of each control, each inside its exception guard. Owns the working copy of the
// settings the controls do not hold.
class MainWindowSteps {
public:
    // The settings are kept in settingsPath, the mods list in modsListPath.
    MainWindowSteps(MainWindowView& view, std::string settingsPath,
                    std::string modsListPath = kModsListFileName);

    // Replaces how the launch handlers start programs (tests); RunProgram until then.
    void SetProgramRunner(ProgramRunner run);

    // Handlers. FormCreate runs once the window shows; FormClose when it is asked to close
    // (a failed save raises, and the window stays open).
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
    void FindServer1Click();
    // Fills the server, port, game type and mod from the server list's choice.
    void ServerChosen(const ChosenServer& server);
    void Image1Click();
    void Label10Click();
    // A server field loses the focus: a port typed after the host ("[::1]:27961",
    // "host:27961") moves into the port field.
    void edQ3ServerExit();
    void edTSServerExit();
    // The Language menu: code is a LanguageMenuEntries() entry's, empty for the system's.
    void LanguageClick(const std::string& code);
    void btnTestClick();
    // The status query left for address and port at sentAt; otherFamily is the queried host's
    // first address of the other family, if it has one.
    void UDPDataSent(const IpAddress& address, std::int32_t port,
                     ProbeQuery::Clock::time_point sentAt,
                     const std::optional<IpAddress>& otherFamily);
    // kSecondFamilyDelayMs after a query to a host of both families: without an answer yet, the
    // query goes to the other family's address too.
    void SecondFamilyTimerTimer();
    // A datagram from fromIP:port, read at receivedAt; cutShort when the system gave only its
    // beginning.
    void UDPDataReceived(std::string_view datagram, bool cutShort, const std::string& fromIP,
                         std::int32_t port, ProbeQuery::Clock::time_point receivedAt);
    // A datagram sent to toIP:port found nothing listening there.
    void UDPPortUnreachable(const std::string& toIP, std::int32_t port);
    void TimerTimer();

    LauncherSettings SettingsFromControls() const;
    const std::string& SettingsPath() const { return settingsPath_; }
    // The Language menu's entry in force: the stored choice, empty for the system's.
    const std::string& LanguageChoice() const { return languageChoice_; }

    // The language has changed: the message line, the status panels and the server's details
    // show their texts again in it (what the system or the player wrote stays as it is).
    void Retranslate();

private:
    // Each shows its text and keeps how to make it, for Retranslate.
    void ShowMessage(const char* english);
    void ShowStatusPanel(int panel, std::function<std::u16string()> text);
    void ShowDetails(std::function<std::pair<ServerDetailsLine, std::string>()> details);

    // A null mods list could not be read: the box keeps its entries and selects none of them.
    void CopySettingsToControls(const LauncherSettings& settings, const ModsList* mods);
    std::string StoredBytesOf(MainControl edit, const std::string& stored) const;
    // Lets the user pick the executable for a launch button and enables the button for it.
    void BrowseForPath(std::span<const FileFilter> filters, std::string& path,
                       MainControl launchButton);
    void RememberRecentServer();
    void MovePortOutOfServerField(MainControl server, MainControl port);

    MainWindowView& view_;
    const std::string settingsPath_;
    const std::string modsListPath_;
    // The settings as read at start-up: what the player does not edit is stored as it was,
    // and what the player edits is written in the file's own encoding.
    LauncherSettings stored_;
    TextEncoding settingsEncoding_ = TextEncoding::Utf8;
    bool modsListRead_ = true;
    std::string FQ3Executable;
    std::string FTSExecutable;
    ProgramRunner runProgram_ = RunProgram;
    ProbeQuery probeQuery_;
    // The latest probe's address of the other family, while its query waits to be sent.
    std::optional<IpAddress> secondFamilyAddress_;
    std::int32_t secondFamilyPort_ = 0;
    bool sendingSecondFamilyQuery_ = false;
    std::string languageChoice_;
    const char* message_ = nullptr;
    std::function<std::u16string()> panels_[2];
    std::function<std::pair<ServerDetailsLine, std::string>()> details_;
};

}  // namespace kestrune
