#include "launcher/settings_store.h"

#include <sys/stat.h>

#include <cerrno>

#include "launcher/integer_conversion.h"
#include "launcher/mods_list.h"
#include "platform/atomic_file.h"
#include "platform/executable_path.h"
#include "platform/path_separators.h"
#include "platform/profile_file.h"
#include "i18n/translate.h"

namespace kestrune {

namespace {

// Texts are read with room for this many characters; a longer value comes back cut.
constexpr size_t kMaxTextLength = 2047;

// The settings file holds passwords: a new one is for its owner's eyes only.
constexpr mode_t kNewSettingsFileMode = S_IRUSR | S_IWUSR;
constexpr mode_t kNewModsListFileMode = S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH;

class SettingsReader {
public:
    explicit SettingsReader(const ProfileFile& profile) : profile_(profile) {}

    std::string text(std::string_view section, std::string_view key) const {
        std::string value = profile_.value(section, key).value_or(std::string());
        if (value.size() > kMaxTextLength) {
            value.resize(kMaxTextLength);
        }
        return value;
    }

    int integer(std::string_view section, std::string_view key, int fallback) const {
        return IntegerOr(text(section, key), fallback);
    }

    bool boolean(std::string_view section, std::string_view key, bool fallback) const {
        return integer(section, key, fallback ? 1 : 0) != 0;
    }

private:
    const ProfileFile& profile_;
};

class SettingsWriter {
public:
    explicit SettingsWriter(ProfileFile& profile) : profile_(profile) {}

