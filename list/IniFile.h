// SPDX-License-Identifier: GPL-3.0-or-later
// A small INI file layer: sections "[name]" holding "key=value" lines.
// Section and key names match without regard to case and the first match
// wins; values are trimmed of blanks on reading. Writing keeps every other
// line of the file (other sections and keys, comments, blank lines) as it
// was.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

class IniFile {
  public:
    // An empty file.
    IniFile() = default;

    // The file's bytes, as read from disk.
    static IniFile Parse(std::string_view bytes);

    // The file at path when a regular file of at most kMaxBytes stands
    // there itself; anything else (nothing, an unreadable file, a symbolic
    // link, a FIFO, a device, a folder, a larger file) gives an empty one,
    // as every key then takes its default. Never blocks.
    static IniFile Load(const std::string& path);
    static constexpr std::size_t kMaxBytes = 64 * 1024;

    // The value of key in section, blanks around it trimmed; nothing when
    // the section or the key is missing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    // Replaces the key's line by "key=value"; a missing key is added after
    // the last line of its section that is not blank, a missing section
    // with the key at the end of the file.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // The file's bytes: every line with its own line end; new lines get the
    // line end the file uses (LF for a new file).
    std::string Serialize() const;

    // Serialize, written to path by WriteFileAtomically: whole or not at
    // all, only over a regular file that the current user owns, keeping its
    // group, permission bits and ACL. Throws std::runtime_error "Unable to
    // write to <path>".
    void Save(const std::string& path) const;

  private:
    struct Line {
        std::string text;  // without its line end
        std::string end;   // "\r\n", "\n", "\r", or empty for a last line without one
    };

    // Index of the header line of the first section named section, or -1.
    int FindSection(std::string_view section) const;
    // One past the section's last line, i.e. the next header or the end.
    int SectionEnd(int header) const;
    // Index of the key's line within [header + 1, end), or -1.
    int FindKey(int header, int end, std::string_view key) const;
    void InsertLine(int position, std::string text);

    std::vector<Line> lines_;
    std::string newLineEnd_ = "\n";
};

// An integer value: decimal with one optional sign, or hexadecimal after
// "0x" or "0X" when the value is longer than two characters. Anything else,
// also a number out of the 32-bit range, and a missing value give
// defaultValue.
int ReadIniInteger(const std::optional<std::string>& value, int defaultValue);

}  // namespace quorvex
