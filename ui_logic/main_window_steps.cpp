#include "ui_logic/main_window_steps.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "launcher/integer_conversion.h"
#include "launcher/server_address.h"
#include "launcher/server_details.h"
#include "launcher/server_status.h"
#include "launcher/settings_store.h"
#include "platform/exception.h"
#include "server_list/server_list_settings.h"
#include "platform/ip_address.h"
#include "platform/ui_languages.h"
#include "i18n/language.h"
#include "ui_logic/language_choice.h"
#include "ui_logic/web_site_addresses.h"

namespace kestrune {

namespace {

// The path dialogs list the file that is started first. A Linux desktop rarely has the
// Windows names, so the game's Linux names follow there; the voice clients' names follow on
// both systems, since the one chosen tells which client it is.
#ifdef _WIN32
constexpr FileFilter kGameFilters[] = {{"quake3.exe", "quake3.exe"}};
#else
constexpr FileFilter kGameFilters[] = {
    {"quake3.exe", "quake3.exe"},
    {N_("Linux game"), "ioquake3.* ioquake3 quake3"},
    {N_("All files"), "*"},
};
#endif
constexpr FileFilter kVoiceClientFilters[] = {
    {"Teamspeak.exe", "Teamspeak.exe"},
    {"TeamSpeak 2", "TeamSpeak TeamSpeak.exe"},
    {"Mumble", "mumble mumble.exe"},
    {"TeamSpeak 3", "ts3client*"},
    {N_("All files"), "*"},
};

std::string_view VoiceClientStartedText(VoiceClient client) {
    switch (client) {
        case VoiceClient::Mumble:
            return Tr("Mumble started");
        case VoiceClient::TeamSpeak3:
            return Tr("TeamSpeak 3 started");
        case VoiceClient::TeamSpeak2:
            break;
    }
    return Tr("TeamSpeak started");
}

// A text the system or the player wrote: the same in every language.
std::function<std::u16string()> Unchanging(std::u16string text) {
    return [text = std::move(text)] { return text; };
}

}  // namespace

std::u16string ShownUtf8(std::string_view utf8) {
    return DecodeStoredText(utf8);
}

MainWindowSteps::MainWindowSteps(MainWindowView& view, std::string settingsPath,
                                 std::string modsListPath)
    : view_(view),
      settingsPath_(std::move(settingsPath)),
      modsListPath_(std::move(modsListPath)),
      languageChoice_(LoadLanguageChoice(settingsPath_)) {}

void MainWindowSteps::SetProgramRunner(ProgramRunner run) {
    runProgram_ = std::move(run);
}

std::string MainWindowSteps::StoredBytesOf(MainControl edit, const std::string& stored) const {
    return StoredBytesFor(view_.Text(edit), stored, settingsEncoding_);
}

LauncherSettings MainWindowSteps::SettingsFromControls() const {
    LauncherSettings settings;
    settings.Autosave = view_.Checked(MainControl::cbAutosave);
    settings.ExitOnLaunch = view_.Checked(MainControl::cbExit);
    // The index of a list that was not read keeps pointing where it did.
    settings.Mods = modsListRead_ ? view_.ModsIndex() : stored_.Mods;
    settings.TSExecutable = FTSExecutable;
    settings.TSServer = StoredBytesOf(MainControl::edTSServer, stored_.TSServer);
    settings.TSPort = StoredBytesOf(MainControl::edTSPort, stored_.TSPort);
    settings.TSNick = StoredBytesOf(MainControl::edTSNick, stored_.TSNick);
    settings.TSLogin = StoredBytesOf(MainControl::edTSLogin, stored_.TSLogin);
    settings.TSPassword = StoredBytesOf(MainControl::edTSPassword, stored_.TSPassword);
    settings.Autojoin = view_.Checked(MainControl::cbAutojoin);
    settings.Q3Executable = FQ3Executable;
    settings.Q3Server = StoredBytesOf(MainControl::edQ3Server, stored_.Q3Server);
    settings.Q3Port = StoredBytesOf(MainControl::edQ3Port, stored_.Q3Port);
    settings.Q3Password = StoredBytesOf(MainControl::edQ3Password, stored_.Q3Password);
    settings.Q3Game = view_.GameTypeIndex();
    return settings;
}

void MainWindowSteps::CopySettingsToControls(const LauncherSettings& settings,
                                             const ModsList* mods) {
    if (mods) {
        view_.ShowModsList(*mods);
    } else {
        view_.MarkModsListUnread();
    }
    view_.SetChecked(MainControl::cbAutosave, settings.Autosave);
    view_.SetChecked(MainControl::cbExit, settings.ExitOnLaunch);
    if (mods && settings.Mods != view_.ModsIndex()) {
        // An index outside the list selects nothing, and the box keeps its text.
        const bool inList = settings.Mods >= 0 && settings.Mods < view_.ModsCount();
        view_.SetModsIndex(inList ? settings.Mods : -1);
    }
    FTSExecutable = settings.TSExecutable;
    if (!FTSExecutable.empty()) {
        view_.SetEnabled(MainControl::btnLaunchTS, true);
    }
    view_.SetText(MainControl::edTSServer, DecodeStoredText(settings.TSServer));
    view_.SetText(MainControl::edTSPort, DecodeStoredText(settings.TSPort));
    view_.SetText(MainControl::edTSNick, DecodeStoredText(settings.TSNick));
    view_.SetText(MainControl::edTSLogin, DecodeStoredText(settings.TSLogin));
    view_.SetText(MainControl::edTSPassword, DecodeStoredText(settings.TSPassword));
    view_.SetChecked(MainControl::cbAutojoin, settings.Autojoin);
    FQ3Executable = settings.Q3Executable;
    if (!FQ3Executable.empty()) {
        view_.SetEnabled(MainControl::btnLaunchQ3, true);
    }
    view_.SetText(MainControl::edQ3Server, DecodeStoredText(settings.Q3Server));
    view_.SetText(MainControl::edQ3Port, DecodeStoredText(settings.Q3Port));
    view_.SetText(MainControl::edQ3Password, DecodeStoredText(settings.Q3Password));
    const int gameType = std::clamp(settings.Q3Game, -1, 1);
    if (gameType != view_.GameTypeIndex()) {
        view_.SetGameTypeIndex(gameType);
    }
}

// --- Handlers -----------------------------------------------------------------------------

void MainWindowSteps::FormCreate() {
    LauncherSettings settings;
    ModsList mods;
    // An unreadable mods list still lets the settings load; its message comes once the window
    // is filled and ready.
    std::optional<FileOpenError> modsListError;
    try {
        LoadSettings(settings, mods, settingsPath_, settingsEncoding_, modsListPath_);
    } catch (const FileOpenError& error) {
        modsListError = error;
    }
    stored_ = settings;
    modsListRead_ = !modsListError;
    CopySettingsToControls(settings, modsListRead_ ? &mods : nullptr);
    ShowMessage(kProgramReady);
    ShowStatusPanel(0, Unchanging(DecodeStoredText(kPartnerHost)));
    ShowStatusPanel(1, [] { return ShownUtf8(Tr("Ready")); });
    if (modsListError) {
        throw *modsListError;
    }
}

void MainWindowSteps::FormClose() {
    if (view_.Checked(MainControl::cbAutosave)) {
        Save1Click();
    }
}

void MainWindowSteps::btnExitClick() {
    view_.CloseWindow();
}

// A mods list that could not be read is left as it is; the settings are written all the same.
void MainWindowSteps::Save1Click() {
    if (const std::optional<ModsList> mods = view_.ModsListToWrite()) {
        SaveSettings(SettingsFromControls(), *mods, settingsPath_, modsListPath_);
    } else {
        SaveSettingsFile(SettingsFromControls(), settingsPath_);
    }
}

void MainWindowSteps::btnLaunchQ3Click() {
    if (view_.Checked(MainControl::cbAutojoin)) {
        btnLaunchTSClick();
    }
    const LaunchResult result =
        LaunchGame(SettingsFromControls(), view_.StoredModName(), runProgram_);
    if (result.empty()) {
        RememberRecentServer();
        // With no game type selected the plain game was started.
        const int gameType = std::max(view_.GameTypeIndex(), 0);
        // One whole sentence a game type, so that each language can agree its words.
        static constexpr const char* kStarted[2] = {N_("Quake III started"),
                                                    N_("Q3 Mods started")};
        ShowStatusPanel(0, [gameType] { return ShownUtf8(Tr(kStarted[gameType])); });
    } else {
        ShowStatusPanel(0, Unchanging(DecodeStoredText(result)));
    }
    if (view_.Checked(MainControl::cbExit)) {
        view_.CloseWindow();
    }
}

void MainWindowSteps::btnLaunchTSClick() {
    const LauncherSettings settings = SettingsFromControls();
    const VoiceClient client = VoiceClientToStart(settings);
    const LaunchResult result = LaunchTeamSpeak(settings, client, runProgram_);
    if (result.empty()) {
        ShowStatusPanel(1, [client] { return ShownUtf8(VoiceClientStartedText(client)); });
    } else {
        ShowStatusPanel(1, Unchanging(DecodeStoredText(result)));
    }
}

void MainWindowSteps::Q3PathClick() {
    BrowseForPath(kGameFilters, FQ3Executable, MainControl::btnLaunchQ3);
}

void MainWindowSteps::LinkTS21Click() {
    BrowseForPath(kVoiceClientFilters, FTSExecutable, MainControl::btnLaunchTS);
}

// A cancelled dialog stores its "0" as the path all the same. A chosen path is stored like a
// typed text, in the settings file's encoding where it fits.
void MainWindowSteps::BrowseForPath(std::span<const FileFilter> filters, std::string& path,
                                    MainControl launchButton) {
    path = StoredSystemText(view_.BrowseForExecutable(filters), settingsEncoding_);
    if (path != "0") {
        view_.SetEnabled(launchButton, true);
    } else {
        ShowMessage(kPathNotFound);
        view_.SetEnabled(launchButton, false);
    }
}

void MainWindowSteps::GroupClick() {
    view_.SetEnabled(MainControl::cbMods, view_.GameTypeIndex() != 0);
}

void MainWindowSteps::cbModsChange() {
    ShowStatusPanel(1, Unchanging(view_.Text(MainControl::cbMods)));
}

void MainWindowSteps::AddMod1Click() {
    view_.ShowAddModWindow();
}

void MainWindowSteps::About2Click() {
    view_.ShowAboutWindow();
}

void MainWindowSteps::FindServer1Click() {
    view_.ShowServerListWindow();
}

// The plain game for a server without a mod; otherwise "Q3 Mods" and the mod in the box, its
// entry selected where the list has one, the list itself unchanged. The password stays.
void MainWindowSteps::ServerChosen(const ChosenServer& server) {
    view_.SetText(MainControl::edQ3Server, DecodeStoredText(server.host));
    view_.SetText(MainControl::edQ3Port, DecodeStoredText(std::to_string(server.port)));
    if (server.game.empty()) {
        view_.SetGameTypeIndex(0);
    } else {
        view_.SetGameTypeIndex(1);
        const std::u16string mod = DecodeStoredText(server.game);
        int entry = -1;
        if (const std::optional<ModsList> mods = view_.ModsListToWrite()) {
            for (std::size_t i = 0; i < mods->size() && entry < 0; ++i) {
                if (DecodeStoredText((*mods)[i]) == mod) {
                    entry = static_cast<int>(i);
                }
            }
        }
        view_.SetModsIndex(entry);
        if (entry < 0) {
            view_.SetText(MainControl::cbMods, mod);
        }
    }
    if (server.needsPassword && view_.Text(MainControl::edQ3Password).empty()) {
        ShowStatusPanel(1, [] { return ShownUtf8(Tr(kServerNeedsPassword)); });
    } else {
        ShowStatusPanel(1, Unchanging(view_.Text(MainControl::cbMods)));
    }
}

// The server the game was started at heads the recent servers. Not being able to write them is
// no reason to stop a game that has started.
void MainWindowSteps::RememberRecentServer() {
    const LauncherSettings settings = SettingsFromControls();
    const auto server = ParseKeptServer(settings.Q3Server);
    if (!server) {
        return;
    }
    // No port is the game's own; a port that is none leaves the game where it cannot be found.
    const std::optional<int> port =
        settings.Q3Port.empty() ? std::optional<int>(kDefaultServerPort) : ParseInteger(settings.Q3Port);
    if (!port || *port <= 0 || *port > 65535) {
        return;
    }
    KeptServer recent = *server;
    recent.port = static_cast<std::uint16_t>(*port);
    (void)ServerListSettings(settingsPath_).AddRecent(recent);
}

void MainWindowSteps::Image1Click() {
    view_.OpenWebSite(kPartnerUrl);
}

void MainWindowSteps::Label10Click() {
    view_.OpenWebSite(kMakerUrl);
}

// The choice is stored at once, whatever "AutoSave" says, and the windows change with it.
void MainWindowSteps::LanguageClick(const std::string& code) {
    SaveLanguageChoice(code, settingsPath_);
    languageChoice_ = code;
    SetLanguage(ChosenLanguage(code, PreferredUiLanguages()));
    view_.RetranslateWindows();
}

// --- The server probe ---------------------------------------------------------------------

void MainWindowSteps::MovePortOutOfServerField(MainControl server, MainControl port) {
    const ServerField field = SplitServerField(StoredBytesOf(server, {}));
    if (field.port.empty()) {
        return;
    }
    view_.SetText(server, DecodeStoredText(field.host));
    view_.SetText(port, DecodeStoredText(field.port));
}

void MainWindowSteps::edQ3ServerExit() {
    MovePortOutOfServerField(MainControl::edQ3Server, MainControl::edQ3Port);
}

void MainWindowSteps::edTSServerExit() {
    MovePortOutOfServerField(MainControl::edTSServer, MainControl::edTSPort);
}

void MainWindowSteps::btnTestClick() {
    // The menu entry runs this with the focus still in the field.
    edQ3ServerExit();
    const LauncherSettings settings = SettingsFromControls();
    const ServerField server = SplitServerField(settings.Q3Server);
    view_.StopSecondFamilyTimer();
    secondFamilyAddress_.reset();
    if (!view_.SendStatusQuery(server.host, ToInteger(settings.Q3Port))) {
        return;
    }
    // A second test while waiting keeps the first deadline.
    if (!view_.ProbeTimerActive()) {
        view_.StartProbeTimer();
    }
    ShowMessage(kWaitingForServer);
    ShowDetails(nullptr);
}

void MainWindowSteps::UDPDataSent(const IpAddress& address, std::int32_t port,
                                  ProbeQuery::Clock::time_point sentAt,
                                  const std::optional<IpAddress>& otherFamily) {
    if (sendingSecondFamilyQuery_) {
        probeQuery_.AlsoSent(address, port, sentAt);
        return;
    }
    probeQuery_.Sent(address, port, sentAt);
    secondFamilyAddress_ = otherFamily;
    secondFamilyPort_ = port;
    if (otherFamily) {
        view_.StartSecondFamilyTimer();
    }
}

void MainWindowSteps::SecondFamilyTimerTimer() {
    view_.StopSecondFamilyTimer();
    const std::optional<IpAddress> address = std::exchange(secondFamilyAddress_, std::nullopt);
    if (!address || probeQuery_.Answered() || !view_.ProbeTimerActive()) {
        return;
    }
    // An address needs no lookup: the query leaves at once.
    sendingSecondFamilyQuery_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{sendingSecondFamilyQuery_};
    view_.SendStatusQuery(FormatIpAddress(*address), secondFamilyPort_);
}

// Only the queried server's first answer counts: a datagram from anywhere else is ignored and
// the timer runs on. An empty one, or one beginning with a zero byte, is no answer either.
void MainWindowSteps::UDPDataReceived(std::string_view datagram, bool cutShort,
                                      const std::string& fromIP, std::int32_t port,
                                      ProbeQuery::Clock::time_point receivedAt) {
    if (datagram.empty() || datagram.front() == '\0') {
        return;
    }
    const auto roundTrip = probeQuery_.Answer(fromIP, port, receivedAt);
    if (!roundTrip) {
        return;
    }
    view_.StopSecondFamilyTimer();
    ShowMessage(kServerOnline);
    view_.StopProbeTimer();
    const std::optional<IpAddress> from = ParseIpAddress(fromIP);
    ShowDetails([status = ParseStatusResponse(datagram, cutShort), roundTrip = *roundTrip,
                 answeredFrom = from ? FormatIpEndpoint(*from, static_cast<std::uint16_t>(port))
                                     : fromIP] {
        return std::pair(MakeServerDetailsLine(status, roundTrip),
                         ServerDetailsHint(status, answeredFrom));
    });
}

// Told at once, shown only with the time-out: the probe's own steps stay as they are.
void MainWindowSteps::UDPPortUnreachable(const std::string& toIP, std::int32_t port) {
    probeQuery_.PortUnreachable(toIP, port);
}

void MainWindowSteps::TimerTimer() {
    ShowMessage(kServerTimeOut);
    view_.StopProbeTimer();
    view_.StopSecondFamilyTimer();
    if (const std::optional<std::uint16_t> closedPort = probeQuery_.ClosedPort()) {
        ShowDetails([port = *closedPort] {
            return std::pair(NoGameServerLine(port), std::string());
        });
    } else {
        ShowDetails(nullptr);
    }
}

// --- The language -------------------------------------------------------------------------

void MainWindowSteps::ShowMessage(const char* english) {
    message_ = english;
    view_.SetMessage(ShownUtf8(Tr(english)));
}

void MainWindowSteps::ShowStatusPanel(int panel, std::function<std::u16string()> text) {
    panels_[panel] = std::move(text);
    view_.SetStatusPanel(panel, panels_[panel]());
}

void MainWindowSteps::ShowDetails(
    std::function<std::pair<ServerDetailsLine, std::string>()> details) {
    details_ = std::move(details);
    if (details_) {
        const auto [line, hint] = details_();
        view_.ShowServerInfo(line, hint);
    } else {
        view_.ShowServerInfo({}, {});
    }
}

void MainWindowSteps::Retranslate() {
    if (message_) {
        ShowMessage(message_);
    }
    for (int panel = 0; panel < 2; ++panel) {
        if (panels_[panel]) {
            view_.SetStatusPanel(panel, panels_[panel]());
        }
    }
    if (details_) {
        ShowDetails(details_);
    }
}

}  // namespace kestrune
