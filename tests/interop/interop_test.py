#!/usr/bin/env python3
"""Checks quadrilo-archivio against LibreOffice Calc, both ways.

    interop_test.py --tool PATH/quadrilo-archivio --workdir DIR [--fixtures DIR]

One private soffice serves every check. Each check prints one line,
"PASS name" or "FAIL name: why" (with the first differing lines), and the last
line is "N passed, M failed". Exit status 0 only when every check passed.
A missing LibreOffice or python3-uno is a failure, not a skip.

Checks:
  lo-to-ours / ours-to-lo   sample.tsv -> lo_write.py -> lo.xls (Mora4715);
                            `mostra lo.xls` must give sample.tsv; `copia lo.xls
                            ours.xls` -> lo_dump.py must give sample.tsv, and
                            ours.xls must not open with a wrong or no password.
  demo                      `nuovo DIR`: lo_dump of DIR/Protocollo.xls equals
                            `mostra` of it, it does not open without the
                            password, and every one of its four sheets has the
                            panes frozen below row 1 (lo_dump --meta "0,1").
  fixture NAME              every tests/fixtures/xls/*.xls except BIFF5 ones:
                            `copia` -> lo_dump equals NAME.expected.tsv after
                            the normalisation below. Unencrypted fixtures and
                            the one with Excel's default password are copied
                            with the default password Mora4715; a fixture with
                            its own password (MANIFEST.md) is read and written
                            with that password (copia has a single --password).

Normalisation for the fixture comparison (applied to both sides): the xlrd
type name xldate is read as date; seconds are rounded (xlrd prints
milliseconds); a bare time HH:MM:SS (xlrd, serial below 1) and a date-time on
day 0 of either date system (1899-12-30T..., 1904-01-01T...) are both written
as the bare time, and day 0 without a time as 00:00:00. LibreOffice
recalculates the formulas of a loaded .xls, so formula results are its own;
the fixtures' formulas with results that LibreOffice computes differently
(TEXT() of serials before 1900-03-01) only match when copia stores values.
"""

import argparse
import datetime
import difflib
import os
import re
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, HERE)
import lo_common  # noqa: E402

PASSWORD = "Mora4715"
WRONG_PASSWORD = "Mora4716"
TOOL_TIMEOUT = 300
DEMO_SHEETS = 4


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def report(self, name, ok, why=""):
        if ok:
            self.passed += 1
            print("PASS %s" % name, flush=True)
        else:
            self.failed += 1
            print("FAIL %s: %s" % (name, why), flush=True)
        return ok


class ToolError(RuntimeError):
    pass


def run_tool(tool, *args):
    try:
        p = subprocess.run([tool] + list(args), stdin=subprocess.DEVNULL,
                           capture_output=True, timeout=TOOL_TIMEOUT)
    except subprocess.TimeoutExpired:
        raise ToolError("%s %s: no answer in %d s" % (os.path.basename(tool), args[0], TOOL_TIMEOUT))
    except OSError as e:
        raise ToolError("cannot run %s: %s" % (tool, e))
    if p.returncode != 0:
        raise ToolError("%s %s exited with %d: %s" % (
            os.path.basename(tool), " ".join(args), p.returncode,
            p.stderr.decode("utf-8", "replace").strip()[:500]))
    return p.stdout.decode("utf-8", "replace")


def lines_of(text):
    return [l for l in text.split("\n") if l != ""]


def read_lines(path):
    with open(path, encoding="utf-8", newline="\n") as f:
        return lines_of(f.read())


def differences(expected, got, label_exp="expected", label_got="got", limit=12):
    if expected == got:
        return ""
    diff = list(difflib.unified_diff(expected, got, label_exp, label_got, lineterm="", n=0))
    shown = "\n    ".join(diff[:limit])
    more = "" if len(diff) <= limit else "\n    ... (%d more diff lines)" % (len(diff) - limit)
    return "%d vs %d lines\n    %s%s" % (len(expected), len(got), shown, more)


def dump_lines(office, path, password, meta=False):
    import lo_dump
    lines = lo_dump.dump(office, path, password, meta)
    return ["\t".join(fields) for fields in lines]


def opens(office, path, password):
    try:
        dump_lines(office, path, password)
        return True
    except lo_common.LoadError:
        return False


# --- normalisation for the fixtures -----------------------------------------

DAY_ZERO = ("1899-12-30", "1904-01-01")
TIME_RE = re.compile(r"^(\d{2}):(\d{2}):(\d{2})(?:\.(\d+))?$")