    void text(std::string_view section, std::string_view key, std::string_view value) {
        profile_.setValue(section, key, value);
    }
    void integer(std::string_view section, std::string_view key, int value) {
        profile_.setValue(section, key, std::to_string(value));
    }
    void boolean(std::string_view section, std::string_view key, bool value) {
        profile_.setValue(section, key, value ? "1" : "0");
    }

private:
    ProfileFile& profile_;
};

}  // namespace

std::string SettingsPathFor(std::string_view executablePath) {
    size_t slash = executablePath.find_last_of(kPathSeparators);
    size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    size_t dot = executablePath.rfind('.');
    if (dot != std::string_view::npos && dot >= nameStart) {
        executablePath = executablePath.substr(0, dot);
    }
    return std::string(executablePath) + ".ini";
}

std::string SettingsPath() {
    std::string executable = ExecutablePath();
    if (executable.empty()) {
        // Without it the settings would land in whatever folder is current; better to say so.
        throw Exception(std::string(Tr("Cannot find the path of the running program")));
    }
    return SettingsPathFor(executable);
}

void LoadSettings(LauncherSettings& settings, ModsList& mods, const std::string& settingsPath,
                  const std::string& modsListPath) {
    TextEncoding ignored = TextEncoding::Utf8;
    LoadSettings(settings, mods, settingsPath, ignored, modsListPath);
}

void LoadSettings(LauncherSettings& settings, ModsList& mods, const std::string& settingsPath,
                  TextEncoding& settingsEncoding, const std::string& modsListPath) {
    // A missing list is simply empty. Any other failure is reported, but only once the settings
    // are in, so that a save on closing cannot overwrite them with defaults.
    FileContent modsFile = ReadFileContent(modsListPath);
    const bool modsListRead = modsFile.error == 0 || modsFile.error == ENOENT;

    // A settings file that is missing or cannot be read gives the defaults.
    ProfileFile profile(settingsPath);
    SettingsReader in(profile);
    settings.Autosave = in.boolean("Main", "Autosave", true);
    settings.ExitOnLaunch = in.boolean("Main", "ExitOnLaunch", false);
    settings.Mods = in.integer("Main", "Mods", 0);
    settings.TSExecutable = in.text("TeamSpeak", "TSExecutable");
    settings.TSServer = in.text("TeamSpeak", "TSServer");
    settings.TSPort = in.text("TeamSpeak", "TSPort");
    settings.TSNick = in.text("TeamSpeak", "TSNick");
    settings.TSLogin = in.text("TeamSpeak", "TSLogin");
    settings.TSPassword = in.text("TeamSpeak", "TSPassword");
    settings.Autojoin = in.boolean("TeamSpeak", "Autojoin", true);
    settings.Q3Executable = in.text("Quake3", "Q3Executable");
    settings.Q3Server = in.text("Quake3", "Q3Server");
    settings.Q3Port = in.text("Quake3", "Q3Port");
    settings.Q3Password = in.text("Quake3", "Q3Password");
    settings.Q3Game = in.integer("Quake3", "Q3Game", 1);
    settingsEncoding = EncodingOf(profile.content());

    if (!modsListRead) {
        throw FileOpenError(Format(Tr("Cannot open file %1"), {modsListPath}));
    }
    mods = ParseModsList(modsFile.bytes);
}

void SaveSettings(const LauncherSettings& settings, const ModsList& mods,
                  const std::string& settingsPath, const std::string& modsListPath) {
    SaveModsList(mods, modsListPath);
    SaveSettingsFile(settings, settingsPath);
}

void SaveSettingsFile(const LauncherSettings& settings, const std::string& settingsPath) {
    const std::string failure = Format(Tr("Unable to write to %1"), {settingsPath});
    ProfileFile profile(settingsPath);
    // Writing over a file that exists but could not be read would lose everything else in it.
    if (profile.readError() != 0 && profile.readError() != ENOENT) {
        throw ProfileWriteError(failure);
    }
    SettingsWriter out(profile);
    out.boolean("Main", "Autosave", settings.Autosave);
    out.boolean("Main", "ExitOnLaunch", settings.ExitOnLaunch);
    out.integer("Main", "Mods", settings.Mods);
    out.text("TeamSpeak", "TSExecutable", settings.TSExecutable);
    out.text("TeamSpeak", "TSServer", settings.TSServer);
    out.text("TeamSpeak", "TSPort", settings.TSPort);
    out.text("TeamSpeak", "TSNick", settings.TSNick);
    out.text("TeamSpeak", "TSLogin", settings.TSLogin);
    out.text("TeamSpeak", "TSPassword", settings.TSPassword);
    out.boolean("TeamSpeak", "Autojoin", settings.Autojoin);
    out.text("Quake3", "Q3Executable", settings.Q3Executable);
    out.text("Quake3", "Q3Server", settings.Q3Server);
    out.text("Quake3", "Q3Port", settings.Q3Port);
    out.text("Quake3", "Q3Password", settings.Q3Password);
    out.integer("Quake3", "Q3Game", settings.Q3Game);

    if (!profile.save(kNewSettingsFileMode)) {
        throw ProfileWriteError(failure);
    }
}

std::string LoadLanguageChoice(const std::string& settingsPath) {
    return ProfileFile(settingsPath).value("Main", "Language").value_or(std::string());
}

void SaveLanguageChoice(std::string_view language, const std::string& settingsPath) {
    ProfileFile profile(settingsPath);
    if (profile.readError() != 0 && profile.readError() != ENOENT) {
        throw ProfileWriteError(Format(Tr("Unable to write to %1"), {settingsPath}));
    }
    profile.setValue("Main", "Language", language);
    if (!profile.save(kNewSettingsFileMode)) {
        throw ProfileWriteError(Format(Tr("Unable to write to %1"), {settingsPath}));
    }
}

void SaveModsList(const ModsList& mods, const std::string& modsListPath) {
    ReplaceResult result =
        ReplaceFileContent(modsListPath, FormatModsList(mods), kNewModsListFileMode);
    if (result.failure == ReplaceFailure::Write) {
        throw StreamWriteError(std::string(Tr("Stream write error")));
    }
    if (result.failure == ReplaceFailure::Create) {
        throw FileCreateError(Format(Tr("Cannot create file %1"), {modsListPath}));
    }
}

}  // namespace kestrune
