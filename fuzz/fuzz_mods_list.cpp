// The mods list reader against a plain state-machine reading of the same rules, and writing a
// list then reading it back.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "launcher/mods_list.h"

namespace {

using kestrune::ModsList;

// Up to the first NUL, a CR, an LF or a CR LF pair ends an entry; a break at the very end adds
// no entry.
ModsList ReferenceParse(std::string_view bytes) {
    ModsList mods;
    std::string entry;
    bool open = false;  // an entry has begun since the last break
    for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\0'; ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            mods.push_back(entry);
            entry.clear();
            open = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++i;
            }
        } else {
            entry.push_back(c);
            open = true;
        }
    }
    if (open) {
        mods.push_back(entry);
    }
    return mods;
}

// What an entry becomes on its way through the file: cut at NUL, CR and LF turned into blanks.
std::string AsStored(std::string_view entry) {
    std::string stored(entry.substr(0, entry.find('\0')));
    for (char& c : stored) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return stored;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Reading any file.
    const ModsList parsed = kestrune::ParseModsList(bytes);
    if (parsed != ReferenceParse(bytes)) {
        __builtin_trap();
    }
    // What was read holds no CR, LF or NUL, so it survives being written and read again.
    if (kestrune::ParseModsList(kestrune::FormatModsList(parsed)) != parsed) {
        __builtin_trap();
    }

    // Writing any list: it reads back entry for entry, each as stored.
    FuzzedDataProvider provider(data, size);
    ModsList list;
    ModsList expected;
    while (provider.remaining_bytes() > 0 && list.size() < 64) {
        list.push_back(provider.ConsumeRandomLengthString(256));
        expected.push_back(AsStored(list.back()));
    }
    const std::string file = kestrune::FormatModsList(list);
    if (kestrune::ParseModsList(file) != expected) {
        __builtin_trap();
    }
    if (!list.empty() && !file.ends_with("\r\n")) {
        __builtin_trap();
    }
    return 0;
}