def _round_time(text):
    """HH:MM:SS[.fff] -> (HH:MM:SS, carry of one day)."""
    m = TIME_RE.match(text)
    if not m:
        return text, 0
    h, mi, s = int(m.group(1)), int(m.group(2)), int(m.group(3))
    frac = float("0." + m.group(4)) if m.group(4) else 0.0
    total = h * 3600 + mi * 60 + s + (1 if frac >= 0.5 else 0)
    carry, total = divmod(total, 86400)
    return "%02d:%02d:%02d" % (total // 3600, total // 60 % 60, total % 60), carry


def normalise_date(value):
    day, sep, clock = value.partition("T")
    if not sep and TIME_RE.match(value):
        return _round_time(value)[0]
    if sep:
        clock, carry = _round_time(clock)
        if carry:
            try:
                day = (datetime.date.fromisoformat(day) + datetime.timedelta(days=carry)).isoformat()
            except ValueError:
                pass
        if clock == "00:00:00":
            clock = ""
    if day in DAY_ZERO:
        return clock or "00:00:00"
    return day + ("T" + clock if clock else "")


def normalise(lines):
    out = []
    for line in lines:
        fields = line.split("\t")
        if len(fields) == 4:
            if fields[2] == "xldate":
                fields[2] = "date"
            if fields[2] == "date":
                fields[3] = normalise_date(fields[3])
        out.append("\t".join(fields))
    return out


def manifest_passwords(manifest):
    """file name -> password (None: not encrypted or Excel's default one)."""
    result = {}
    try:
        with open(manifest, encoding="utf-8") as f:
            text = f.read()
    except OSError:
        return result
    for line in text.splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) < 5 or not cells[0].endswith(".xls"):
            continue
        enc = cells[4]
        m = re.search(r"/\s*`([^`]+)`", enc)
        result[cells[0]] = m.group(1) if m else None
    return result


# --- the checks ---------------------------------------------------------------

def check_lo_and_ours(office, tool, work, checks):
    sample_path = os.path.join(HERE, "sample.tsv")
    sample = read_lines(sample_path)
    lo_xls = os.path.join(work, "lo.xls")
    ours_xls = os.path.join(work, "ours.xls")
    import lo_write
    try:
        lo_write.write(office, sample_path, lo_xls, PASSWORD)
        back = dump_lines(office, lo_xls, PASSWORD)
    except Exception as e:
        checks.report("lo-write", False, "LibreOffice could not write the sample: %s" % e)
        return
    checks.report("lo-write", back == sample,
                  "LibreOffice does not read its own sample back:\n    "
                  + differences(sample, back, "sample.tsv", "lo_dump"))

    try:
        got = lines_of(run_tool(tool, "mostra", lo_xls))
        checks.report("lo-to-ours", got == sample,
                      differences(sample, got, "sample.tsv", "mostra lo.xls"))
    except ToolError as e:
        checks.report("lo-to-ours", False, str(e))

    try:
        said = run_tool(tool, "copia", lo_xls, ours_xls)
    except ToolError as e:
        checks.report("ours-to-lo", False, str(e))
        return
    # LibreOffice writes an empty drawing container into every sheet: that is
    # no drawing, and nothing is reported as left out.
    checks.report("lo-no-drawings", "immagini e disegni" not in said, said.strip())
    try:
        got = dump_lines(office, ours_xls, PASSWORD)
        checks.report("ours-to-lo", got == sample,
                      differences(sample, got, "sample.tsv", "lo_dump ours.xls"))
    except lo_common.LoadError as e:
        checks.report("ours-to-lo", False, str(e))
    try:
        got = lines_of(run_tool(tool, "mostra", ours_xls))
        checks.report("ours-to-ours", got == sample,
                      differences(sample, got, "sample.tsv", "mostra ours.xls"))
    except ToolError as e:
        checks.report("ours-to-ours", False, str(e))
    checks.report("ours-wrong-password", not opens(office, ours_xls, WRONG_PASSWORD),
                  "LibreOffice opened ours.xls with the password %s" % WRONG_PASSWORD)
    checks.report("ours-no-password", not opens(office, ours_xls, None),
                  "LibreOffice opened ours.xls without a password: not encrypted")


