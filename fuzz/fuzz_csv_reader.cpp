// SPDX-License-Identifier: GPL-3.0-or-later
// The CSV reader on any bytes: it reads records or refuses the file with a
// message naming it, and every record it gives can be written back in CSV
// form and read again to the same fields, or, leaving all but the first
// column unread, to the same first fields.
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "tools/CsvReader.h"
#include "tools/SrImport.h"

using namespace quorvex;

namespace {

using Records = std::vector<std::vector<std::string>>;

// The header and records of bytes; false when the reader refuses them.
bool ReadAll(const std::string& bytes, Records& records, int skipFrom = -1) {
    try {
        CsvReader csv("in.csv", bytes);
        if (skipFrom >= 0) csv.SkipColumnsFrom(skipFrom);
        records.clear();
        while (csv.Next()) {
            records.emplace_back();
            const int count = skipFrom >= 0 ? 1 : csv.FieldCount();
            for (int i = 0; i < count; ++i) records.back().emplace_back(csv.Field(i));
            fuzz::Require(csv.Line() >= 2, "records start below the header");
        }
        return true;
    } catch (const ImportError& error) {
        fuzz::Require(std::string(error.what()).rfind("in.csv", 0) == 0, "messages name the file");
        return false;
    }
}

std::string Written(const Records& records) {
    std::string bytes = "\"h\"\n";
    for (const auto& fields : records) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            bytes += i == 0 ? "\"" : ",\"";
            for (const char c : fields[i])
                bytes += c == '"' ? std::string("\"\"") : std::string(1, c);
            bytes += '"';
        }
        bytes += "\n";
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Records records;
    if (!ReadAll(std::string(reinterpret_cast<const char*>(data), size), records)) return 0;
    Records again;
    fuzz::Require(ReadAll(Written(records), again), "written records are read back");
    fuzz::Require(again == records, "written records read back to the same fields");
    Records firsts;
    fuzz::Require(ReadAll(Written(records), firsts, 1) && firsts.size() == records.size(),
                  "records whose later columns are left unread are found all the same");
    for (std::size_t i = 0; i < records.size(); ++i) {
        fuzz::Require(firsts[i].front() == records[i].front(), "their first fields are read");
    }
    return 0;
}
