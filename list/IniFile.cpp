// SPDX-License-Identifier: GPL-3.0-or-later
#include "list/IniFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>

#include "db/AtomicFile.h"
#include "db/Lines.h"
#include "db/WholeFile.h"

namespace quorvex {

namespace {

// Space and tab: a settings file edited by hand may indent or pad with
// either. Unlike the amount field's text (app/AmountText.cpp), where a tab
// makes the amount no number; the two rules differ on purpose.
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// The name of a "[name]" header line, or nothing for any other line.
std::optional<std::string_view> HeaderName(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
    line = Trim(line);
    return !line.empty() && (line.front() == ';' || line.front() == '#');
}

// Key and raw value of a "key=value" line, or nothing.
std::optional<std::pair<std::string_view, std::string_view>> KeyValue(std::string_view line) {
    if (IsComment(line) || HeaderName(line)) return std::nullopt;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return std::pair{Trim(line.substr(0, equals)), line.substr(equals + 1)};
}

std::optional<long long> ParseInteger(std::string_view text, int base) {
    long long value = 0;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value, base);
    if (error != std::errc() || end != last) return std::nullopt;
    return value;
}

}  // namespace

IniFile IniFile::Parse(std::string_view bytes) {
    IniFile file;
    // Line ends as the data files have them; a NUL is kept as a byte, since
    // every line is written back as it was read.
    LineWalker lines(bytes);
    while (const std::optional<LineView> line = lines.Next()) {
        if (file.lines_.empty() && !line->end.empty()) file.newLineEnd_ = line->end;
        file.lines_.push_back({std::string(line->text), std::string(line->end)});
    }
    return file;
}

IniFile IniFile::Load(const std::string& path) {
    const std::optional<std::string> bytes = ReadSmallFile(path, kMaxBytes);
    return bytes ? Parse(*bytes) : IniFile();
}

int IniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = HeaderName(lines_[i].text);
        if (name && SameName(*name, section)) return static_cast<int>(i);
    }
    return -1;
}

int IniFile::SectionEnd(int header) const {
    int i = header + 1;
    while (i < static_cast<int>(lines_.size()) && !HeaderName(lines_[i].text)) ++i;
    return i;
}

int IniFile::FindKey(int header, int end, std::string_view key) const {
    for (int i = header + 1; i < end; ++i) {
        const auto pair = KeyValue(lines_[i].text);
        if (pair && SameName(pair->first, key)) return i;
    }
    return -1;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    const int header = FindSection(section);
    if (header < 0) return std::nullopt;
    const int line = FindKey(header, SectionEnd(header), key);
    if (line < 0) return std::nullopt;
    return std::string(Trim(KeyValue(lines_[line].text)->second));
}

void IniFile::InsertLine(int position, std::string text) {
    // The line before may be a last line without an end of its own.
    if (position > 0 && lines_[position - 1].end.empty()) lines_[position - 1].end = newLineEnd_;
    lines_.insert(lines_.begin() + position, Line{std::move(text), newLineEnd_});
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string text = std::string(key) + "=" + std::string(value);
    const int header = FindSection(section);
    if (header < 0) {
        InsertLine(static_cast<int>(lines_.size()), "[" + std::string(section) + "]");
        InsertLine(static_cast<int>(lines_.size()), std::move(text));
        return;
    }
    const int end = SectionEnd(header);
    const int line = FindKey(header, end, key);
    if (line >= 0) {
        lines_[line].text = std::move(text);
        return;
    }
    // After the section's last line that holds anything, so blank lines
    // that part it from the next section stay where they are.
    int last = end - 1;
    while (last > header && Trim(lines_[last].text).empty()) --last;
    InsertLine(last + 1, std::move(text));
}

std::string IniFile::Serialize() const {
    std::string bytes;
    for (const Line& line : lines_) bytes += line.text + line.end;
    return bytes;
}

void IniFile::Save(const std::string& path) const { WriteFileAtomically(path, Serialize()); }

int ReadIniInteger(const std::optional<std::string>& value, int defaultValue) {
    if (!value) return defaultValue;
    std::string_view text = *value;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex) text.remove_prefix(2);
    if (!text.empty() && text.front() == '+' && !hex) text.remove_prefix(1);
    // from_chars takes a "-" of its own, which after "0x" or "+" would make
    // "0x-1" or "+-5" a number.
    const bool prefixed = text.size() < value->size();
    if (text.empty() || text.front() == '+' || (prefixed && text.front() == '-')) {
        return defaultValue;
    }
    const auto number = ParseInteger(text, hex ? 16 : 10);
    if (!number || *number < INT32_MIN || *number > INT32_MAX) return defaultValue;
    return static_cast<int>(*number);
}

}  // namespace quorvex
