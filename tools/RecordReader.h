// SPDX-License-Identifier: GPL-3.0-or-later
// Walking the records of one of USDA's files.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "db/Lines.h"
#include "tools/ProgressMeter.h"
#include "tools/SrDecimal.h"
#include "tools/SrImport.h"

namespace quorvex {

inline constexpr int kMaxFields = 18;  // NUT_DATA, the widest record

// Text in double quotes, control bytes written \xNN so that a message
// never carries them to the terminal.
std::string Quoted(std::string_view text);

// Throws ImportError "<path>:<line>: <what>".
[[noreturn]] void FailAt(const SrFile& file, int line, const std::string& what);

// Walks the records of one file: each non-empty line is split on "^" into
// exactly the expected number of fields, each without its enclosing "~".
// Each line consumed advances the meter.
class RecordReader {
  public:
    // file and meter must outlive the reader; every record must have
    // fieldCount fields, at most kMaxFields.
    RecordReader(const SrFile& file, int fieldCount, ProgressMeter& meter)
        : file_(file), lines_(file.bytes), fieldCount_(fieldCount), meter_(meter) {}

    // Moves to the next record, skipping empty lines; false at the end of
    // the file. Throws ImportError for a wrong field count and for a UTF-8
    // byte-order mark at the start.
    bool Next();

    // Field i (from 0) of the record, without its enclosing "~"; a view
    // into the file.
    std::string_view Field(int i) const { return fields_[static_cast<std::size_t>(i)]; }
    int Line() const { return line_; }

    // Throws ImportError "<path>:<line>: <what>" for the current record.
    [[noreturn]] void Fail(const std::string& what) const { FailAt(file_, line_, what); }

    // Field i as a number; an unreadable one fails, naming name.
    Decimal Number(int i, const char* name) const;

    // Field i as a whole number written in digits alone, else fails.
    int Integer(int i, const char* name) const;

    // A key field (NDB_No, FdGrp_Cd): digits only, since anything else,
    // a bar or a NUL above all, would break the viewer's lines.
    std::string_view Key(int i, const char* name) const;

  private:
    std::string Unreadable(int i, const char* name) const;
    void Store(int k, std::string_view field);

    const SrFile& file_;
    LineWalker lines_;
    int fieldCount_;
    ProgressMeter& meter_;
    int line_ = 0;
    std::array<std::string_view, kMaxFields> fields_{};
};

}  // namespace quorvex
