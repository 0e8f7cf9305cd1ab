#!/usr/bin/env python3
"""Prints a workbook's cells as LibreOffice Calc reads them.

    lo_dump.py FILE [--password PWD] [--meta]

Output, one line per non-empty cell, sheets in workbook order, cells row by
row and left to right (the form of `quadrilo-archivio mostra`):

    sheet<TAB>A1 address<TAB>type<TAB>value

type is text, number, date, bool or error.
- text: backslash, TAB, LF and CR written as \\\\, \\t, \\n, \\r.
- number: whole numbers without a point; others in the shortest form that
  reads back to the same double if that needs at most 15 significant digits,
  else rounded to 15; never in exponent form.
- date: a value cell (or formula result) whose number format is of type DATE
  and/or TIME. YYYY-MM-DD, or YYYY-MM-DDTHH:MM:SS when the value has a time
  part (rounded to whole seconds). The serial is counted from the document's
  NullDate, except that with NullDate 1899-12-30 (the 1900 date system)
  serials below 61 follow Excel: 1 = 1900-01-01 ... 59 = 1900-02-28,
  60 = 1900-02-29.
- bool: TRUE or FALSE (a value with a BOOLEAN format, or a formula =TRUE() /
  =FALSE() or one whose result LibreOffice shows as TRUE/FALSE).
- error: #NULL!, #DIV/0!, #VALUE!, #REF!, #NAME?, #NUM!, #N/A; other
  LibreOffice errors as LibreOffice shows them (Err:520...).
Formula cells show their result; a formula whose result is an empty string
is printed as text with an empty value.

With --meta, after the cells, lines about each sheet:

    #meta<TAB>sheet<TAB>key<TAB>value

keys (lengths in 1/100 mm as LibreOffice reports them):
    default_width  the most common width of columns A:IV
    width.COL      width of a column that differs from default_width, then
                   "~N/256": a rough guess of the BIFF8 COLINFO width, taking
                   the digit width as 140 twips (246.9 1/100 mm). LibreOffice
                   measures the digit of the file's own default font, so the
                   real factor varies by file (126 to 140 twips seen on the
                   fixtures); compare widths with default_width instead.
    frozen         none, or "COLS,ROWS" frozen (columns left, rows above)
    page.size      WIDTHxHEIGHT of the paper as set (portrait numbers)
    page.landscape 0/1
    page.scale     PageScale (percent)
    page.fit       "X,Y" from ScaleToPagesX/Y (0,0 = not fitted)
    page.margins   "L,R,T,B"
    page.print_grid, page.center_h, page.center_v   0/1
    page.header    0/1 (HeaderIsOn), page.header.center  the centre text
    page.footer    0/1 (FooterIsOn), page.footer.center  the centre text
    print_areas    "A1:D20;..." or none
    title_rows     "1:2" (1-based rows) or none
    title_columns  "A:B" or none

Exit status 1, with a message on stderr, when the file cannot be loaded
(wrong or missing password, damaged file, no LibreOffice).
"""

import argparse
import datetime
import decimal
import math
import os
import re
import sys

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import lo_common  # noqa: E402

# com.sun.star.util.NumberFormat bits
NF_DATE = 2
NF_TIME = 4
NF_LOGICAL = 1024
# com.sun.star.sheet.CellFlags / FormulaResult
CF_FORMULA = 16
FR_ERROR = 4

ERROR_NAMES = {
    521: "#NULL!",
    532: "#DIV/0!",
    519: "#VALUE!",
    524: "#REF!",
    525: "#NAME?",
    502: "#NUM!",
    503: "#NUM!",
    523: "#NUM!",
    32767: "#N/A",
}

BOOL_FORMULA = re.compile(r"^=(TRUE|FALSE)\(\)$", re.IGNORECASE)
EXCEL_1900 = datetime.date(1899, 12, 30)


def column_name(col):
    name = ""
    col += 1
    while col:
        col, rem = divmod(col - 1, 26)
        name = chr(65 + rem) + name
    return name


def address(col, row):
    return "%s%d" % (column_name(col), row + 1)


def escape_text(s):
    return (s.replace("\\", "\\\\").replace("\t", "\\t")
            .replace("\n", "\\n").replace("\r", "\\r"))


def format_number(v):
    if math.isnan(v) or math.isinf(v):
        return repr(v)
    if v == 0:
        return "0"
    if v == math.floor(v) and abs(v) < 1e17:
        return str(int(v))
    text = repr(v)
    mantissa = text.lower().split("e")[0].lstrip("-").replace(".", "").lstrip("0")
    if len(mantissa) > 15:
        text = format(v, ".15g")
    d = decimal.Decimal(text)
    out = format(d, "f")
    if "." in out:
        out = out.rstrip("0").rstrip(".")
    return out


