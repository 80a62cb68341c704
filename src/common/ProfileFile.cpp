// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ProfileFile.h"

#include <cstdio>
#include <optional>
#include <string_view>

#include "common/AtomicFile.h"
#include "common/Cp932.h"
#include "common/FileLock.h"
#include "common/FileRead.h"

namespace kotar {
namespace {

// One line of the file with its own line end, so that untouched lines are written back as
// they were read.
struct Line {
    std::string text;  // cp932 bytes without the line end
    std::string end;   // "\r\n", "\n" or "" for a last line without a break
};

// The bytes of the file, or nothing when it cannot be opened (or is no regular file).
std::optional<std::string> ReadContent(const std::filesystem::path& path) {
    const FileHandle file(OpenFile(path, "rb"));
    if (!file)
        return std::nullopt;
    // The whole file in one sized read (the configuration reads it many times at start-up);
    // whatever the size did not cover (a file that grew meanwhile) is read on to its end.
    std::string content;
    std::error_code size_error;
    const auto size = std::filesystem::file_size(path, size_error);
    std::size_t used = 0;
    content.resize(size_error ? 0 : static_cast<std::size_t>(size));
    for (;;) {
        used += std::fread(content.data() + used, 1, content.size() - used, file.get());
        if (used < content.size())
            break;
        content.resize(used + 4096);
    }
    content.resize(used);
    return content;
}

std::vector<Line> SplitLines(const std::string& content) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t nl = content.find('\n', pos);
        if (nl == std::string::npos) {
            lines.push_back({content.substr(pos), ""});
            break;
        }
        std::size_t text_end = nl;
        std::string end = "\n";
        if (text_end > pos && content[text_end - 1] == '\r') {
            --text_end;
            end = "\r\n";
        }
        lines.push_back({content.substr(pos, text_end - pos), end});
        pos = nl + 1;
    }
    return lines;
}

std::vector<Line> ReadLines(const std::filesystem::path& path) {
    std::optional<std::string> content = ReadContent(path);
    return content ? SplitLines(*content) : std::vector<Line>{};
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

// The section name of a "[name]" line, if it is one (a view into `text`).
std::optional<std::string_view> SectionName(std::string_view text) {
    std::string_view t = Trim(text);
    if (t.empty() || t[0] != '[')
        return std::nullopt;
    std::size_t close = t.find(']');
    return Trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

// Views into the line's text.
struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view text) {
    std::size_t eq = text.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    std::string_view value = Trim(text.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return KeyLine{Trim(text.substr(0, eq)), value};
}

// Index range [first, last) of the lines that belong to the section (after its header), or
// nullopt when the section is missing. `header` receives the header's index.
std::optional<std::pair<std::size_t, std::size_t>> FindSection(const std::vector<Line>& lines,
                                                               const std::string& section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto name = SectionName(lines[i].text);
        if (name && EqualsIgnoreCase(*name, section)) {
            std::size_t j = i + 1;
            while (j < lines.size() && !SectionName(lines[j].text))
                ++j;
            return std::make_pair(i + 1, j);
        }
    }
    return std::nullopt;
}

// The value of the key in the first section of that name, as FindSection and ParseKeyLine see
// the lines; scanned in place, without splitting the file into lines first.
std::optional<std::string> FindValueIn(std::string_view all, const std::string& section,
                                       const std::string& key) {
    const std::string section_cp = Utf8ToCp932(section);
    const std::string key_cp = Utf8ToCp932(key);
    bool inside = false;
    std::size_t pos = 0;
    while (pos < all.size()) {
        // One line's text as SplitLines cuts it: without "\n" or "\r\n".
        std::size_t nl = all.find('\n', pos);
        std::size_t text_end = nl == std::string_view::npos ? all.size() : nl;
        if (nl != std::string_view::npos && text_end > pos && all[text_end - 1] == '\r')
            --text_end;
        const std::string_view text = all.substr(pos, text_end - pos);
        pos = nl == std::string_view::npos ? all.size() : nl + 1;

        const auto name = SectionName(text);
        if (!inside) {
            inside = name && EqualsIgnoreCase(*name, section_cp);
            continue;
        }
        if (name)
            return std::nullopt;  // the section ended without the key
        const auto kl = ParseKeyLine(text);
        if (kl && EqualsIgnoreCase(kl->key, key_cp))
            return std::string(kl->value);
    }
    return std::nullopt;
}

// The same in the file's current content.
std::optional<std::string> FindValue(const std::filesystem::path& path, const std::string& section,
                                     const std::string& key) {
    const std::optional<std::string> content = ReadContent(path);
    if (!content)
        return std::nullopt;
    return FindValueIn(*content, section, key);
}

}  // namespace

std::string ProfileFile::GetString(const std::string& section, const std::string& key,
                                   const std::string& default_value) const {
    return GetValue(section, key).value_or(default_value);
}

