#!/usr/bin/env python3
"""Times LibreOffice on a password-protected workbook, for comparison with
quadrilo-bench.

    lo_timing.py FILE PASSWORD [--runs N] [--out PATH]

Starts a private headless soffice (tests/interop/lo_common.py), loads FILE
hidden with the password and stores it as "MS Excel 97" with the same
password. Prints: start of soffice to connected, the first load, start to
loaded, the save, and the size of the file LibreOffice wrote. With --runs N
the load and save are repeated N times in the same soffice (the later loads
are warm); the table gives the first run and the median of all of them.
"""

import argparse
import os
import shutil
import statistics
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "interop"))
import lo_common  # noqa: E402


def ms(seconds):
    return "%10.1f" % (seconds * 1000.0)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("file")
    parser.add_argument("password")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--out", help="where to keep the file LibreOffice writes")
    args = parser.parse_args()
    if args.runs < 1:
        parser.error("--runs must be at least 1")
    if not os.path.isfile(args.file):
        parser.error("no such file: %s" % args.file)

    lo_common.reexec_with_uno_python()

    work = tempfile.mkdtemp(prefix="quadrilo-lo-timing-")
    try:
        out = os.path.join(work, "Protocollo-lo.xls")
        loads, saves = [], []
        started = time.monotonic()
        with lo_common.Office() as office:
            connected = time.monotonic() - started
            for run in range(args.runs):
                t = time.monotonic()
                doc = office.load(args.file, password=args.password)
                loads.append(time.monotonic() - t)
                if run == 0:
                    to_loaded = time.monotonic() - started
                try:
                    t = time.monotonic()
                    office.store_xls(doc, out, password=args.password)
                    saves.append(time.monotonic() - t)
                finally:
                    lo_common.close(doc)
            size = os.path.getsize(out)
            version = soffice_version(office)
        if args.out:
            shutil.copyfile(out, args.out)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    print("LibreOffice timing%s" % (" (%s)" % version if version else ""))
    print("  %-44s %s" % ("file", args.file))
    print("  %-44s %d bytes (%.2f MiB)" % ("input size", os.path.getsize(args.file),
                                           os.path.getsize(args.file) / 1048576.0))
    print("  %-44s %d bytes (%.2f MiB)" % ("size of the file LibreOffice wrote", size, size / 1048576.0))
    print("  %-44s %d" % ("runs", args.runs))
    print()
    print("  %-44s %10s %10s" % ("step", "first ms", "median ms"))
    print("  %-44s %s %10s" % ("start soffice to connected", ms(connected), "-"))
    print("  %-44s %s %10s" % ("start soffice to document loaded", ms(to_loaded), "-"))
    print("  %-44s %s %s" % ("load (loadComponentFromURL, Password)", ms(loads[0]),
                             ms(statistics.median(loads))))
    print("  %-44s %s %s" % ("save as MS Excel 97 with password", ms(saves[0]),
                             ms(statistics.median(saves))))
    return 0


def soffice_version(office):
    try:
        import uno  # noqa: F401
        from com.sun.star.beans import PropertyValue
        provider = office.ctx.ServiceManager.createInstanceWithContext(
            "com.sun.star.configuration.ConfigurationProvider", office.ctx)
        node = PropertyValue()
        node.Name = "nodepath"
        node.Value = "/org.openoffice.Setup/Product"
        access = provider.createInstanceWithArguments(
            "com.sun.star.configuration.ConfigurationAccess", (node,))
        return "%s %s" % (access.ooName, access.ooSetupVersionAboutBox)
    except Exception:
        return ""


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (lo_common.OfficeError, lo_common.LoadError) as e:
        print("lo_timing.py: %s" % e, file=sys.stderr)
        sys.exit(1)
