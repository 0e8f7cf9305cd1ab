#!/usr/bin/env python3
"""The installable program: the desktop entry and the metainfo pass their
validators, the guide is built, and cpack makes a .deb that declares its
dependencies and holds what an installed program needs.

    package_test.py --source SRC --build BUILD --workdir DIR
"""

import argparse
import os
import shutil
import subprocess
import sys

failures = []


def check(name, ok, detail=""):
    print("%s %s%s" % ("PASS" if ok else "FAIL", name, "" if ok or not detail else ": %s" % detail))
    if not ok:
        failures.append(name)
    return ok


def run(*command, cwd=None):
    return subprocess.run(list(command), capture_output=True, text=True, cwd=cwd, timeout=600)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--workdir", required=True)
    args = parser.parse_args()
    data = os.path.join(args.source, "data")

    desktop = run("desktop-file-validate", os.path.join(data, "example.quadrilo.Quadrilo.desktop"))
    check("desktop entry valid", desktop.returncode == 0 and not desktop.stdout.strip(), desktop.stdout + desktop.stderr)
    metainfo = run("appstreamcli", "validate", "--no-net", os.path.join(data, "example.quadrilo.Quadrilo.metainfo.xml"))
    check("metainfo valid", metainfo.returncode == 0, metainfo.stdout + metainfo.stderr)

    guide = os.path.join(args.build, "doc", "generated", "Guida.pdf")
    if check("guide built", os.path.isfile(guide), guide):
        pages = run("pdfinfo", guide).stdout
        count = int(next((line.split()[-1] for line in pages.splitlines() if line.startswith("Pages:")), "0"))
        text = run("pdftotext", guide, "-").stdout
        check("guide has its chapters and pictures", count >= 5 and "Quadrilo" in text and "Protocolla" in text,
              "%d pages" % count)
        images = run("pdfimages", "-list", guide).stdout.splitlines()[2:]
        check("guide shows the screenshots", len(images) >= 5, "%d images" % len(images))

    shutil.rmtree(args.workdir, ignore_errors=True)
    os.makedirs(args.workdir)
    made = run("cpack", "-G", "DEB", "-B", args.workdir, cwd=args.build)
    debs = [name for name in os.listdir(args.workdir) if name.endswith(".deb")]
    if not check("cpack makes a .deb", made.returncode == 0 and len(debs) == 1, made.stdout[-2000:] + made.stderr[-2000:]):
        return 1
    deb = os.path.join(args.workdir, debs[0])
    fields = run("dpkg-deb", "-f", deb, "Package", "Version", "Depends").stdout
    check("the package declares its libraries and Qt's Italian texts",
          all(name in fields for name in ("libqt6widgets6", "libgsf-1", "libnettle", "libsane", "qt6-translations-l10n")),
          fields)
    contents = run("dpkg-deb", "-c", deb).stdout
    for path in ("./usr/bin/quadrilo", "./usr/bin/quadrilo-archivio",
                 "./usr/share/applications/example.quadrilo.Quadrilo.desktop",
                 "./usr/share/metainfo/example.quadrilo.Quadrilo.metainfo.xml",
                 "./usr/share/icons/hicolor/scalable/apps/example.quadrilo.Quadrilo.svg",
                 "./usr/share/icons/hicolor/48x48/apps/example.quadrilo.Quadrilo.png",
                 "./usr/share/man/man1/quadrilo.1.gz", "./usr/share/man/man1/quadrilo-archivio.1.gz",
                 "./usr/share/quadrilo/Guida.pdf", "./usr/share/doc/quadrilo/copyright"):
        check("the package holds %s" % path, path in contents)

    # Unpacked, the program runs from /usr/bin's layout without a display.
    root = os.path.join(args.workdir, "root")
    run("dpkg-deb", "-x", deb, root)
    version = run(os.path.join(root, "usr", "bin", "quadrilo"), "--version")
    check("the packaged program answers --version without a display",
          version.returncode == 0 and version.stdout.startswith("Quadrilo "), version.stdout + version.stderr)

    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
