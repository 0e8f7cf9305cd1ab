#!/usr/bin/env python3
"""Builds an .xls with LibreOffice Calc from a cell dump.

    lo_write.py TSV OUT.xls [--password PWD]

TSV has the lines of `quadrilo-archivio mostra` / lo_dump.py:
sheet<TAB>A1 address<TAB>type<TAB>value. Sheets are created in the order of
their first line. Cells:
- text: the unescaped value as a string (never parsed as a number),
- number: the value,
- date: the serial counted from 1899-12-30 (the 1900 date system; dates before
  1900-03-01 follow Excel, as in lo_dump.py) with the number format
  YYYY-MM-DD, or YYYY-MM-DD HH:MM:SS when a time is given,
- bool: the formula =TRUE() or =FALSE(),
- error: a formula giving that error (#DIV/0! = 1/0, #N/A = NA(), ...).
The workbook is stored with the "MS Excel 97" filter, encrypted when a
password is given.
"""

import argparse
import datetime
import os
import sys

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import lo_common  # noqa: E402

NF_LOGICAL = 1024
EXCEL_1900 = datetime.date(1899, 12, 30)
ERROR_FORMULAS = {
    "#NULL!": "=A1:A2 B1:B2",
    "#DIV/0!": "=1/0",
    "#VALUE!": "=\"a\"+1",
    "#REF!": "=INDIRECT(\"A0\")",
    "#NAME?": "=QUADRILO_NO_SUCH_NAME",
    "#NUM!": "=SQRT(-1)",
    "#N/A": "=NA()",
}


class TsvError(ValueError):
    pass


def unescape_text(s):
    out = []
    i = 0
    while i < len(s):
        ch = s[i]
        if ch == "\\" and i + 1 < len(s):
            nxt = s[i + 1]
            repl = {"\\": "\\", "t": "\t", "n": "\n", "r": "\r"}.get(nxt)
            if repl is None:
                raise TsvError("unknown escape \\%s" % nxt)
            out.append(repl)
            i += 2
            continue
        if ch == "\\":
            raise TsvError("lone backslash at the end")
        out.append(ch)
        i += 1
    return "".join(out)


def parse_address(a):
    col = 0
    i = 0
    while i < len(a) and a[i].isalpha() and a[i].isascii():
        col = col * 26 + (ord(a[i].upper()) - 64)
        i += 1
    if i == 0 or i == len(a) or not a[i:].isdigit() or int(a[i:]) < 1:
        raise TsvError("bad cell address %r" % a)
    return col - 1, int(a[i:]) - 1


def date_serial(text):
    """YYYY-MM-DD[THH:MM:SS] -> serial in the 1900 date system."""
    day, _, clock = text.partition("T")
    if day == "1900-02-29":
        days = 60
    else:
        try:
            d = datetime.date.fromisoformat(day)
        except ValueError:
            raise TsvError("bad date %r" % text)
        days = (d - EXCEL_1900).days
        if d < datetime.date(1900, 3, 1) and days > 0:
            days -= 1
    secs = 0
    if clock:
        try:
            t = datetime.time.fromisoformat(clock)
        except ValueError:
            raise TsvError("bad time in %r" % text)
        secs = t.hour * 3600 + t.minute * 60 + t.second
    return days + secs / 86400.0, bool(clock)


def read_tsv(path):
    """Returns [(sheet, [(col, row, type, value)])] in order of appearance."""
    sheets = {}
    order = []
    with open(path, "r", encoding="utf-8", newline="\n") as f:
        for n, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            fields = line.split("\t")
            if len(fields) != 4:
                raise TsvError("%s:%d: expected 4 fields, got %d" % (path, n, len(fields)))
            sheet, addr, kind, value = fields
            col, row = parse_address(addr)
            if kind == "text":
                value = unescape_text(value)
            elif kind == "number":
                value = float(value)
            elif kind == "date":
                value = date_serial(value)
            elif kind == "bool":
                if value not in ("TRUE", "FALSE"):
                    raise TsvError("%s:%d: bad bool %r" % (path, n, value))
            elif kind == "error":
                if value not in ERROR_FORMULAS:
                    raise TsvError("%s:%d: unknown error %r" % (path, n, value))
            else:
                raise TsvError("%s:%d: unknown type %r" % (path, n, kind))
            if sheet not in sheets:
                sheets[sheet] = []
                order.append(sheet)
            sheets[sheet].append((col, row, kind, value))
    return [(name, sheets[name]) for name in order]


