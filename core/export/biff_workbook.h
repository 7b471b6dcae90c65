#pragma once
// The workbook stream of an Excel 97-2003 file (BIFF8): worksheets with a header row of column
// names and rows of text and number cells. Pure and in memory; CExcelWriter puts the stream
// into its file.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "export/le_append.h"

namespace vardo {

struct ExcelColumn {
    std::string name;   // UTF-8, also the header cell
    int decimals = -1;  // -1: a text column; else numbers shown with that many decimals
    int width = 0;      // in characters; 0 leaves the sheet's default
};

// A text column takes text, a number column number, shown with the column's decimals unless
// the cell brings its own. An empty cell is left out of the sheet.
struct ExcelCell {
    std::string_view text;
    double number = 0;
    bool empty = false;
    int decimals = -1;
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
    // The whole stream, in pieces that stay valid while the workbook lives: the workbook
    // globals, then the sheets. Call once, after the last row.
    std::vector<std::span<const std::uint8_t>> Finish();

  private:
    struct Sheet {
        std::string name;
        std::vector<int> xfs;  // per column
        std::vector<int> widths;
        int rows = 0;
        Bytes head;                           // the records before the cells
        Bytes body;                           // row blocks, each ending in its DBCELL record
        Bytes tail;                           // the records after them
        std::vector<std::uint32_t> dbcells;   // offsets of the DBCELL records in body
        std::size_t blockStart = 0;           // where the unfinished block begins in body
        std::vector<std::uint16_t> rowCells;  // sizes of its rows' cells, one per row
    };

    int AddText(std::string_view utf8);
    int NumberXf(int decimals);
    int AppendRow(Sheet& s, std::span<const ExcelCell> cells, bool header);
    void FlushBlock(Sheet& s) const;
    Bytes Globals(std::vector<std::size_t>& sheetPositionFields) const;
    void FinishSheet(Sheet& s, std::size_t position) const;

    std::vector<Sheet> sheets_;
    std::vector<int> formats_;  // decimals of each number format, in the order of their XFs
    Bytes sst_;                 // the shared strings, encoded
    std::vector<std::uint32_t> sstEnds_;
    // Open addressing over the strings: the upper half of a slot holds the upper half of the
    // string's hash, the lower half its index + 1 (0 for a free slot).
    std::vector<std::uint64_t> sstSlots_;
    Bytes globals_;
    std::uint32_t sstRefs_ = 0;
};

}  // namespace vardo
