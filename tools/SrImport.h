// SPDX-License-Identifier: GPL-3.0-or-later
// Turning USDA's Standard Reference ASCII files into the viewer's two data
// files. Used by the import-sr tool, its tests and its benchmark; never part
// of the viewer.
//
// Input: FOOD_DES.txt, FD_GROUP.txt, WEIGHT.txt, NUT_DATA.txt and
// NUTR_DEF.txt, one record a line (CR LF, LF or CR), fields separated by
// "^", texts enclosed in "~", Windows-1252 bytes kept as they are. Empty
// lines are skipped. Numbers are converted as decimal text, never through
// a binary float: nutrient values get NUTR_DEF's Num_Dec decimals (three
// more where divided by 1000), Refuse is rounded to a whole number, halves
// away from zero; an empty Nutr_Val leaves its field empty.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tools/ProgressMeter.h"

namespace quorvex {

class ProgressSink;

// A fault in the USDA input. The message names the file and, for a bad
// record, its 1-based line: "<path>:<line>: <what>".
class ImportError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The failure at a bad record: "<path>:<line>: <what>", or, where the file
// is not quotable, the place alone, since what may quote its text.
ImportError RecordError(const std::string& path, long line, bool quotable, const std::string& what);

// One input file read whole; path is what messages name. Messages quote
// its text only when quotable: not where root read it for a user who may
// not read it (InvokingUserMayRead).
struct SrFile {
    std::string path;
    std::string bytes;
    bool quotable = true;
};

struct SrFiles {
    SrFile foods;           // FOOD_DES.txt
    SrFile groups;          // FD_GROUP.txt
    SrFile weights;         // WEIGHT.txt
    SrFile nutrientValues;  // NUT_DATA.txt
    SrFile nutrients;       // NUTR_DEF.txt
};

struct ImportCounts {
    int foods = 0;
    int groups = 0;
    long values = 0;       // non-empty nutrient fields written
    int weights = 0;       // household weight items written
    int replacements = 0;  // "|" turned into "/" and "~" into "-"
    int renamedFoods = 0;  // descriptions given " (NDB <NDB_No>)"
};

// The viewer's database in plain form.
struct ImportedDatabase {
    std::vector<std::string> foodLines;   // 43 fields each, FOOD_DES order (written in table order)
    std::vector<std::string> groupLines;  // "code|name", FD_GROUP order
    ImportCounts counts;
};

// Reads the five files from srDirectory, never opening anything but a
// regular file (a link to one is followed). Throws ImportError naming the
// first file that cannot be read, and NotEnoughMemory naming the largest
// file when the five with what converting them takes (about twice their
// size again) do not fit in UsableMemory(), before reading any.
SrFiles ReadSrFiles(const std::string& srDirectory);

// Converts the files. Throws ImportError at the first bad record: wrong
// field count, unreadable number, a key (NDB_No, Nutr_No, FdGrp_Cd) that is
// not a string of digits, a UTF-8 byte-order mark, value or weight for an
// unknown food, food in an unknown group, a repeated key, a text that
// cannot be stored; the message quotes no text of a file that is not
// quotable. Running out of memory throws std::bad_alloc. When
// progress is given and the input is long it is shown with maximum 100 and
// the percentage of bytes converted, and closed again, also on failure.
ImportedDatabase ConvertSr(const SrFiles& files, ProgressSink* progress = nullptr);

// The stored foods file, its lines in the viewer's table order
// (FoodsInTableOrder) and each scrambled by its place there, and the plain
// groups file, both with CR LF line ends.
std::string FoodsFileBytes(const ImportedDatabase& database);
std::string GroupsFileBytes(const ImportedDatabase& database);

// Writes ArqIng.dad and ArqGruIng.dad into dadosDirectory, creating it when
// missing, as one unit: the new pair is prepared in a folder beside it and
// exchanged with it in one step (StagedFolder), so a failure or a kill at
// any moment leaves either the old pair or the new one. The files keep
// the permission bits of those they replace. Throws std::runtime_error on
// failure.
void WriteImportedDatabase(const std::string& dadosDirectory, const ImportedDatabase& database);

// The same for a stored foods file and group lines made elsewhere.
void WriteDatabaseFiles(const std::string& dadosDirectory, std::string_view foodsFile,
                        const std::vector<std::string>& groupLines);

// ReadSrFiles, ConvertSr and WriteImportedDatabase in turn; nothing is
// written when reading or converting fails.
ImportedDatabase ImportSr(const std::string& srDirectory, const std::string& dadosDirectory,
                          ProgressSink* progress = nullptr);

}  // namespace quorvex
