// Shared test helpers: temporary folders, file bytes and made-up food lines.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace quorvex::test {

// A fresh folder under the system's temporary directory, removed with
// everything in it when the object goes. Path() ends with "/".
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// A plain food line of exactly 43 fields: field 1 is description, the
// others empty unless given in fields (field number -> text).
std::string MakeFoodLine(const std::string& description,
                         const std::map<int, std::string>& fields = {});

// Writes the stored (scrambled) foods file for these plain lines.
void WriteStoredFoods(const std::string& path, const std::vector<std::string>& plainLines);

// Lays out an application folder: dir/Dados/ArqIng.dad (stored) and
// dir/Dados/ArqGruIng.dad (plain, one "code|name" line each).
void WriteDatabase(const std::string& applicationDirectory,
                   const std::vector<std::string>& plainFoodLines,
                   const std::vector<std::string>& groupLines);

}  // namespace quorvex::test
