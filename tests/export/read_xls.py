#!/usr/bin/python3
# Prints every sheet of the workbooks named on the command line as xlrd reads them: a line
# "# NAME ROWSxCOLUMNS" per sheet, then one line per row, text cells quoted and number cells
# as Python's repr with their number format after a bar. With --edges only the first two and
# the last two rows of each sheet.
import sys

import xlrd

edges = "--edges" in sys.argv
for path in [a for a in sys.argv[1:] if a != "--edges"]:
    book = xlrd.open_workbook(path, formatting_info=True)
    for sheet in book.sheets():
        print("# %s %dx%d" % (sheet.name, sheet.nrows, sheet.ncols))
        rows = range(sheet.nrows)
        if edges:
            rows = sorted(set(r for r in (0, 1, sheet.nrows - 2, sheet.nrows - 1) if 0 <= r < sheet.nrows))
        for r in rows:
            cells = []
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_TEXT:
                    cells.append("'%s'" % cell.value)
                elif cell.ctype == xlrd.XL_CELL_NUMBER:
                    xf = book.xf_list[cell.xf_index]
                    cells.append("%r|%s" % (cell.value, book.format_map[xf.format_key].format_str))
                else:
                    cells.append("?%d" % cell.ctype)
            print(" ".join(cells))
