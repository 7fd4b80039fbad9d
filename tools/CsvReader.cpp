#include "tools/CsvReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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
    fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw ImportError(path + ": cannot open the file");
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
    throw ImportError(path_ + ":" + std::to_string(line_) + ": " + what);
}

void CsvReader::FailAt(int column, const std::string& what) const {
    std::string where = "column " + std::to_string(column + 1);
    if (column >= 0 && static_cast<std::size_t>(column) < header_.size()) {
        where += " " + Quoted(header_[static_cast<std::size_t>(column)]);
    }
    Fail(where + ": " + what);
}

bool CsvReader::Fill() {
    if (fd_ < 0 || atEof_) return false;
    if (start_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + start_, end_ - start_);
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
        bool complete = false;
        const std::size_t to = FindRecordEnd(start_, complete);
        if (!complete) {
            if (Fill()) continue;
            return false;
        }
        const std::size_t from = start_;
        start_ = to < end_ ? to + 1 : to;
        line_ = nextLine_++;
        if (to == from || (to == from + 1 && buffer_[from] == '\r')) continue;
        SplitRecord(from, to);
        nextLine_ += innerLineEnds_;
        return true;
    }
}

// The end (the LF, or the end of the bytes at the end of the file) of the
// record starting at from; complete is false when more bytes are needed.
std::size_t CsvReader::FindRecordEnd(std::size_t from, bool& complete) {
    const char* const data = buffer_.data();
    std::size_t i = from;
    bool fieldStart = true;
    while (i < end_) {
        const char c = data[i];
        if (fieldStart && c == '"') {
            const void* close = nullptr;
            std::size_t j = i + 1;
            for (;;) {
                close = std::memchr(data + j, '"', end_ - j);
                if (close == nullptr) break;
                j = static_cast<std::size_t>(static_cast<const char*>(close) - data) + 1;
                if (j < end_ && data[j] == '"') {
                    ++j;
                    continue;
                }
                if (j == end_ && !atEof_) close = nullptr;
                break;
            }
            if (close == nullptr) {
                if (atEof_ && end_ > from) {
                    line_ = nextLine_;
                    SplitRecord(from, i);
                    FailAt(FieldCount() - 1, "a quote that is never closed");
                }
                complete = false;
                return end_;
            }
            i = j;
            fieldStart = false;
            continue;
        }
        if (c == '\n') {
            complete = true;
            return i;
        }
        fieldStart = c == ',';
        ++i;
    }
    complete = atEof_ && end_ > from;
    return end_;
}

void CsvReader::SplitRecord(std::size_t from, std::size_t to) {
    if (to > from && buffer_[to - 1] == '\r') --to;
    fields_.clear();
    innerLineEnds_ = 0;
    std::size_t i = from;
    for (;;) {
        if (i < to && buffer_[i] == '"') {
            i = QuotedField(i, to);
        } else {
            std::size_t j = i;
            while (j < to && buffer_[j] != ',') ++j;
            fields_.emplace_back(buffer_.data() + i, j - i);
            i = j;
        }
        if (i >= to) return;
        if (buffer_[i] != ',') FailAt(FieldCount() - 1, "text after the closing quote");
        ++i;
        if (i == to) {
            fields_.emplace_back();
            return;
        }
    }
}

// Unquotes the field whose opening quote is at i, in place; returns the
// position after its closing quote (or to, for the field left open at the
// end of the file).
std::size_t CsvReader::QuotedField(std::size_t i, std::size_t to) {
    char* const data = buffer_.data();
    std::size_t read = i + 1;
    std::size_t write = i;
    for (;;) {
        const void* found = std::memchr(data + read, '"', to - read);
        const std::size_t quote =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - data) : to;
        innerLineEnds_ += std::count(data + read, data + quote, '\n');
        std::memmove(data + write, data + read, quote - read);
        write += quote - read;
        if (quote + 1 < to && data[quote + 1] == '"') {
            data[write++] = '"';
            read = quote + 2;
            continue;
        }
        fields_.emplace_back(data + i, write - i);
        return std::min(quote + 1, to);
    }
}

}  // namespace quorvex
