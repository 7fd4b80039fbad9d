// SPDX-License-Identifier: GPL-3.0-or-later
// Reading comma-separated files record by record (RFC 4180), without ever
// holding a whole file: the files of a FoodData Central download reach
// gigabytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

class ProgressMeter;

// Streams the records of one file. The first record is the header; fields
// are then asked for by column, found by the header's names, since USDA
// adds and moves columns between releases.
//
// Grammar: records end at LF or CR LF (empty lines are skipped); fields are
// separated by ","; a field that starts with a double quote runs to the
// next lone double quote and may hold commas, line breaks and doubled
// quotes ("" stands for one quote); a quote inside an unquoted field is
// kept as it is. A UTF-8 byte-order mark before the header is skipped.
class CsvReader {
  public:
    // Opens path, which must be a regular file (a link to one is followed),
    // and reads its header. Throws ImportError "<path>: cannot open the
    // file" when it cannot be read, and as Next does. meter, when given,
    // must outlive the reader; it advances by the bytes read. Messages
    // quote the file's text only where the user who ran the program may
    // read it (InvokingUserMayRead).
    explicit CsvReader(const std::string& path, ProgressMeter* meter = nullptr);
    // The same over bytes in memory; path is what messages name.
    CsvReader(const std::string& path, std::string_view bytes);
    ~CsvReader();
    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    // The column of the first of names that the header holds, -1 when it
    // holds none of them.
    int Column(std::initializer_list<std::string_view> names) const;
    // The same, but a header without any of them throws ImportError
    // "<path>:1: no column "<first name>"".
    int Require(std::initializer_list<std::string_view> names) const;

    // Leaves the fields from column on unread (Field gives them empty):
    // their record's end is still found, but their quoting is not checked.
    // For files whose many records carry columns that are not needed.
    void SkipColumnsFrom(int column) { skipFrom_ = static_cast<std::size_t>(column); }

    // Moves to the next record; false at the end of the file. Throws
    // ImportError for a quote left open at the end of the file, for text
    // after a closing quote, and for a read error.
    bool Next();

    // Field `column` of the record, unquoted; empty past the record's end or
    // for a column of -1. Valid until the next call of Next.
    std::string_view Field(int column) const;
    // The record's number of fields.
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    // The 1-based line on which the record starts (or the record that
    // could not be read). Reads the file again up to there: for messages.
    long Line() const;
    const std::string& Path() const { return path_; }

    // Throws ImportError "<path>:<line>: <what>".
    [[noreturn]] void Fail(const std::string& what) const;
    // Throws ImportError "<path>:<line>: column <n> "<name>": <what>".
    [[noreturn]] void FailAt(int column, const std::string& what) const;

  private:
    void ReadHeader();
    bool Fill();
    struct FieldSpan {
        std::size_t begin;
        std::size_t end;
        bool quoted;
        bool escaped;  // holds doubled quotes
    };
    bool ScanRecord(std::size_t from, std::size_t& to);
    bool ScanQuoted(std::size_t i, FieldSpan& field);
    bool SkipRest(std::size_t i, std::size_t& to);
    void MakeFields(std::size_t to);

    std::string path_;
    int fd_ = -1;
    bool quotable_ = true;
    ProgressMeter* meter_ = nullptr;
    std::string buffer_;
    std::size_t start_ = 0;  // first byte not yet consumed
    std::size_t end_ = 0;    // end of the bytes read
    bool atEof_ = false;
    std::uint64_t bufferOffset_ = 0;  // of buffer_[0] in the file
    std::uint64_t recordOffset_ = 0;  // of the current record in the file
    std::size_t skipFrom_ = static_cast<std::size_t>(-1);
    std::vector<FieldSpan> spans_;
    std::vector<std::string_view> fields_;
    std::vector<std::string> header_;
};

}  // namespace quorvex