def format_date(serial, null_date):
    days = math.floor(serial)
    secs = int(round((serial - days) * 86400.0))
    if secs >= 86400:
        days += 1
        secs -= 86400
    if null_date == EXCEL_1900 and 0 < days < 61:
        if days == 60:
            text = "1900-02-29"
        else:
            text = (datetime.date(1899, 12, 31) + datetime.timedelta(days=days)).isoformat()
    else:
        text = (null_date + datetime.timedelta(days=days)).isoformat()
    if secs:
        h, rest = divmod(secs, 3600)
        m, s = divmod(rest, 60)
        text += "T%02d:%02d:%02d" % (h, m, s)
    return text


class FormatTypes:
    """Caches number format key -> NumberFormat type bits."""

    def __init__(self, doc):
        self.formats = doc.getNumberFormats()
        self.cache = {}

    def type_of(self, key):
        t = self.cache.get(key)
        if t is None:
            try:
                t = self.formats.getByKey(key).Type
            except Exception:
                t = 0
            self.cache[key] = t
        return t


def _ranges(cell_ranges):
    return cell_ranges.getRangeAddresses() if cell_ranges is not None else ()


def used_end(sheet):
    cursor = sheet.createCursor()
    cursor.gotoEndOfUsedArea(False)
    a = cursor.getRangeAddress()
    return a.EndColumn, a.EndRow


def sheet_lines(doc, sheet, types, null_date):
    name = sheet.getName()
    end_col, end_row = used_end(sheet)
    whole = sheet.getCellRangeByPosition(0, 0, end_col, end_row)
    data = whole.getDataArray()

    # Special kinds of cells found through range queries, by (col, row).
    kind = {}

    def mark(addr, k, only_values=True):
        for r in range(addr.StartRow, min(addr.EndRow, end_row) + 1):
            row = data[r]
            for c in range(addr.StartColumn, min(addr.EndColumn, end_col) + 1):
                if not only_values or isinstance(row[c], float):
                    kind[(c, r)] = k

    uniq = whole.getUniqueCellFormatRanges()
    for i in range(uniq.getCount()):
        ranges = uniq.getByIndex(i)
        t = types.type_of(ranges.NumberFormat)
        if t & NF_LOGICAL:
            k = "bool"
        elif t & (NF_DATE | NF_TIME):
            k = "date"
        else:
            continue
        for addr in ranges.getRangeAddresses():
            mark(addr, k)

    for addr in _ranges(sheet.queryContentCells(CF_FORMULA)):
        block = sheet.getCellRangeByPosition(addr.StartColumn, addr.StartRow,
                                             addr.EndColumn, addr.EndRow)
        formulas = block.getFormulaArray()
        for dr, frow in enumerate(formulas):
            for dc, formula in enumerate(frow):
                c, r = addr.StartColumn + dc, addr.StartRow + dr
                v = data[r][c]
                if isinstance(v, str):
                    if v == "":
                        kind[(c, r)] = "emptytext"
                    continue
                if not isinstance(v, float) or kind.get((c, r)) is not None:
                    continue
                if BOOL_FORMULA.match(formula):
                    kind[(c, r)] = "bool"
                elif v in (0.0, 1.0):
                    shown = sheet.getCellByPosition(c, r).getString()
                    if shown.upper() in ("TRUE", "FALSE"):
                        kind[(c, r)] = "bool"

    for addr in _ranges(sheet.queryFormulaCells(FR_ERROR)):
        for r in range(addr.StartRow, addr.EndRow + 1):
            for c in range(addr.StartColumn, addr.EndColumn + 1):
                cell = sheet.getCellByPosition(c, r)
                code = cell.getError()
                kind[(c, r)] = ("error", ERROR_NAMES.get(code) or cell.getString())

    lines = []
    for r, row in enumerate(data):
        for c, v in enumerate(row):
            k = kind.get((c, r))
            if isinstance(k, tuple):
                lines.append((name, address(c, r), "error", k[1]))
            elif isinstance(v, str):
                if "\x01" in v:
                    # getDataArray shows a tab inside multi-line text as a
                    # field mark; the cell's own string has the tab.
                    v = sheet.getCellByPosition(c, r).getString()
                if v != "" or k == "emptytext":
                    lines.append((name, address(c, r), "text", escape_text(v)))
            elif isinstance(v, float):
                if k == "date":
                    lines.append((name, address(c, r), "date", format_date(v, null_date)))
                elif k == "bool":
                    lines.append((name, address(c, r), "bool", "TRUE" if v != 0 else "FALSE"))
                else:
                    lines.append((name, address(c, r), "number", format_number(v)))
    return lines


def null_date_of(doc):
    nd = doc.NullDate
    return datetime.date(nd.Year, nd.Month, nd.Day)


def dump_cells(doc):
    types = FormatTypes(doc)
    nd = null_date_of(doc)
    sheets = doc.getSheets()
    lines = []
    for i in range(sheets.getCount()):
        lines.extend(sheet_lines(doc, sheets.getByIndex(i), types, nd))
    return lines


# --- meta -------------------------------------------------------------------

# Digit width behind the "~N/256" guess: 140 twips, what LibreOffice 7.4 used
# for the fixtures written by Excel for Windows, LibreOffice and WPS.
ZERO_WIDTH_MM100 = 140 * 2540 / 1440


