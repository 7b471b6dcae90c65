#pragma once
// The workbook stream of an Excel 97-2003 file (BIFF8): worksheets with a header row of column
// names and rows of text and number cells. Pure and in memory; CExcelWriter puts the stream
// into its file.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "export/le_append.h"

namespace vardo {

struct ExcelColumn {
    std::string name;   // UTF-8, also the header cell
    int decimals = -1;  // -1: a text column; else numbers shown with that many decimals
    int width = 0;      // in characters; 0 leaves the sheet's default
};

// A text column takes text, a number column number.
struct ExcelCell {
    std::string_view text;
    double number = 0;
};

class BiffWorkbook {
  public:
    static constexpr int kMaxRows = 65536;  // the header row and 65535 rows of data
    static constexpr int kMaxColumns = 256;
    static constexpr int kMaxSheets = 4096;
    static constexpr std::size_t kMaxTextUnits = 4096;

    // Starts a new worksheet whose first row holds the column names. 0 when the name or the
    // columns do not fit the format.
    int AddSheet(std::string_view name, std::span<const ExcelColumn> columns);
    // Appends a row to the newest sheet, one cell per column. 0 when the sheet is full, a text
    // is too long or the cell count is wrong.
    int AddRow(std::span<const ExcelCell> cells);
    // The whole stream: workbook globals, then the sheets. Call once, after the last row.
    Bytes Finish();

  private:
    struct Sheet {
        std::string name;
        std::vector<int> xfs;  // per column
        std::vector<int> widths;
        int rows = 0;
        Bytes body;                           // row blocks, each ending in its DBCELL record
        std::vector<std::uint32_t> dbcells;   // offsets of the DBCELL records in body
        Bytes block;                          // cells of the rows of the unfinished block
        std::vector<std::uint16_t> rowCells;  // their sizes, one per row
    };

    int AddText(std::string_view utf8);
    int NumberXf(int decimals);
    int AppendRow(Sheet& s, std::span<const ExcelCell> cells, bool header);
    void FlushBlock(Sheet& s) const;
    Bytes Globals(std::vector<std::size_t>& sheetPositionFields) const;
    Bytes SheetStream(const Sheet& s, std::size_t position) const;

    std::vector<Sheet> sheets_;
    std::vector<int> formats_;  // decimals of each number format, in the order of their XFs
    Bytes sst_;                 // the shared strings, encoded
    std::vector<std::uint32_t> sstEnds_;
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };
    std::unordered_map<std::string, std::uint32_t, TextHash, std::equal_to<>> sstIndex_;
    std::uint32_t sstRefs_ = 0;
};

}  // namespace vardo
