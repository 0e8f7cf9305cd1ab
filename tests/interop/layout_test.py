#!/usr/bin/env python3
"""LibreOffice reads the widths, frozen panes and page setup we write.

    layout_test.py --sample PATH_TO_sample-workbook --workdir DIR

Writes a workbook with tests/interop/SampleWorkbook.cpp, loads it in
LibreOffice headless with the password and checks the sheet attributes that
lo_dump.py --meta reports. Ends with "N passed, M failed".
"""

import argparse
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import lo_common  # noqa: E402
import lo_dump  # noqa: E402

PASSWORD = "Mora4715"
INCH = 2540.0  # 1/100 mm


def near(actual, expected, tolerance):
    return abs(float(actual) - float(expected)) <= tolerance


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sample", required=True)
    parser.add_argument("--workdir", required=True)
    args = parser.parse_args()
    lo_common.reexec_with_uno_python()
    os.makedirs(args.workdir, exist_ok=True)
    path = os.path.join(args.workdir, "layout.xls")
    if os.path.exists(path):
        os.remove(path)
    subprocess.run([args.sample, path, PASSWORD], check=True)

    with lo_common.Office() as office:
        lines = lo_dump.dump(office, path, PASSWORD, True)
    meta = {}
    for line in lines:
        if line[0] == "#meta":
            meta[(line[1], line[2])] = line[3]

    def m(sheet, key):
        return meta.get((sheet, key), "")

    checks = []

    def check(name, ok, detail=""):
        checks.append(ok)
        print("%s %s %s" % ("PASS" if ok else "FAIL", name, "" if ok else detail))

    # 32.86 characters are 8595/256 of a digit; LibreOffice scales widths by its
    # own digit width, so compare with the default 8 characters (2340/256).
    au = m("Entrata", "width.AU").split(" ")[0]
    default = m("Entrata", "default_width")
    check("label column width", au != "" and default != "" and near(float(au) / float(default), 8595 / 2340, 0.05),
          "%s against default %s" % (au, default))
    g = m("Entrata", "width.G").split(" ")[0]
    check("column G wider than AU", g != "" and au != "" and float(g) > float(au), g)
    check("frozen below the header", m("Entrata", "frozen") == "0,1", m("Entrata", "frozen"))
    check("frozen at B3", m("Cliente", "frozen") == "1,2", m("Cliente", "frozen"))
    # With a header LibreOffice counts the top margin to the header, so only
    # left, right and bottom are compared.
    margins = m("Entrata", "page.margins").split(",")
    check("margins", len(margins) == 4 and all(near(margins[i], e * INCH, 3) for i, e in [(0, 0.21), (1, 0.21), (3, 0.21)]),
          m("Entrata", "page.margins"))
    check("fit to one page", m("Entrata", "page.fit") == "1,1", m("Entrata", "page.fit"))
    check("gridlines", m("Entrata", "page.print_grid") == "1", m("Entrata", "page.print_grid"))
    check("portrait A4", m("Entrata", "page.landscape") == "0" and m("Entrata", "page.size").startswith("2100"),
          m("Entrata", "page.size"))
    check("header", m("Entrata", "page.header") == "1"
          and m("Entrata", "page.header.center").startswith("Stampa  Lista Protocolli in Entrata  ---Comune di Prova --del"),
          m("Entrata", "page.header.center"))
    check("print area", m("Entrata", "print_areas") == "A1:K25", m("Entrata", "print_areas"))
    check("landscape", m("Cliente", "page.landscape") == "1", m("Cliente", "page.landscape"))
    check("centred horizontally", m("Cliente", "page.center_h") == "1", m("Cliente", "page.center_h"))
    check("zoom", m("Cliente", "page.scale") == "70", m("Cliente", "page.scale"))
    check("title rows", m("Cliente", "title_rows") == "1:1", m("Cliente", "title_rows"))
    check("title columns", m("Cliente", "title_columns") == "A:B", m("Cliente", "title_columns"))
    check("contact print area", m("Cliente", "print_areas") == "A1:Q10", m("Cliente", "print_areas"))
    dates = [l for l in lines if l[0] == "Entrata" and l[1] == "B2"]
    check("dates stay dates", dates == [("Entrata", "B2", "date", "2026-12-03")] or
          [list(d) for d in dates] == [["Entrata", "B2", "date", "2026-12-03"]], str(dates))

    failed = checks.count(False)
    print("%d passed, %d failed" % (len(checks) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
