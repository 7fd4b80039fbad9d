// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/SrImport.h"

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "db/DBUnit.h"
#include "db/FieldView.h"
#include "db/WholeFile.h"
#include "tools/FoodEncoder.h"
#include "tools/FoodOrder.h"
#include "tools/InvokingUser.h"
#include "tools/SrConverter.h"
#include "tools/StagedFolder.h"

namespace quorvex {

namespace {

namespace fs = std::filesystem;

constexpr char kFoodsFileName[] = "ArqIng.dad";
constexpr char kGroupsFileName[] = "ArqGruIng.dad";

constexpr const char* kInputNames[] = {"FOOD_DES.txt", "FD_GROUP.txt", "WEIGHT.txt", "NUT_DATA.txt",
                                       "NUTR_DEF.txt"};

std::string GroupsFile(const std::vector<std::string>& groupLines) {
    std::string file;
    for (const std::string& line : groupLines) file.append(line).append("\r\n");
    return file;
}

}  // namespace

ImportError RecordError(const std::string& path, long line, bool quotable,
                        const std::string& what) {
    const std::string where = path + ":" + std::to_string(line) + ": ";
    if (quotable) return ImportError(where + what);
    return ImportError(where +
                       "a bad record, not shown: the user who ran the import may not read this "
                       "file");
}

SrFiles ReadSrFiles(const std::string& srDirectory) {
    const auto pathOf = [&srDirectory](const char* name) {
        return (fs::path(srDirectory) / name).string();
    };
    std::vector<std::string> paths;
    for (const char* name : kInputNames) paths.push_back(pathOf(name));
    // Converting needs about twice the files' size again: what does not fit
    // is refused before a byte is read, instead of running into the
    // kernel's out-of-memory kill half-way.
    RequireMemoryForFiles(paths, 3);
    const auto read = [&](const char* name) {
        SrFile file{pathOf(name), {}};
        struct stat info {};
        try {
            file.bytes = ReadWholeFile(file.path, &info);
        } catch (const NotEnoughMemory&) {
            throw;
        } catch (const std::runtime_error&) {
            throw ImportError(file.path + ": cannot open the file");
        }
        file.quotable = InvokingUserMayRead(file.path, info);
        return file;
    };
    return SrFiles{read(kInputNames[0]), read(kInputNames[1]), read(kInputNames[2]),
                   read(kInputNames[3]), read(kInputNames[4])};
}

ImportedDatabase ConvertSr(const SrFiles& files, ProgressSink* progress) {
    return SrConverter(files, progress).Run();
}

std::string FoodsFileBytes(const ImportedDatabase& database) {
    std::string keys;
    for (std::uint32_t i = 0; i < database.foodLines.size(); ++i) {
        const std::string& line = database.foodLines[i];
        keys.append(LineKey(line).value_or(line));
        EndFoodKey(keys, i);
    }
    std::vector<std::string> ordered;
    ordered.reserve(database.foodLines.size());
    for (const std::uint32_t food : FoodsInTableOrder(keys))
        ordered.push_back(database.foodLines[food]);
    return EncodeFoodsFile(ordered);
}

std::string GroupsFileBytes(const ImportedDatabase& database) {
    return GroupsFile(database.groupLines);
}

void WriteImportedDatabase(const std::string& dadosDirectory, const ImportedDatabase& database) {
    WriteDatabaseFiles(dadosDirectory, FoodsFileBytes(database), database.groupLines);
}

void WriteDatabaseFiles(const std::string& dadosDirectory, std::string_view foodsFile,
                        const std::vector<std::string>& groupLines) {
    StagedFolder folder(dadosDirectory, {kFoodsFileName, kGroupsFileName});
    folder.Write(kFoodsFileName, foodsFile);
    folder.Write(kGroupsFileName, GroupsFile(groupLines));
    folder.Commit();
}

ImportedDatabase ImportSr(const std::string& srDirectory, const std::string& dadosDirectory,
                          ProgressSink* progress) {
    ImportedDatabase database = ConvertSr(ReadSrFiles(srDirectory), progress);
    WriteImportedDatabase(dadosDirectory, database);
    return database;
}

}  // namespace quorvex
