#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/launcher_settings.h"
#include "launcher/program_launching.h"
#include "launcher/settings_store.h"
#include "ui_logic/main_window_probe.h"
#include "ui_logic/main_window_steps.h"
#include "ui_logic/main_window_view.h"
#include "ui_logic/language_choice.h"
#include "ui_win32/executable_dialog.h"
#include "ui_win32/hints.h"
#include "ui_win32/message_loop.h"
#include "ui_win32/mods_combo_box.h"
#include "ui_win32/mods_list_access.h"
#include "ui_win32/native_window.h"
#include "ui_win32/static_controls.h"

namespace kestrune {

class ServerListWindow;
class TUDPEndpoint;

// The main window's controls and menu entries, by the ids their WM_COMMAND carries.
enum MainWindowId : int {
    kIdLabel1 = 100,
    kIdServerInfo,
    kIdImage1,
    kIdLabel10,
    kIdBlMods,
    kIdLabel2,
    kIdLabel8,
    kIdLabel6,
    kIdLabel4,
    kIdLabel9,
    kIdLabel3,
    kIdLabel5,
    kIdLabel7,
    kIdEdQ3Server,
    kIdEdQ3Port,
    kIdEdQ3Password,
    kIdEdTSServer,
    kIdEdTSPort,
    kIdEdTSNick,
    kIdEdTSLogin,
    kIdEdTSPassword,
    kIdCbAutosave,
    kIdCbAutojoin,
    kIdCbExit,
    kIdGroup,
    kIdGroupItem0,
    kIdGroupItem1,
    kIdBtnLaunchQ3,
    kIdBtnTest,
    kIdBtnLaunchTS,
    kIdBtnExit,
    kIdCbMods,
    kIdStatusBar1,
    // The menu.
    kIdSave1 = 200,
    kIdExit1,
    kIdQ3Path,
    kIdLinkTS21,
    kIdLaunchGame1,
    kIdLaunchTS21,
    kIdTestServer1,
    kIdAddMod1,
    kIdFindServer1,
    kIdAbout2,
    // The Language menu's entries, "System default" first.
    kIdLanguage0 = 300,
};

// The launcher's main window in native controls: the game and voice server fields, the game
// type and mod, the switches, the launch and test buttons, the menu, the message line and the
// status bar. What its handlers do is MainWindowSteps's; the window is that logic's Win32 view.
class TForm1 : public NativeWindow, private MainWindowView, public ModsListAccess {
public:
    // Builds every control, shows the window centred on its monitor and loads the settings from
    // settingsPath and the mods list from modsListPath. Raises when the window or its UDP
    // endpoint cannot be made.
    explicit TForm1(std::string settingsPath, std::string modsListPath = kModsListFileName);
    ~TForm1() override;

    // The About and Add-mod windows, shown from the menu. Not owned.
    void SetSecondaryWindows(HWND about, HWND addMod);
    // The same, each given by a function that makes it the first time it is called and gives its
    // handle: the windows cost nothing until they are first shown.
    using WindowMaker = std::function<HWND()>;
    void SetSecondaryWindows(WindowMaker about, WindowMaker addMod);
    // Runs once the window has closed for good (the program's entry ends the message loop).
    void SetOnClosed(std::function<void()> closed);
    // Replaces how the launch handlers start programs (tests); RunProgram until then.
    void SetProgramRunner(ProgramRunner run);

    HWND Control(MainWindowId id) const;
    // The server list window once "Find server..." has made it, else null.
    ServerListWindow* ServerList() const { return serverList_.get(); }
    // Status bar panel 0 (the game) or 1 (the voice client and the mod).
    std::wstring StatusPanelText(int panel) const;

    // ModsListAccess
    int ModsCount() const override;
    void AppendMod(std::u16string_view name) override;
    std::optional<ModsList> ModsListToWrite() const override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateMenuBar();
    void CreateControls();
    void Retranslate();
    void RetranslateMenu();
    void LayOut();
    int NeededWidth(HWND control) const;
    int MenuBarWidth() const;
    void SetClientWidth(int width);
    void SetHints();
    void SetAreaHints();
    void CreateStatusBar();
    void CreateProbe();
    void FormCreate();
    void Command(int id, WORD code);
    void ClickGameType();
    void LayOutForDpi();
    LRESULT ColourStatic(HDC dc, HWND control);

    // MainWindowView
    std::u16string Text(MainControl control) const override;
    void SetText(MainControl control, std::u16string_view text) override;
    bool Checked(MainControl control) const override;
    void SetChecked(MainControl control, bool checked) override;
    void SetEnabled(MainControl control, bool enabled) override;
    int GameTypeIndex() const override;
    void SetGameTypeIndex(int index) override;
    int ModsIndex() const override;
    void SetModsIndex(int index) override;
    void ShowModsList(const ModsList& mods) override;
    void MarkModsListUnread() override;
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
    std::vector<LanguageEntry> languages_;
    // Where the layout put the controls whose areas have hints of the window's own.
    ControlPlace groupPlace_{16, 96, 81, 65};
    ControlPlace launchQ3Place_{16, 200, 75, 25};
    ControlPlace launchTSPlace_{176, 200, 75, 25};
    std::unique_ptr<Hints> hints_;
    std::unique_ptr<ExecutableDialog> Open;
    std::unique_ptr<ModsComboBox> cbMods;
    WindowMaker aboutWindow_;
    WindowMaker addModWindow_;
    std::function<void()> closed_;
    // The game type as the last click or the code left it: a click on it runs nothing.
    int gameType_ = 1;
    // The hints are given once the window shows.
    bool hintsShown_ = false;

    std::unique_ptr<KeyboardShortcuts> shortcuts_;
    std::unique_ptr<ServerListWindow> serverList_;
    std::unique_ptr<TUDPEndpoint> UDP;
    std::unique_ptr<MainWindowProbe<TUDPEndpoint>> probe_;
    bool timerActive_ = false;
};

}  // namespace kestrune