def _range_text(a):
    return "%s:%s" % (address(a.StartColumn, a.StartRow), address(a.EndColumn, a.EndRow))


def _header_center(content):
    try:
        return escape_text(content.getCenterText().getString())
    except Exception:
        return ""


def sheet_meta(doc, sheet, controller):
    name = sheet.getName()
    out = []

    def put(key, value):
        out.append(("#meta", name, key, str(value)))

    columns = sheet.getColumns()
    widths = [columns.getByIndex(i).Width for i in range(min(256, columns.getCount()))]
    counts = {}
    for w in widths:
        counts[w] = counts.get(w, 0) + 1
    default = max(counts.items(), key=lambda kv: (kv[1], -kv[0]))[0]
    put("default_width", default)
    for i, w in enumerate(widths):
        if w != default:
            put("width." + column_name(i), "%d ~%d/256" % (w, round(w * 256 / ZERO_WIDTH_MM100)))

    frozen = "none"
    if controller is not None:
        controller.setActiveSheet(sheet)
        if controller.hasFrozenPanes():
            frozen = "%d,%d" % (controller.getSplitColumn(), controller.getSplitRow())
    put("frozen", frozen)

    style = doc.getStyleFamilies().getByName("PageStyles").getByName(sheet.PageStyle)
    size = style.Size
    w, h = size.Width, size.Height
    if style.IsLandscape and w > h:
        w, h = h, w
    put("page.size", "%dx%d" % (w, h))
    put("page.landscape", int(bool(style.IsLandscape)))
    put("page.scale", style.PageScale)
    put("page.fit", "%d,%d" % (style.ScaleToPagesX, style.ScaleToPagesY))
    put("page.margins", "%d,%d,%d,%d" % (style.LeftMargin, style.RightMargin,
                                         style.TopMargin, style.BottomMargin))
    put("page.print_grid", int(bool(style.PrintGrid)))
    put("page.center_h", int(bool(style.CenterHorizontally)))
    put("page.center_v", int(bool(style.CenterVertically)))
    put("page.header", int(bool(style.HeaderIsOn)))
    if style.HeaderIsOn:
        put("page.header.center", _header_center(style.RightPageHeaderContent))
    put("page.footer", int(bool(style.FooterIsOn)))
    if style.FooterIsOn:
        put("page.footer.center", _header_center(style.RightPageFooterContent))

    areas = sheet.getPrintAreas()
    put("print_areas", ";".join(_range_text(a) for a in areas) if areas else "none")
    if sheet.getPrintTitleRows():
        t = sheet.getTitleRows()
        put("title_rows", "%d:%d" % (t.StartRow + 1, t.EndRow + 1))
    else:
        put("title_rows", "none")
    if sheet.getPrintTitleColumns():
        t = sheet.getTitleColumns()
        put("title_columns", "%s:%s" % (column_name(t.StartColumn), column_name(t.EndColumn)))
    else:
        put("title_columns", "none")
    return out


def apply_view_settings(method, controller):
    """LibreOffice gives a view the view settings read from an .xls (frozen
    panes, displayed sheet) when the view is first activated, which a hidden
    view never is, or when XSelectedSheetsSupplier.getSelectedSheets() is
    called on it."""
    method.invoke(controller, ())


def dump_meta(office, doc):
    controller = doc.getCurrentController()
    method = office.reflection_method("com.sun.star.sheet.XSelectedSheetsSupplier",
                                      "getSelectedSheets")

    def work():
        if controller is not None:
            apply_view_settings(method, controller)
        sheets = doc.getSheets()
        lines = []
        for i in range(sheets.getCount()):
            lines.extend(sheet_meta(doc, sheets.getByIndex(i), controller))
        return lines
    # The view is changed (settings applied, sheets activated): on the main thread.
    return office.on_main_thread(work)


def dump(office, path, password=None, meta=False):
    """Returns the dump lines (tuples of fields) of one file; made again with
    a new soffice should soffice crash."""
    def task(office):
        doc = office.load(path, password)
        try:
            lines = dump_cells(doc)
            if meta:
                lines.extend(dump_meta(office, doc))
            return lines
        finally:
            try:
                lo_common.close(doc)
            except Exception:
                pass
    return office.run(task)


def to_text(lines):
    return "".join("\t".join(fields) + "\n" for fields in lines)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Dump a workbook's cells as LibreOffice reads them.")
    parser.add_argument("file")
    parser.add_argument("--password")
    parser.add_argument("--meta", action="store_true")
    args = parser.parse_args(argv)
    try:
        lo_common.reexec_with_uno_python()
        with lo_common.Office() as office:
            lines = dump(office, args.file, args.password, args.meta)
    except (lo_common.OfficeError, lo_common.LoadError, OSError) as e:
        print("lo_dump: %s" % e, file=sys.stderr)
        return 1
    out = sys.stdout.buffer
    out.write(to_text(lines).encode("utf-8"))
    out.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())
