// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CsvReader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "db/WholeFile.h"
#include "tools/InvokingUser.h"
#include "tools/ProgressMeter.h"
#include "tools/RecordReader.h"
#include "tools/SrImport.h"

namespace quorvex {

namespace {

constexpr std::size_t kFirstBufferBytes = 1 << 20;

// Reads up to size bytes, retrying after a signal; -1 on a read error.
long ReadSome(int fd, char* into, std::size_t size) {
    for (;;) {
        const ssize_t got = read(fd, into, size);
        if (got >= 0 || errno != EINTR) return static_cast<long>(got);
    }
}

}  // namespace

CsvReader::CsvReader(const std::string& path, ProgressMeter* meter) : path_(path), meter_(meter) {
    struct stat info {};
    fd_ = OpenRegularFile(path, true, info);
    if (fd_ < 0) throw ImportError(path + ": cannot open the file");
    quotable_ = InvokingUserMayRead(path, info);
    buffer_.resize(kFirstBufferBytes);
    while (end_ < 3 && Fill()) {
    }
    ReadHeader();
}

CsvReader::CsvReader(const std::string& path, std::string_view bytes)
    : path_(path), buffer_(bytes), end_(bytes.size()), atEof_(true) {
    ReadHeader();
}

void CsvReader::ReadHeader() {
    if (std::string_view(buffer_.data(), end_).substr(0, 3) == "\xEF\xBB\xBF") start_ = 3;
    if (!Next()) throw ImportError(path_ + ": no header line");
    header_.assign(fields_.begin(), fields_.end());
}

CsvReader::~CsvReader() {
    if (fd_ >= 0) close(fd_);
}

int CsvReader::Column(std::initializer_list<std::string_view> names) const {
    for (const std::string_view name : names) {
        for (std::size_t i = 0; i < header_.size(); ++i) {
            if (header_[i] == name) return static_cast<int>(i);
        }
    }
    return -1;
}

int CsvReader::Require(std::initializer_list<std::string_view> names) const {
    const int column = Column(names);
    if (column < 0) {
        throw ImportError(path_ + ":1: no column " + Quoted(*names.begin()));
    }
    return column;
}

std::string_view CsvReader::Field(int column) const {
    if (column < 0 || column >= FieldCount()) return {};
    return fields_[static_cast<std::size_t>(column)];
}

void CsvReader::Fail(const std::string& what) const {
    throw RecordError(path_, Line(), quotable_, what);
}

void CsvReader::FailAt(int column, const std::string& what) const {
    std::string where = "column " + std::to_string(column + 1);
    if (column >= 0 && static_cast<std::size_t>(column) < header_.size()) {
        where += " " + Quoted(header_[static_cast<std::size_t>(column)]);
    }
    Fail(where + ": " + what);
}

// Counted only when asked, which is for a message: counting every record's
// line breaks as it is read would cost more than splitting it.
long CsvReader::Line() const {
    long lineEnds = 0;
    if (fd_ < 0) {
        lineEnds = std::count(buffer_.data(), buffer_.data() + recordOffset_, '\n');
    } else {
        std::string chunk(kFirstBufferBytes, '\0');
        for (std::uint64_t at = 0; at < recordOffset_;) {
            const ssize_t got =
                pread(fd_, chunk.data(), std::min<std::uint64_t>(chunk.size(), recordOffset_ - at),
                      static_cast<off_t>(at));
            if (got <= 0) break;
            lineEnds += std::count(chunk.data(), chunk.data() + got, '\n');
            at += static_cast<std::uint64_t>(got);
        }
    }
    return lineEnds + 1;
}

bool CsvReader::Fill() {
    if (fd_ < 0 || atEof_) return false;
    if (start_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + start_, end_ - start_);
        bufferOffset_ += start_;
        end_ -= start_;
        start_ = 0;
    }
    if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
    const long got = ReadSome(fd_, buffer_.data() + end_, buffer_.size() - end_);
    if (got < 0) throw ImportError(path_ + ": cannot read the file: " + std::strerror(errno));
    if (got == 0) atEof_ = true;
    end_ += static_cast<std::size_t>(got);
    if (meter_ != nullptr) meter_->Advance(static_cast<std::size_t>(got));
    return true;
}

