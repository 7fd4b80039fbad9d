// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/FdcDownload.h"

#include <iconv.h>

#include <map>
#include <optional>
#include <stdexcept>

#include "db/WholeFile.h"

#include "tools/Nutrients.h"
#include "tools/ProgressMeter.h"
#include "tools/RecordReader.h"
#include "tools/SrDecimal.h"
#include "tools/SrImport.h"

namespace quorvex::test {

namespace {

struct FileLayout {
    const char* name;
    std::vector<std::string> columns;
};

const std::array<FileLayout, kFdcFileCount>& Layouts() {
    static const std::array<FileLayout, kFdcFileCount> layouts = {{
        {"food.csv",
         {"fdc_id", "data_type", "description", "food_category_id", "publication_date"}},
        {"food_category.csv", {"id", "code", "description"}},
        {"food_nutrient.csv",
         {"id", "fdc_id", "nutrient_id", "amount", "data_points", "derivation_id", "min", "max",
          "median", "footnote", "min_year_acquired"}},
        {"food_portion.csv",
         {"id", "fdc_id", "seq_num", "amount", "measure_unit_id", "portion_description", "modifier",
          "gram_weight", "data_points", "footnote", "min_year_acquired"}},
        {"measure_unit.csv", {"id", "name"}},
        {"food_attribute.csv",
         {"id", "fdc_id", "seq_num", "food_attribute_type_id", "name", "value"}},
        {"branded_food.csv",
         {"fdc_id",
          "brand_owner",
          "brand_name",
          "subbrand_name",
          "gtin_upc",
          "ingredients",
          "not_a_significant_source_of",
          "serving_size",
          "serving_size_unit",
          "household_serving_fulltext",
          "branded_food_category",
          "data_source",
          "package_weight",
          "modified_date",
          "available_date",
          "market_country",
          "discontinued_date",
          "preparation_state_code",
          "trade_channel",
          "short_description"}},
        {"survey_fndds_food.csv",
         {"fdc_id", "food_code", "wweia_category_code", "start_date", "end_date"}},
        {"wweia_food_category.csv", {"wweia_food_category", "wweia_food_category_description"}},
    }};
    return layouts;
}

std::string Utf8(std::string_view windows1252) {
    iconv_t convert = iconv_open("UTF-8", "CP1252");
    if (convert == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no CP1252 converter");
    std::string in(windows1252), out(in.size() * 3 + 1, '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t left = in.size(), room = out.size();
    const std::size_t done = iconv(convert, &from, &left, &to, &room);
    iconv_close(convert);
    if (done == static_cast<std::size_t>(-1)) throw std::runtime_error("not CP1252: " + in);
    out.resize(out.size() - room);
    return out;
}

std::string Shortest(std::string_view number) {
    const std::optional<Decimal> value = ParseDecimal(number);
    if (!value) return std::string(number);
    std::string text;
    AppendTrimmed(*value, text);
    return text;
}

// The FoodData Central id of an SR nutrient number: the report's own, and
// numbers far from any real id for the rest.
std::string FdcNutrientId(std::string_view number) {
    const int sr = std::stoi(std::string(number));
    if (sr == kVitaminDMicrogramNumber) return std::to_string(kVitaminDMicrogramFdcId);
    const int column = ColumnOfNumber(sr);
    return std::to_string(column < 0 ? 3000 + sr
                                     : kNutrientColumns[static_cast<std::size_t>(column)].fdcId);
}

// Calls row for every record of one SR28 file.
template <class Row>
void ForEachRecord(const std::string& path, int fields, Row row) {
    const SrFile file{path, ReadWholeFile(path)};
    ProgressMeter meter(nullptr, 0);
    RecordReader record(file, fields, meter);
    while (record.Next()) row(record);
}

}  // namespace

const char* FdcFileName(FdcFile file) { return Layouts()[static_cast<std::size_t>(file)].name; }

const std::string& FdcHeader(FdcFile file) {
    static const auto headers = [] {
        std::array<std::string, kFdcFileCount> all;
        for (std::size_t i = 0; i < all.size(); ++i) all[i] = CsvRecord(Layouts()[i].columns);
        return all;
    }();
    return headers[static_cast<std::size_t>(file)];
}

std::string CsvRecord(const std::vector<std::string>& fields) {
    std::string record;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        record += i == 0 ? "\"" : ",\"";
        for (const char c : fields[i]) record += c == '"' ? "\"\"" : std::string(1, c);
        record += '"';
    }
    return record + "\n";
}

FdcDownloadWriter::FdcDownloadWriter(const std::string& directory) {
    for (int i = 0; i < kFdcFileCount; ++i) {
        const auto file = static_cast<FdcFile>(i);
        files_[static_cast<std::size_t>(i)] =
            std::fopen((directory + FdcFileName(file)).c_str(), "w");
        if (files_[static_cast<std::size_t>(i)] == nullptr)
            throw std::runtime_error("cannot write " + directory);
        std::fputs(FdcHeader(file).c_str(), files_[static_cast<std::size_t>(i)]);
    }
}

FdcDownloadWriter::~FdcDownloadWriter() {
    for (std::FILE* file : files_) std::fclose(file);
}

void FdcDownloadWriter::Add(FdcFile file, const std::vector<std::string>& fields) {
    AddRecord(file, CsvRecord(fields));
}

void FdcDownloadWriter::AddRecord(FdcFile file, std::string_view record) {
    std::fwrite(record.data(), 1, record.size(), files_[static_cast<std::size_t>(file)]);
}

int AddSr28(FdcDownloadWriter& writer, const std::string& sr28Directory) {
    std::map<std::string, std::string> categoryOf;  // FdGrp_Cd -> id
    ForEachRecord(sr28Directory + "FD_GROUP.txt", 2, [&](const RecordReader& r) {
        const std::string id = std::to_string(categoryOf.size() + 1);
        categoryOf[std::string(r.Field(0))] = id;
        writer.Add(kFoodCategoryCsv, {id, std::string(r.Field(0)), Utf8(r.Field(1))});
    });
    writer.Add(kMeasureUnitCsv, {"9999", "undetermined"});
    std::map<std::string, std::string> idOf;  // NDB_No -> fdc_id
    ForEachRecord(sr28Directory + "FOOD_DES.txt", 14, [&](const RecordReader& r) {
        const std::string id = std::to_string(Sr28FdcId(static_cast<int>(idOf.size())));
        idOf[std::string(r.Field(0))] = id;
        writer.Add(kFoodCsv, {id, "sr_legacy_food", Utf8(r.Field(2)),
                              categoryOf.at(std::string(r.Field(1))), "2019-04-01"});
        if (r.Field(4).empty()) return;
        writer.Add(kFoodAttributeCsv, {id, id, "1", "1000", "Common Name", Utf8(r.Field(4))});
    });
    long row = 0;
    ForEachRecord(sr28Directory + "WEIGHT.txt", 7, [&](const RecordReader& r) {
        writer.Add(kFoodPortionCsv, {std::to_string(++row), idOf.at(std::string(r.Field(0))),
                                     std::string(r.Field(1)), Shortest(r.Field(2)), "9999", "",
                                     Utf8(r.Field(3)), Shortest(r.Field(4)), "", "", ""});
    });
    ForEachRecord(sr28Directory + "NUT_DATA.txt", 18, [&](const RecordReader& r) {
        writer.Add(kFoodNutrientCsv,
                   {std::to_string(++row), idOf.at(std::string(r.Field(0))),
                    FdcNutrientId(r.Field(1)), Shortest(r.Field(2)), "", "", "", "", "", "", ""});
    });
    return static_cast<int>(idOf.size());
}

}  // namespace quorvex::test