def _format_key(doc, code):
    from com.sun.star.lang import Locale
    formats = doc.getNumberFormats()
    loc = Locale()
    key = formats.queryKey(code, loc, False)
    if key == -1:
        key = formats.addNew(code, loc)
    return key


def build(doc, sheets_cells):
    from com.sun.star.util import Date
    nd = Date()
    nd.Day, nd.Month, nd.Year = 30, 12, 1899
    doc.NullDate = nd
    date_key = _format_key(doc, "YYYY-MM-DD")
    datetime_key = _format_key(doc, "YYYY-MM-DD HH:MM:SS")

    sheets = doc.getSheets()
    if not sheets_cells:
        return
    first = sheets.getByIndex(0)
    first.setName(sheets_cells[0][0])
    while sheets.getCount() > 1:
        sheets.removeByName(sheets.getByIndex(1).getName())
    for i, (name, _) in enumerate(sheets_cells[1:], 1):
        sheets.insertNewByName(name, i)

    for i, (name, cells) in enumerate(sheets_cells):
        sheet = sheets.getByIndex(i)
        max_col = max(c for c, _, _, _ in cells)
        max_row = max(r for _, r, _, _ in cells)
        grid = [[""] * (max_col + 1) for _ in range(max_row + 1)]
        later = []
        for col, row, kind, value in cells:
            if kind == "text":
                grid[row][col] = value
            elif kind == "number":
                grid[row][col] = value
            elif kind == "date":
                grid[row][col] = value[0]
                later.append((col, row, kind, value))
            else:
                later.append((col, row, kind, value))
        sheet.getCellRangeByPosition(0, 0, max_col, max_row).setDataArray(
            tuple(tuple(r) for r in grid))
        # Date formats go on runs of rows in a column, to keep the calls few.
        runs = {}
        for col, row, kind, value in later:
            if kind == "date":
                key = datetime_key if value[1] else date_key
                runs.setdefault((col, key), []).append(row)
        for (col, key), rows in runs.items():
            rows.sort()
            start = prev = rows[0]
            for row in rows[1:] + [None]:
                if row is not None and row == prev + 1:
                    prev = row
                    continue
                sheet.getCellRangeByPosition(col, start, col, prev).NumberFormat = key
                if row is not None:
                    start = prev = row
        for col, row, kind, value in later:
            if kind == "date":
                continue
            cell = sheet.getCellByPosition(col, row)
            if kind == "bool":
                cell.setFormula("=TRUE()" if value == "TRUE" else "=FALSE()")
            elif kind == "error":
                cell.setFormula(ERROR_FORMULAS[value])
    doc.calculateAll()


def write(office, tsv, out, password=None):
    cells = read_tsv(tsv)
    doc = office.new_spreadsheet()
    try:
        build(doc, cells)
        office.store_xls(doc, out, password)
    finally:
        lo_common.close(doc)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Write an .xls with LibreOffice from a cell dump.")
    parser.add_argument("tsv")
    parser.add_argument("out")
    parser.add_argument("--password")
    args = parser.parse_args(argv)
    try:
        read_tsv(args.tsv)  # fail early on a bad dump
        lo_common.reexec_with_uno_python()
        with lo_common.Office() as office:
            write(office, args.tsv, args.out, args.password)
    except (TsvError, OSError, lo_common.OfficeError) as e:
        print("lo_write: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