bool CsvReader::Next() {
    for (;;) {
        std::size_t to = 0;
        if (start_ >= end_ && atEof_) return false;
        if (!ScanRecord(start_, to)) {
            if (Fill()) continue;
            return false;
        }
        const std::size_t from = start_;
        start_ = to < end_ ? to + 1 : to;
        if (to == from || (to == from + 1 && buffer_[from] == '\r')) continue;
        MakeFields(to);
        return true;
    }
}

// Finds the fields of the record at from (into spans_) and its end (the
// LF, or the end of the bytes at the end of the file); false when more
// bytes are needed.
bool CsvReader::ScanRecord(std::size_t from, std::size_t& to) {
    const char* const data = buffer_.data();
    spans_.clear();
    recordOffset_ = bufferOffset_ + from;
    std::size_t i = from;
    for (;;) {
        FieldSpan field{i, i, false, false};
        if (i < end_ && data[i] == '"') {
            if (!ScanQuoted(i, field)) return false;
            i = field.end + 1;
            if (i + 1 < end_ && data[i] == '\r' && data[i + 1] == '\n') ++i;
            if (i + 1 == end_ && data[i] == '\r' && !atEof_) return false;
        } else {
            while (i < end_ && data[i] != ',' && data[i] != '\n') ++i;
            field.end = i;
        }
        spans_.push_back(field);
        if (i >= end_) {
            to = end_;
            return atEof_;
        }
        if (data[i] == '\n') {
            to = i;
            return true;
        }
        if (data[i] != ',') {
            if (i + 1 == end_ && data[i] == '\r') {
                to = end_;
                return true;
            }
            FailAt(static_cast<int>(spans_.size()) - 1, "text after the closing quote");
        }
        ++i;
        if (spans_.size() == skipFrom_) return SkipRest(i, to);
    }
}

// Finds the end of a record whose fields from i on are not wanted: the
// first LF after an even number of quotes, since a line break inside a
// quoted field follows an odd number of them.
bool CsvReader::SkipRest(std::size_t i, std::size_t& to) {
    const char* const data = buffer_.data();
    std::size_t quotes = 0;
    for (;;) {
        const void* found = std::memchr(data + i, '\n', end_ - i);
        const std::size_t lineEnd =
            found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - data)
                             : end_;
        quotes += static_cast<std::size_t>(std::count(data + i, data + lineEnd, '"'));
        if (found == nullptr) {
            if (!atEof_) return false;
            if (quotes % 2 != 0)
                FailAt(static_cast<int>(skipFrom_), "a quote that is never closed");
            to = end_;
            return true;
        }
        if (quotes % 2 == 0) {
            to = lineEnd;
            return true;
        }
        i = lineEnd + 1;
    }
}

// Finds the closing quote of the field whose opening quote is at i; false
// when more bytes are needed.
bool CsvReader::ScanQuoted(std::size_t i, FieldSpan& field) {
    const char* const data = buffer_.data();
    std::size_t j = i + 1;
    for (;;) {
        // Most fields are short: a plain loop finds their end sooner than
        // a call does; memchr takes over for long ones.
        const std::size_t near = std::min(end_, j + 32);
        while (j < near && data[j] != '"') ++j;
        const void* quote = j < near ? data + j : std::memchr(data + j, '"', end_ - j);
        if (quote == nullptr) {
            if (!atEof_) return false;
            FailAt(static_cast<int>(spans_.size()), "a quote that is never closed");
        }
        j = static_cast<std::size_t>(static_cast<const char*>(quote) - data);
        if (j + 1 == end_ && !atEof_) return false;  // "" or the end: the next byte tells
        if (j + 1 < end_ && data[j + 1] == '"') {
            field.escaped = true;
            j += 2;
            continue;
        }
        field.begin = i + 1;
        field.end = j;
        field.quoted = true;
        return true;
    }
}

// The fields of the scanned record that ends at to, unquoted in place.
void CsvReader::MakeFields(std::size_t to) {
    char* const data = buffer_.data();
    fields_.clear();
    for (FieldSpan& field : spans_) {
        if (!field.quoted && field.end == to && field.end > field.begin && data[to - 1] == '\r') {
            --field.end;
        }
        if (field.escaped) {
            std::size_t write = field.begin;
            for (std::size_t read = field.begin; read < field.end; ++read) {
                data[write++] = data[read];
                if (data[read] == '"') ++read;
            }
            // Blanks where the doubled quotes were, so that no line break
            // is counted twice by Line.
            std::fill(data + write, data + field.end, ' ');
            field.end = write;
        }
        fields_.emplace_back(data + field.begin, field.end - field.begin);
    }
}

}  // namespace quorvex
