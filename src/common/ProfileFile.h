// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kotar {

// An INI file read and written with the semantics of the Windows profile functions that the
// configuration relies on. Every call reads the file afresh; a write rewrites it at once.
// Several copies of the program share the file: every write reads, changes and replaces it
// while it holds the lock of the file "<name>.lock" beside it (made on first use, never
// removed), so that no write loses the key that another copy wrote at the same time. Readers
// need no lock, as the file is always replaced whole. The lock file is shared by every user of
// the folder, whoever made it; anything but a regular file under its name (a pipe, a link)
// makes writes fail at once. A file that is not a regular one reads as missing.
// Section and key names match without regard to letter case. Names and values are UTF-8 in
// the program and cp932 in the file; lines written end with CR LF, lines read may end with LF.
class ProfileFile {
public:
    explicit ProfileFile(std::filesystem::path path) : path_(std::move(path)) {}

    const std::filesystem::path& path() const { return path_; }

    // The value, or the default when the file, the section or the key is missing (a key with
    // an empty value reads as empty). Blanks around the value and one pair of enclosing quotes
    // are removed.
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& default_value) const;

    // The value read as an integer the way the profile functions read it: leading blanks, an
    // optional sign, "0x"/"0o"/"0b" prefixes, digits up to the first other character, wrapping
    // in 32 bits ("-1" gives 0xFFFFFFFF). Missing or empty: the default.
    std::uint32_t GetInt(const std::string& section, const std::string& key,
                         std::int32_t default_value) const;

    // The value as GetString reads it, or nothing when the file, the section or the key is
    // missing.
    std::optional<std::string> GetValue(const std::string& section, const std::string& key) const;

    // The file as read once, for a caller that takes many keys at one moment (one read instead
    // of one per key).
    class Snapshot {
    public:
        // What GetValue would have given at the moment of the read.
        std::optional<std::string> GetValue(const std::string& section,
                                            const std::string& key) const;

    private:
        friend class ProfileFile;
        explicit Snapshot(std::optional<std::string> content) : content_(std::move(content)) {}
        std::optional<std::string> content_;
    };
    Snapshot Read() const;

    // Sets key=value. A missing file or section is created; a new key is appended at the end
    // of its section; every other line of the file stays as it was. False when the file
    // cannot be written or a name or the value holds a line break (CR or LF), which the file
    // cannot carry; the file is then unchanged.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);
    // The same, but only when the key still reads as `expected` (nothing: the key is missing)
    // at the moment of the write: a correction that never overwrites what another copy stored
    // since it was read. False when the key has changed meanwhile (the file is untouched).
    bool WriteStringIfUnchanged(const std::string& section, const std::string& key,
                                const std::optional<std::string>& expected,
                                const std::string& value);
    bool WriteInt(const std::string& section, const std::string& key, std::int64_t value);

    // Key names of a section in file order (empty when the section is missing).
    std::vector<std::string> GetKeys(const std::string& section) const;

    // The integer reading rule alone, for tests and for callers that hold the text.
    static std::uint32_t ParseInt(const std::string& text);

    // True when the text holds a CR or LF and can therefore not be written.
    static bool HasLineBreak(const std::string& text);

private:
    bool Write(const std::string& section, const std::string& key, const std::string& value,
               const std::optional<std::string>* expected);

    std::filesystem::path path_;
};

}  // namespace kotar
