#include "tools/SrImport.h"

#include <filesystem>

#include "db/DBUnit.h"
#include "tools/FoodEncoder.h"
#include "tools/SrConverter.h"
#include "tools/StagedFolder.h"

namespace quorvex {

namespace {

namespace fs = std::filesystem;

constexpr char kFoodsFileName[] = "ArqIng.dad";
constexpr char kGroupsFileName[] = "ArqGruIng.dad";

}  // namespace

SrFiles ReadSrFiles(const std::string& srDirectory) {
    const auto read = [&](const char* name) {
        SrFile file{(fs::path(srDirectory) / name).string(), {}};
        try {
            file.bytes = ReadWholeFile(file.path);
        } catch (const NotEnoughMemory&) {
            throw;
        } catch (const std::runtime_error&) {
            throw ImportError(file.path + ": cannot open the file");
        }
        return file;
    };
    return SrFiles{read("FOOD_DES.txt"), read("FD_GROUP.txt"), read("WEIGHT.txt"),
                   read("NUT_DATA.txt"), read("NUTR_DEF.txt")};
}

ImportedDatabase ConvertSr(const SrFiles& files, ProgressSink* progress) {
    return SrConverter(files, progress).Run();
}

std::string FoodsFileBytes(const ImportedDatabase& database) {
    return EncodeFoodsFile(database.foodLines);
}

std::string GroupsFileBytes(const ImportedDatabase& database) {
    std::string file;
    for (const std::string& line : database.groupLines) file.append(line).append("\r\n");
    return file;
}

void WriteImportedDatabase(const std::string& dadosDirectory, const ImportedDatabase& database) {
    StagedFolder folder(dadosDirectory, {kFoodsFileName, kGroupsFileName});
    folder.Write(kFoodsFileName, FoodsFileBytes(database));
    folder.Write(kGroupsFileName, GroupsFileBytes(database));
    folder.Commit();
}

ImportedDatabase ImportSr(const std::string& srDirectory, const std::string& dadosDirectory,
                          ProgressSink* progress) {
    ImportedDatabase database = ConvertSr(ReadSrFiles(srDirectory), progress);
    WriteImportedDatabase(dadosDirectory, database);
    return database;
}

}  // namespace quorvex
