#include "platform/profile_file.h"

#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/ascii_text.h"

namespace kestrune {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// One line of the content: [begin, textEnd) is its text without the line break, next is where
// the following line starts (the content's size for the last line).
struct Line {
    size_t begin = 0;
    size_t textEnd = 0;
    size_t next = 0;
    bool hasBreak() const { return next > textEnd; }
};

// Walks the content line by line in one pass.
class LineReader {
public:
    explicit LineReader(std::string_view content) : content_(content) {}

    bool next(Line& line) {
        if (position_ >= content_.size()) {
            return false;
        }
        line.begin = position_;
        const void* found =
            std::memchr(content_.data() + position_, '\n', content_.size() - position_);
        size_t end = found ? static_cast<size_t>(static_cast<const char*>(found) - content_.data())
                           : content_.size();
        line.next = found ? end + 1 : end;
        if (found && end > position_ && content_[end - 1] == '\r') {
            --end;
        }
        line.textEnd = end;
        position_ = line.next;
        return true;
    }

    // The line's text as it is to be understood (a leading byte-order mark skipped).
    std::string_view text(const Line& line) const {
        std::string_view text = content_.substr(line.begin, line.textEnd - line.begin);
        if (line.begin == 0 && text.starts_with(kByteOrderMark)) {
            text.remove_prefix(kByteOrderMark.size());
        }
        return text;
    }

private:
    std::string_view content_;
    size_t position_ = 0;
};

// Where a key is, or where it would go.
struct KeyLocation {
    bool sectionFound = false;
    bool keyFound = false;
    Line keyLine;                          // when keyFound
    std::optional<size_t> valueBegin;      // just after "=", when the key line has one
    size_t insertAt = 0;                   // after the section's last key line, or its header
    bool insertAfterUnbrokenLine = false;  // that line is the file's last and has no break
};

KeyLocation Locate(std::string_view content, std::string_view section, std::string_view key) {
    section = TrimmedBlanks(section);
    key = TrimmedBlanks(key);
    KeyLocation location;
    LineReader reader(content);
    Line line;
    bool inSection = false;
    while (reader.next(line)) {
        std::string_view text = reader.text(line);
        std::string_view trimmed = TrimmedBlanks(text);
        if (trimmed.empty() || trimmed.front() == ';') {
            continue;
        }
        if (trimmed.front() == '[') {
            if (inSection) {
                break;  // the first section of that name has ended
            }
            std::string_view name = trimmed.substr(1);
            name = TrimmedBlanks(name.substr(0, name.find(']')));
            if (EqualIgnoringAsciiCase(name, section)) {
                inSection = true;
                location.sectionFound = true;
                location.insertAt = line.next;
                location.insertAfterUnbrokenLine = !line.hasBreak();
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        size_t equals = trimmed.find('=');
        if (EqualIgnoringAsciiCase(TrimmedBlanks(trimmed.substr(0, equals)), key)) {
            location.keyFound = true;
            location.keyLine = line;
            if (equals != std::string_view::npos) {
                // Offsets within the trimmed view map back to the content through its data.
                location.valueBegin =
                    static_cast<size_t>(trimmed.data() - content.data()) + equals + 1;
            }
            return location;
        }
        location.insertAt = line.next;
        location.insertAfterUnbrokenLine = !line.hasBreak();
    }
    return location;
}

std::string_view LineBreakOf(std::string_view content) {
    size_t lf = content.find('\n');
    if (lf == std::string_view::npos) {
        return "\r\n";
    }
    return lf > 0 && content[lf - 1] == '\r' ? "\r\n" : "\n";
}

// The break that ends the content's last line when it has none. A CR at its end is part of
// that line's text and must stay so: followed by a bare LF it would become the break itself.
std::string_view BreakToEndLastLine(std::string_view content, std::string_view lineBreak) {
    return content.ends_with('\r') ? "\r\n" : lineBreak;
}

}  // namespace

std::string ProfileValueAsWritten(std::string_view value) {
    value = value.substr(0, value.find('\0'));
    std::string written(value);
    for (char& c : written) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return written;
}

std::string ProfileValueAsRead(std::string_view rawValue) {
    std::string_view value = TrimmedBlanks(rawValue.substr(0, rawValue.find('\0')));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

bool IsValidProfileSectionName(std::string_view section) {
    return !TrimmedBlanks(section).empty() &&
           section.find_first_of(std::string_view("]\r\n\0", 4)) == std::string_view::npos;
}

bool IsValidProfileKeyName(std::string_view key) {
    std::string_view trimmed = TrimmedBlanks(key);
    return !trimmed.empty() && trimmed.front() != '[' && trimmed.front() != ';' &&
           key.find_first_of(std::string_view("=\r\n\0", 4)) == std::string_view::npos;
}

std::optional<std::string> ReadProfileValue(std::string_view content, std::string_view section,
                                            std::string_view key) {
    KeyLocation location = Locate(content, section, key);
    if (!location.keyFound || !location.valueBegin) {
        return std::nullopt;
    }
    return ProfileValueAsRead(
        content.substr(*location.valueBegin, location.keyLine.textEnd - *location.valueBegin));
}

std::string WriteProfileValue(std::string_view content, std::string_view section,
                              std::string_view key, std::string_view value) {
    if (!IsValidProfileSectionName(section) || !IsValidProfileKeyName(key)) {
        throw std::invalid_argument("not a profile section or key name");
    }
    section = TrimmedBlanks(section);
    key = TrimmedBlanks(key);
    const std::string written = ProfileValueAsWritten(value);
    KeyLocation location = Locate(content, section, key);

    std::string result;
    result.reserve(content.size() + section.size() + key.size() + written.size() + 8);
    auto appendKeyLine = [&] {
        result.append(key);
        result.push_back('=');
        result.append(written);
    };

    if (location.keyFound) {
        result.append(content.substr(0, location.keyLine.begin));
        appendKeyLine();
        result.append(content.substr(location.keyLine.textEnd));
        return result;
    }

    const std::string_view lineBreak = LineBreakOf(content);
    if (location.sectionFound) {
        result.append(content.substr(0, location.insertAt));
        if (location.insertAfterUnbrokenLine) {
            result.append(BreakToEndLastLine(content, lineBreak));
        }
        appendKeyLine();
        result.append(lineBreak);
        result.append(content.substr(location.insertAt));
        return result;
    }

    result.append(content);
    if (!content.empty() && content.back() != '\n' && content != kByteOrderMark) {
        result.append(BreakToEndLastLine(content, lineBreak));
    }
    result.push_back('[');
    result.append(section);
    result.push_back(']');
    result.append(lineBreak);
    appendKeyLine();
    result.append(lineBreak);
    return result;
}

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {
    FileContent file = ReadFileContent(path_);
    content_ = std::move(file.bytes);
    readError_ = file.error;
}

std::optional<std::string> ProfileFile::value(std::string_view section,
                                              std::string_view key) const {
    return ReadProfileValue(content_, section, key);
}

void ProfileFile::setValue(std::string_view section, std::string_view key, std::string_view value) {
    content_ = WriteProfileValue(content_, section, key, value);
}

ReplaceResult ProfileFile::save(mode_t newFileMode) const {
    return ReplaceFileContent(path_, content_, newFileMode);
}

}  // namespace kestrune
