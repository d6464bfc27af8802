// Profile files: read any content, write one key, read again.
// - The written key reads back as the reading rules make of what was written: the value up to
//   its first NUL, each CR or LF a blank, surrounding blanks and tabs dropped, then one pair of
//   matching quotes around it dropped. The settings store then keeps at most 2047 characters.
// - Every other key reads as it did before.
// - The file changes in one place only: at most one of its old lines differs (the written key's
//   line, or a last line without a break that gets one), and at most three new lines come in.
// One input in eight also goes through the settings store on disk, to see the value and the
// mods list come back from real files.

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/mods_list.h"
#include "launcher/settings_store.h"
#include "platform/profile_file.h"

namespace {

using kestrune::ReadProfileValue;

constexpr std::size_t kStoredTextLength = 2047;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    a = Trimmed(a);
    b = Trimmed(b);
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string ExpectedReadBack(std::string_view value) {
    std::string written(value.substr(0, value.find('\0')));
    for (char& c : written) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    std::string_view read = Trimmed(written);
    if (read.size() >= 2 && (read.front() == '"' || read.front() == '\'') &&
        read.back() == read.front()) {
        read = read.substr(1, read.size() - 2);
    }
    return std::string(read);
}

// Lines with their breaks.
std::vector<std::string_view> LinesOf(std::string_view content) {
    std::vector<std::string_view> lines;
    while (!content.empty()) {
        const std::size_t lf = content.find('\n');
        const std::size_t length = lf == std::string_view::npos ? content.size() : lf + 1;
        lines.push_back(content.substr(0, length));
        content.remove_prefix(length);
    }
    return lines;
}

// Section and key names as a plain reader would pick them out of the content; the names under
// test are among them (plus some the content does not use).
void CollectNames(std::string_view content, std::vector<std::string>& sections,
                  std::vector<std::string>& keys) {
    for (std::string_view line : LinesOf(content)) {
        std::string_view text = Trimmed(line.substr(0, line.find_first_of("\r\n")));
        if (text.starts_with('[') && sections.size() < 16) {
            text.remove_prefix(1);
            sections.emplace_back(text.substr(0, text.find(']')));
        } else if (text.find('=') != std::string_view::npos && keys.size() < 32) {
            keys.emplace_back(text.substr(0, text.find('=')));
        } else if (!text.empty() && keys.size() < 32) {
            keys.emplace_back(text);  // a key line without "="
        }
    }
}

void CheckOnlyOnePlaceChanged(std::string_view before, std::string_view after,
                              std::string_view key) {
    const std::vector<std::string_view> old = LinesOf(before);
    const std::vector<std::string_view> now = LinesOf(after);
    std::size_t prefix = 0;
    while (prefix < old.size() && prefix < now.size() && old[prefix] == now[prefix]) {
        ++prefix;
    }
    std::size_t suffix = 0;
    while (suffix < old.size() - prefix && suffix < now.size() - prefix &&
           old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix]) {
        ++suffix;
    }
    const std::size_t oldChanged = old.size() - prefix - suffix;
    const std::size_t newChanged = now.size() - prefix - suffix;
    // Writing a value the line already holds changes nothing at all.
    if (oldChanged > 1 || newChanged > 3 || (newChanged == 0 && oldChanged != 0)) {
        __builtin_trap();
    }
    if (oldChanged == 1) {
        const std::string_view line = old[prefix];
        std::string_view text = line.substr(0, line.find('\n'));
        if (text.ends_with('\r') && line.ends_with('\n')) {
            text.remove_suffix(1);
        }
        const bool isKeyLine = SameName(text.substr(0, text.find('=')), key);
        if (!line.ends_with('\n')) {
            // The last line, which only gained a break (or was the key's own line).
            if (!now[prefix].starts_with(line) && !isKeyLine) {
                __builtin_trap();
            }
        } else if (newChanged != 1 || !isKeyLine) {
            __builtin_trap();  // a broken line may only change when it is the key's line
        }
    }
}

// A folder of our own for the on-disk round, the current directory from then on.
bool EnterScratchFolder() {
    static const bool entered = [] {
        const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        static std::string folder = std::string(base) + "/kestrune-fuzz-XXXXXX";
        if (::mkdtemp(folder.data()) == nullptr || ::chdir(folder.c_str()) != 0) {
            return false;
        }
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        });
        return true;
    }();
    return entered;
}

void CheckThroughTheStore(const std::string& content, const std::string& value,
                          const std::string& mod) {
    if (!EnterScratchFolder()) {
        return;
    }
    const std::string path = "settings.ini";
    {
        const auto written = kestrune::ReplaceFileContent(path, content, 0600);
        if (!written) {
            return;
        }
    }
    kestrune::LauncherSettings settings;
    kestrune::ModsList mods;
    kestrune::LoadSettings(settings, mods, path);
    settings.Q3Password = value;
    mods = {mod, value};
    kestrune::SaveSettings(settings, mods, path);

    kestrune::LauncherSettings loaded;
    kestrune::ModsList loadedMods;
    kestrune::LoadSettings(loaded, loadedMods, path);
    if (loaded.Q3Password != ExpectedReadBack(value).substr(0, kStoredTextLength)) {
        __builtin_trap();
    }
    if (kestrune::ParseModsList(kestrune::FormatModsList(mods)) != loadedMods) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::string section = provider.ConsumeRandomLengthString(24);
    const std::string key = provider.ConsumeRandomLengthString(24);
    const std::string value = provider.ConsumeRandomLengthString(3000);
    const std::string content = provider.ConsumeRemainingBytesAsString();

    std::vector<std::string> sections = {section, "Main", "Quake3"};
    std::vector<std::string> keys = {key, "Q3Password", "Mods"};
    CollectNames(content, sections, keys);
    std::vector<std::optional<std::string>> valuesBefore;
    for (const std::string& s : sections) {
        for (const std::string& k : keys) {
            valuesBefore.push_back(ReadProfileValue(content, s, k));
        }
    }

    const bool writable =
        kestrune::IsValidProfileSectionName(section) && kestrune::IsValidProfileKeyName(key);
    std::string after;
    try {
        after = kestrune::WriteProfileValue(content, section, key, value);
    } catch (const std::invalid_argument&) {
        if (writable) {
            __builtin_trap();
        }
        return 0;
    }
    if (!writable) {
        __builtin_trap();
    }

    if (ReadProfileValue(after, section, key) != ExpectedReadBack(value)) {
        __builtin_trap();
    }
    std::size_t index = 0;
    for (const std::string& s : sections) {
        for (const std::string& k : keys) {
            const bool written = SameName(s, section) && SameName(k, key);
            if (!written && ReadProfileValue(after, s, k) != valuesBefore[index]) {
                __builtin_trap();
            }
            ++index;
        }
    }
    CheckOnlyOnePlaceChanged(content, after, key);

    if (size % 8 == 0) {
        CheckThroughTheStore(content, value, section);
    }
    return 0;
}