def check_demo(office, tool, work, checks):
    folder = os.path.join(work, "archivio")
    os.makedirs(folder)
    path = os.path.join(folder, "Protocollo.xls")
    try:
        run_tool(tool, "nuovo", folder)
        ours = lines_of(run_tool(tool, "mostra", path))
    except ToolError as e:
        checks.report("demo", False, str(e))
        return
    try:
        dumped = dump_lines(office, path, PASSWORD, meta=True)
    except lo_common.LoadError as e:
        checks.report("demo", False, str(e))
        return
    cells = [l for l in dumped if not l.startswith("#meta\t")]
    meta = [l.split("\t") for l in dumped if l.startswith("#meta\t")]
    checks.report("demo", cells == ours and len(cells) > 0,
                  differences(ours, cells, "mostra", "lo_dump") or "no cells")

    frozen = [(m[1], m[3]) for m in meta if m[2] == "frozen"]
    bad = [(sheet, value) for sheet, value in frozen if value != "0,1"]
    checks.report("demo-frozen-panes", len(frozen) == DEMO_SHEETS and not bad,
                  "%d sheets (want %d); frozen columns,rows other than 0,1: %s"
                  % (len(frozen), DEMO_SHEETS, bad or "none"))
    checks.report("demo-no-password", not opens(office, path, None),
                  "LibreOffice opened Protocollo.xls without a password: not encrypted")


def check_fixtures(office, tool, work, fixtures, checks):
    passwords = manifest_passwords(os.path.join(fixtures, "MANIFEST.md"))
    names = sorted(n for n in os.listdir(fixtures)
                   if n.endswith(".xls") and "biff5" not in n.lower())
    if not names:
        checks.report("fixtures", False, "no .xls fixtures in %s" % fixtures)
    for name in names:
        label = "fixture %s" % name
        src = os.path.join(fixtures, name)
        expected_path = src + ".expected.tsv"
        if not os.path.exists(expected_path):
            checks.report(label, False, "no %s.expected.tsv" % name)
            continue
        expected = normalise(read_lines(expected_path))
        password = passwords.get(name)
        out = os.path.join(work, name)
        args = ["copia", src, out] + (["--password", password] if password else [])
        try:
            run_tool(tool, *args)
        except ToolError as e:
            checks.report(label, False, str(e))
            continue
        try:
            got = normalise(dump_lines(office, out, password or PASSWORD))
        except lo_common.LoadError as e:
            checks.report(label, False, str(e))
            continue
        if got == expected:
            checks.report(label, True)
            continue
        # Tell whether our reader already differs, to point at reader or writer.
        try:
            mostra = normalise(lines_of(run_tool(
                tool, "mostra", src, *(["--password", password] if password else []))))
            hint = "mostra of the fixture %s" % (
                "matches the expected cells (so the writer or LibreOffice differs)"
                if mostra == expected else "differs too")
        except ToolError as e:
            hint = "mostra of the fixture failed: %s" % e
        checks.report(label, False, "%s\n    %s" % (
            hint, differences(expected, got, "expected.tsv", "lo_dump of the copy")))


def main(argv=None):
    parser = argparse.ArgumentParser(description="quadrilo-archivio against LibreOffice")
    parser.add_argument("--tool", required=True)
    parser.add_argument("--workdir", required=True)
    parser.add_argument("--fixtures", default=os.path.join(HERE, "..", "fixtures", "xls"))
    args = parser.parse_args(argv)
    checks = Checks()

    try:
        lo_common.reexec_with_uno_python()
    except lo_common.OfficeError as e:
        checks.report("libreoffice", False, str(e))
    if checks.failed == 0 and lo_common.find_soffice() is None:
        checks.report("libreoffice", False, "soffice not found (install libreoffice-calc-nogui)")
    if checks.failed == 0 and not os.access(args.tool, os.X_OK):
        checks.report("tool", False, "%s is not an executable" % args.tool)
    if checks.failed:
        print("%d passed, %d failed" % (checks.passed, checks.failed))
        return 1

    tool = os.path.abspath(args.tool)
    parts = {}
    for part in ("lo-and-ours", "demo", "fixtures"):
        parts[part] = os.path.join(os.path.abspath(args.workdir), part)
        shutil.rmtree(parts[part], ignore_errors=True)
        os.makedirs(parts[part])

    try:
        with lo_common.Office() as office:
            check_lo_and_ours(office, tool, parts["lo-and-ours"], checks)
            check_demo(office, tool, parts["demo"], checks)
            check_fixtures(office, tool, parts["fixtures"], os.path.abspath(args.fixtures), checks)
            if office.crashes:
                print("note: soffice crashed %d time(s) and was restarted" % office.crashes)
    except lo_common.OfficeError as e:
        checks.report("libreoffice", False, str(e))

    print("%d passed, %d failed" % (checks.passed, checks.failed))
    return 0 if checks.failed == 0 and checks.passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
