#pragma once
// The workbook stream of an Excel 97-2003 file (BIFF8): worksheets with a header row of column
// names and rows of text and number cells. The stream begins with the table of every text and
// the places of every sheet, so the cells and texts wait in temporary files until the end:
// memory stays small whatever the row count. CExcelWriter puts the stream into its file.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "export/compound_file.h"
#include "export/le_append.h"
#include "export/scratch_file.h"

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

    // Opens the temporary streams that hold the cells and the texts until the end, in dir (the
    // folder of the file being made) or else the temporary folder. 0 on failure (Error says
    // why); nothing else works before.
    [[nodiscard]] int Start(const std::string& dir);
    // Starts a new worksheet whose first row holds the column names. 0 when the name or the
    // columns do not fit the format.
    [[nodiscard]] int AddSheet(std::string_view name, std::span<const ExcelColumn> columns);
    // Appends a row to the newest sheet, one cell per column. 0 when the sheet is full, a text
    // is too long, the cell count is wrong or the temporary streams fail (Error says why).
    [[nodiscard]] int AddRow(std::span<const ExcelCell> cells);
    // Completes the sheets after the last row: 0 on failure. size is then the stream's size.
    [[nodiscard]] int Finish(std::uint64_t& size);
    // Hands the stream to sink in pieces, in order: the workbook globals, then the sheets.
    [[nodiscard]] bool WriteStream(const ByteSink& sink);
    // The errno behind a failure of the temporary streams; 0 when the format refused.
    int Error() const { return error_; }

  private:
    struct Sheet {
        std::string name;
        std::vector<int> xfs;  // per column
        std::vector<int> widths;
        int rows = 0;
        Bytes head;                          // the records before the cells
        Bytes tail;                          // the records after them
        std::uint64_t bodyStart = 0;         // the row blocks in body_, each ending in its
        std::uint64_t bodySize = 0;          // DBCELL record
        std::vector<std::uint32_t> dbcells;  // offsets of the DBCELL records in the body
    };
    // The rows of one column's texts as long as each comes after the one before in one
    // direction (row numbers, times): such texts are all different, so they are not looked up.
    struct Run {
        Bytes first;
        Bytes last;
        int direction = 0;  // 1 rising, -1 falling, 0 one text so far
        bool started = false;
    };

    int AddText(std::string_view utf8, int column);
    bool InSomeRun(const Bytes& text, const Run* except = nullptr) const;
    int FindHashed(const Bytes& text, std::uint64_t hash) const;
    void InsertHashed(const Bytes& text, std::uint64_t hash, std::uint32_t index);
    bool HashEveryText();
    int Spill(const Bytes& text);
    int NumberXf(int decimals);
    int AppendRow(Sheet& s, std::span<const ExcelCell> cells, bool header);
    bool FlushBlock(Sheet& s);
    Bytes GlobalsBeforeSst(std::vector<std::size_t>& sheetPositionFields) const;
    std::uint64_t SstSize() const;
    bool WriteSst(std::uint64_t position, const ByteSink& sink);
    void FinishSheet(Sheet& s, std::uint64_t position) const;

    std::vector<Sheet> sheets_;
    std::vector<int> formats_;  // decimals of each number format, in the order of their XFs
    ScratchFile body_;          // the sheets' row blocks, one sheet after the other
    ScratchFile sst_;           // the shared strings, encoded, in the order of their indices
    Bytes block_;               // the newest sheet's unfinished block: its ROW records, its cells
    std::vector<std::uint16_t> rowCells_;  // sizes of its rows' cells, one per row
    std::uint32_t sstCount_ = 0;
    std::uint64_t sstBytes_ = 0;
    std::uint32_t sstContinues_ = 0;  // CONTINUE records the shared strings need so far
    std::size_t sstRecordFill_ = 8;   // bytes in the last of their records
    std::uint32_t sstRefs_ = 0;
    // Texts that are looked up: open addressing, the upper half of a slot the upper half of the
    // text's hash, the lower half its place in hashedEnds_ + 1 (0 for a free slot).
    Bytes hashedText_;
    std::vector<std::uint32_t> hashedEnds_;
    std::vector<std::uint32_t> hashedIndex_;
    std::vector<std::uint64_t> slots_;
    std::uint64_t hashedShapes_ = 0;  // ShapeBit of every looked-up text
    std::vector<Run> runs_;
    bool hashAll_ = false;  // a text may repeat one of a run: every text is looked up
    Bytes text_;            // the text being added, encoded
    Bytes globals_;
    std::uint64_t globalsSize_ = 0;
    int error_ = 0;
};

}  // namespace vardo
