// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/RecordReader.h"

#include <charconv>
#include <cstdio>
#include <optional>

namespace quorvex {

std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            quoted += c;
            continue;
        }
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        quoted += escaped;
    }
    return quoted + "\"";
}

[[noreturn]] void FailAt(const SrFile& file, int line, const std::string& what) {
    throw RecordError(file.path, line, file.quotable, what);
}

bool RecordReader::Next() {
    // USDA's records end as the data files' lines do: "~" encloses a text
    // but never a line end, so a record is one line. A NUL stays in its
    // field, where a key or a text refuses it, rather than ending the file.
    while (const std::optional<LineView> line = lines_.Next()) {
        ++line_;
        if (line_ == 1 && line->text.starts_with("\xEF\xBB\xBF")) {
            Fail("a UTF-8 byte-order mark; the files must be Windows-1252 text");
        }
        int count = 0;
        std::size_t fieldStart = 0;
        for (std::size_t i = 0; i < line->text.size(); ++i) {
            if (line->text[i] != '^') continue;
            Store(count++, line->text.substr(fieldStart, i - fieldStart));
            fieldStart = i + 1;
        }
        Store(count++, line->text.substr(fieldStart));
        meter_.Advance(line->text.size() + line->end.size());
        if (line->text.empty()) continue;
        if (count != fieldCount_) {
            Fail("expected " + std::to_string(fieldCount_) + " fields, found " +
                 std::to_string(count));
        }
        return true;
    }
    return false;
}

Decimal RecordReader::Number(int i, const char* name) const {
    const std::optional<Decimal> value = ParseDecimal(Field(i));
    if (!value) Fail(Unreadable(i, name));
    return *value;
}

int RecordReader::Integer(int i, const char* name) const {
    const std::string_view text = Field(i);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (!IsDigits(text) || error != std::errc() || end != text.data() + text.size()) {
        Fail(Unreadable(i, name));
    }
    return value;
}

std::string_view RecordReader::Key(int i, const char* name) const {
    if (!IsDigits(Field(i))) Fail(name + (" " + Quoted(Field(i))) + " is not a string of digits");
    return Field(i);
}

std::string RecordReader::Unreadable(int i, const char* name) const {
    return "unreadable number " + Quoted(Field(i)) + " in " + name;
}

void RecordReader::Store(int k, std::string_view field) {
    if (k >= fieldCount_) return;
    if (field.size() >= 2 && field.front() == '~' && field.back() == '~') {
        field = field.substr(1, field.size() - 2);
    }
    fields_[static_cast<std::size_t>(k)] = field;
}

}  // namespace quorvex