std::optional<std::string> ProfileFile::GetValue(const std::string& section,
                                                 const std::string& key) const {
    return Read().GetValue(section, key);
}

ProfileFile::Snapshot ProfileFile::Read() const {
    return Snapshot(ReadContent(path_));
}

std::optional<std::string> ProfileFile::Snapshot::GetValue(const std::string& section,
                                                           const std::string& key) const {
    if (!content_)
        return std::nullopt;
    auto value = FindValueIn(*content_, section, key);
    if (!value)
        return std::nullopt;
    return Cp932ToUtf8(*value);
}

bool ProfileFile::HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

std::uint32_t ProfileFile::ParseInt(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        char p = AsciiLower(text[i + 1]);
        if (p == 'x')
            base = 16;
        if (p == 'o')
            base = 8;
        if (p == 'b')
            base = 2;
        if (base != 10)
            i += 2;
    }
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        char c = AsciiLower(text[i]);
        unsigned digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else {
            break;
        }
        if (digit >= base)
            break;
        value = value * base + digit;
    }
    return negative ? static_cast<std::uint32_t>(0u - value) : value;
}

std::uint32_t ProfileFile::GetInt(const std::string& section, const std::string& key,
                                  std::int32_t default_value) const {
    auto value = FindValue(path_, section, key);
    if (!value || value->empty())
        return static_cast<std::uint32_t>(default_value);
    return ParseInt(*value);
}

bool ProfileFile::WriteString(const std::string& section, const std::string& key,
                              const std::string& value) {
    return Write(section, key, value, nullptr);
}

bool ProfileFile::WriteStringIfUnchanged(const std::string& section, const std::string& key,
                                         const std::optional<std::string>& expected,
                                         const std::string& value) {
    return Write(section, key, value, &expected);
}

bool ProfileFile::Write(const std::string& section, const std::string& key,
                        const std::string& value, const std::optional<std::string>* expected) {
    // A line break would end the line early and turn the rest into lines of their own.
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value))
        return false;
    std::filesystem::path lock_path = path_;
    lock_path += ".lock";
    // Another user's lock file is honoured as it is: the start folder may be shared.
    const std::optional<FileLock> lock = FileLock::Acquire(lock_path, LockOwner::Anyone);
    if (!lock)
        return false;
    // One read under the lock serves both the check and the rewrite.
    const std::optional<std::string> before = ReadContent(path_);
    if (expected != nullptr && Snapshot(before).GetValue(section, key) != *expected)
        return false;
    std::vector<Line> lines = before ? SplitLines(*before) : std::vector<Line>{};
    std::string section_cp = Utf8ToCp932(section);
    std::string key_cp = Utf8ToCp932(key);
    std::string value_cp = Utf8ToCp932(value);

    auto range = FindSection(lines, section_cp);
    if (!range) {
        if (!lines.empty() && lines.back().end.empty())
            lines.back().end = "\r\n";
        lines.push_back({"[" + section_cp + "]", "\r\n"});
        lines.push_back({key_cp + "=" + value_cp, "\r\n"});
    } else {
        bool replaced = false;
        std::size_t last_content = range->first;  // insert position for a new key
        for (std::size_t i = range->first; i < range->second; ++i) {
            if (!Trim(lines[i].text).empty())
                last_content = i + 1;
            auto kl = ParseKeyLine(lines[i].text);
            if (kl && EqualsIgnoreCase(kl->key, key_cp)) {
                lines[i].text = std::string(kl->key) + "=" + value_cp;
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            if (last_content > 0 && lines[last_content - 1].end.empty()) {
                lines[last_content - 1].end = "\r\n";
            }
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last_content),
                         Line{key_cp + "=" + value_cp, "\r\n"});
        }
    }

    std::string content;
    for (const Line& line : lines) {
        content += line.text;
        content += line.end;
    }
    // Writing back the same bytes changes nothing; skipping it spares a flush to disk on
    // every start, where the configuration writes back each key it read.
    if (before && *before == content)
        return true;
    return WriteFileAtomically(path_, content);
}

bool ProfileFile::WriteInt(const std::string& section, const std::string& key, std::int64_t value) {
    return WriteString(section, key, std::to_string(value));
}

std::vector<std::string> ProfileFile::GetKeys(const std::string& section) const {
    std::vector<std::string> keys;
    std::vector<Line> lines = ReadLines(path_);
    auto range = FindSection(lines, Utf8ToCp932(section));
    if (!range)
        return keys;
    for (std::size_t i = range->first; i < range->second; ++i) {
        auto kl = ParseKeyLine(lines[i].text);
        if (kl && !kl->key.empty())
            keys.push_back(Cp932ToUtf8(kl->key));
    }
    return keys;
}

}  // namespace kotar
