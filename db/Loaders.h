// SPDX-License-Identifier: GPL-3.0-or-later
// The loaders of the food and group tables and field access by line.
#pragma once

#include <memory>
#include <string>

#include "db/Progress.h"
#include "db/TextList.h"

namespace quorvex {

// Reads the foods file, decodes each line with its file position while the
// sink shows the percentage, sorts the table and builds the key index
// (field 1 and its bar for every line); the sink is ended once the table is
// sorted. Table and index are views over the file's decoded bytes, which
// they share. Absent tables are created, present ones replaced in place.
// If the file cannot be opened, throws std::runtime_error "Cannot open file
// <path>" with the table emptied, the index untouched and the sink never
// begun. Running out of memory throws std::runtime_error "Not enough memory
// to read file <path>".
void LoadFoodTable(const std::string& path, std::unique_ptr<LoadedTable>& table,
                   std::unique_ptr<LoadedTable>& index, ProgressSink& progress);

// Reads the groups file (plain), sorts it and builds the code index (field
// 1 without its bar). Same error rules as LoadFoodTable.
void LoadGroupTable(const std::string& path, std::unique_ptr<LoadedTable>& table,
                    std::unique_ptr<LoadedTable>& index);

// Field n of line i of table; "Erro! Codigo não existe!" (Windows-1252) for
// every n when i < 0. Throws like TextTable::Get when i >= Count().
std::string GetItemField(const TextTable& table, int i, int n);

// The text GetItemField gives for a negative line index.
extern const char* const kNoSuchCodeText;

}  // namespace quorvex
