#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "launcher/launcher_settings.h"
#include "launcher/server_details.h"

namespace kestrune {

// The main window's controls that its steps read or change.
enum class MainControl {
    edQ3Server,
    edQ3Port,
    edQ3Password,
    edTSServer,
    edTSPort,
    edTSNick,
    edTSLogin,
    edTSPassword,
    cbMods,  // its text is the edit part's
    cbAutosave,
    cbAutojoin,
    cbExit,
    btnLaunchQ3,
    btnLaunchTS,
};

// An entry of a file dialog's list of filters: the name it is listed under and the file name
// patterns it lists, separated by blanks.
struct FileFilter {
    std::string_view name;
    std::string_view patterns;
};

// What a front-end's main window offers to the steps in MainWindowSteps. Texts are UTF-16, as
// both Qt and Win32 controls hold them.
class MainWindowView {
public:
    virtual ~MainWindowView() = default;

    virtual std::u16string Text(MainControl control) const = 0;
    // Sets an edit's text, shown from its beginning.
    virtual void SetText(MainControl control, std::u16string_view text) = 0;
    virtual bool Checked(MainControl control) const = 0;
    virtual void SetChecked(MainControl control, bool checked) = 0;
    virtual void SetEnabled(MainControl control, bool enabled) = 0;

    // The game type's selected item, -1 for none. Setting it runs the group's click handler
    // (MainWindowSteps::GroupClick) when an item becomes selected, as a click would.
    virtual int GameTypeIndex() const = 0;
    virtual void SetGameTypeIndex(int index) = 0;

    // The mods box. Each entry read from the file keeps the bytes it was read as.
    virtual int ModsIndex() const = 0;
    virtual int ModsCount() const = 0;
    // Selects an entry; -1 selects none and keeps the edit part's text.
    virtual void SetModsIndex(int index) = 0;
    // Replaces the entries; nothing is selected and the edit part keeps its text.
    virtual void ShowModsList(const ModsList& mods) = 0;
    // The list could not be read: it is never written.
    virtual void MarkModsListUnread() = 0;
    // The entries to write, or nothing when the list was never read.
    virtual std::optional<ModsList> ModsListToWrite() const = 0;
    // The bytes of the mod name in the edit part: its entry's, or the text in the list's encoding.
    virtual std::string StoredModName() const = 0;

    // The message line, the two status bar panels and the server's details beside the message
    // line (empty details clear them).
    virtual void SetMessage(std::u16string_view text) = 0;
    virtual void SetStatusPanel(int panel, std::u16string_view text) = 0;
    virtual void ShowServerInfo(const ServerDetailsLine& line, const std::string& hint) = 0;

    // The probe's time-out timer (kProbeTimeoutMs, one shot until stopped).
    virtual bool ProbeTimerActive() const = 0;
    virtual void StartProbeTimer() = 0;
    virtual void StopProbeTimer() = 0;
    // The one-shot timer after which the probe queries the other family too
    // (kSecondFamilyDelayMs; starting it again restarts it).
    virtual void StartSecondFamilyTimer() = 0;
    virtual void StopSecondFamilyTimer() = 0;
    // Sends the status query to host:port (the host is looked up first when it is a name).
    // False when the window closed during the lookup and there is no one left to tell.
    virtual bool SendStatusQuery(const std::string& host, std::int32_t port) = 0;

    // The file-open dialog for an executable, listing what the first of the filters lists (the
    // player may switch to the others): the chosen path as the system names it (UTF-8 on
    // Windows, its bytes elsewhere), or "0" when cancelled.
    virtual std::string BrowseForExecutable(std::span<const FileFilter> filters) = 0;
    virtual void ShowAboutWindow() = 0;
    virtual void ShowAddModWindow() = 0;
    // The server list window; a front-end without one ignores it.
    virtual void ShowServerListWindow() {}
    virtual void OpenWebSite(std::string_view url) = 0;
    // Closes the main window (its close handler runs).
    virtual void CloseWindow() = 0;
    // The language has changed: every window shows its texts in it.
    virtual void RetranslateWindows() = 0;
};

}  // namespace kestrune
