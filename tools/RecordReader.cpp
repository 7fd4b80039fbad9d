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
    throw ImportError(file.path + ":" + std::to_string(line) + ": " + what);
}

bool RecordReader::Next() {
    while (position_ < text_.size()) {
        ++line_;
        const std::size_t start = position_;
        if (start == 0 && text_.substr(0, 3) == "\xEF\xBB\xBF") {
            Fail("a UTF-8 byte-order mark; the files must be Windows-1252 text");
        }
        int count = 0;
        std::size_t fieldStart = start;
        std::size_t i = start;
        for (; i < text_.size() && text_[i] != '\r' && text_[i] != '\n'; ++i) {
            if (text_[i] != '^') continue;
            Store(count++, fieldStart, i);
            fieldStart = i + 1;
        }
        Store(count++, fieldStart, i);
        position_ = PastLineEnd(i);
        meter_.Advance(position_ - start);
        if (i == start) continue;
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

void RecordReader::Store(int k, std::size_t from, std::size_t to) {
    if (k >= fieldCount_) return;
    std::string_view field = text_.substr(from, to - from);
    if (field.size() >= 2 && field.front() == '~' && field.back() == '~') {
        field = field.substr(1, field.size() - 2);
    }
    fields_[static_cast<std::size_t>(k)] = field;
}

std::size_t RecordReader::PastLineEnd(std::size_t i) const {
    if (i >= text_.size()) return i;
    const bool crLf = text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n';
    return i + (crLf ? 2 : 1);
}

}  // namespace quorvex
