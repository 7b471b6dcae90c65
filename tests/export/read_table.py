#!/usr/bin/python3
# Prints an exported .xlsx (read by openpyxl) or .csv (read by Python's csv module) the way
# vardo-cli dump prints rows: cells between tabs, a line per row, numbers shown with the
# decimals of their number format. A cell of the wrong kind is marked: "!number" where the
# row number or time is a number, "!text" where a channel value is text. A sheet after the
# first starts with "# NAME"; a CSV file without the byte-order mark or with a line not ended
# by CRLF fails.
import csv
import io
import sys

kind, path = sys.argv[1], sys.argv[2]


def decimals(number_format):
    return len(number_format.split(".")[1]) if "." in number_format else 0


if kind == "xlsx":
    import openpyxl

    # Opened as a file: openpyxl would refuse a name without the .xlsx extension.
    book = openpyxl.load_workbook(open(path, "rb"), read_only=True)
    for index, sheet in enumerate(book.worksheets):
        if index > 0:
            print("# " + sheet.title)
        for r, row in enumerate(sheet.iter_rows()):
            cells = []
            for c, cell in enumerate(row):
                if cell.value is None or cell.data_type == "e":
                    cells.append("")
                elif cell.data_type == "n":
                    shown = "%.*f" % (decimals(cell.number_format), cell.value)
                    cells.append(shown if c >= 2 else "!number")
                else:
                    cells.append(cell.value if c < 2 or r == 0 else "!text")
            print("\t".join(cells))
else:
    raw = open(path, "rb").read()
    if not raw.startswith(b"\xef\xbb\xbf"):
        sys.exit("no byte-order mark")
    if raw.count(b"\n") != raw.count(b"\r\n") or not raw.endswith(b"\r\n"):
        sys.exit("a line not ended by CRLF")
    for row in csv.reader(io.StringIO(raw[3:].decode("utf-8"), newline="")):
        print("\t".join(row))
