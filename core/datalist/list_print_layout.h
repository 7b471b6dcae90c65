#pragma once
// The data list's printout, page by page, in the logical units of its 4000 x 4000 page: bands
// of up to eight channel slots, each a grid with a header row and the rows of the page, and a
// footer naming the file, the time of printing and the page. The printer only draws what this
// says.

#include <string>
#include <vector>

#include "history/history_data.h"

namespace vardo {

inline constexpr int kListPageUnits = 4000;

struct ListPrintPlan {
    int bands = 1;        // eight channel slots each
    int rowsPerPage = 0;  // list rows on one page
    int pages = 1;
};

// A file without channels still prints its rows, in one band of empty slots.
ListPrintPlan PlanListPrint(int channelCount, int rowCount);

struct PrintLine {
    int x1, y1, x2, y2;
};

// Text in a cell, centred on one line; or, for the footer, starting at (left, top).
struct PrintText {
    int left, top, right, bottom;
    bool centred = true;
    int row = -1;  // >= 0: the text of list row row, column column
    int column = -1;
    std::string text;  // when row < 0
};

struct ListPage {
    std::vector<PrintLine> lines;
    std::vector<PrintText> texts;
};

// Page page (1-based) of a list of rowCount rows whose channel columns show channels (0-based,
// in column order). printTime is already formatted.
ListPage LayoutListPage(const std::vector<int>& channels, const ListPrintPlan& plan, int rowCount,
                        int page, const std::string& title, const std::string& printTime);
// The same for a file's list: its enabled channels.
ListPage LayoutListPage(const HistoryData& h, const ListPrintPlan& plan, int rowCount, int page,
                        const std::string& filePath, const std::string& printTime);

}  // namespace vardo
