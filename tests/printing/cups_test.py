#!/usr/bin/env python3
"""The Entrata list printed through a real CUPS scheduler.

    cups_test.py --sample PATH_TO_entry-sample --workdir DIR

Starts a private cupsd (its own configuration, socket and spool in a short
temporary folder, since a socket path is limited to 107 bytes; whoever runs
it) with three printers whose backend keeps each job as the program sent it:
the default, one the program chooses in its printer window, and one that
refuses jobs. Runs tests/interop/EntrySample.cpp, waits for the jobs and reads
them back with pdftotext, the words' boxes included. Ends with "N passed, M
failed".
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PRINTER = "Quadrilo-Prova"        # the default
LABELS = "Quadrilo-Etichette"      # chosen in the printer window
REFUSING = "Quadrilo-Sospesa"      # cupsreject

CUPSD_CONF = """Listen {root}/cups.sock
LogLevel info
WebInterface No
Browsing No
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
"""

CUPS_FILES_CONF = """ServerRoot {root}
RequestRoot {root}/spool
TempDir {root}/tmp
CacheDir {root}/cache
StateDir {root}/state
AccessLog {root}/log/access_log
ErrorLog {root}/log/error_log
PageLog {root}/log/page_log
ServerBin {root}/bin
DataDir /usr/share/cups
"""

# Copies each job into the folder named by the device URI.
BACKEND = """#!/bin/sh
if [ $# -eq 0 ]; then
    echo 'direct quadrilo "Unknown" "Quadrilo test printer"'
    exit 0
fi
folder=${DEVICE_URI#quadrilo:}
if [ $# -ge 6 ]; then cat "$6"; else cat; fi > "$folder/job-$1.out"
"""


def tool(name):
    found = shutil.which(name) or shutil.which(name, path="/usr/sbin:/usr/bin:/sbin")
    if not found:
        sys.exit("cups_test: %s not found (scripts/setup-debian.sh installs cups-daemon and cups-client)" % name)
    return found


def private_cups(root):
    """Writes the configuration of a cupsd that lives under root."""
    for sub in ("spool", "tmp", "cache", "state", "log", "bin/backend", "out"):
        os.makedirs(os.path.join(root, sub), exist_ok=True)
    os.chmod(root, 0o755)
    os.chmod(os.path.join(root, "out"), 0o777)   # the backend may run as lp
    with open(os.path.join(root, "cupsd.conf"), "w") as f:
        f.write(CUPSD_CONF.format(root=root))
    with open(os.path.join(root, "cups-files.conf"), "w") as f:
        f.write(CUPS_FILES_CONF.format(root=root))
    # The system's filters and helpers, and our backend.
    for name in os.listdir("/usr/lib/cups"):
        if name != "backend":
            os.symlink(os.path.join("/usr/lib/cups", name), os.path.join(root, "bin", name))
    backend = os.path.join(root, "bin", "backend", "quadrilo")
    with open(backend, "w") as f:
        f.write(BACKEND)
    os.chmod(backend, 0o755)


def words_by_line(pdf):
    """The words of each page line of a PDF: {(page, yMin): [(xMin, xMax, word)]}, from pdftotext -bbox."""
    html = subprocess.run(["pdftotext", "-bbox", pdf, "-"], capture_output=True, text=True).stdout
    lines = {}
    page = 0
    for line in html.splitlines():
        if "<page " in line:
            page += 1
        found = re.search(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">(.*)</word>', line)
        if found:
            x0, y0, x1, word = float(found.group(1)), float(found.group(2)), float(found.group(3)), found.group(4)
            lines.setdefault((page, round(y0)), []).append((x0, x1, word))
    return lines


def overlaps(lines):
    """Words of a line that run into the next: a text cut at its cell's edge
    still stands whole in the text layer, over the next cell's text."""
    found = []
    for key, words in lines.items():
        words.sort()
        for (a0, a1, a), (b0, b1, b) in zip(words, words[1:]):
            if a1 > b0 + 0.2:
                found.append("%s|%s" % (a, b))
    return found


def stands_whole(text, printed):
    """Whether the words printed, in reading order, hold every character of
    text in order (a wrapped text is read line after line, with the other
    cells' words between)."""
    rest = text.replace(" ", "")
    for word in printed:
        if rest and rest.startswith(word):
            rest = rest[len(word):]
    return not rest


def jobs_of(folder):
    return sorted(os.path.join(folder, name) for name in os.listdir(folder) if name.startswith("job-"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sample", required=True)
    parser.add_argument("--workdir", required=True)
    args = parser.parse_args()

    shutil.rmtree(args.workdir, ignore_errors=True)
    root = tempfile.mkdtemp(prefix="quadrilo-cups-")
    private_cups(root)
    socket = os.path.join(root, "cups.sock")
    env = dict(os.environ, CUPS_SERVER=socket, QT_QPA_PLATFORM="offscreen")

    cupsd = subprocess.Popen([tool("cupsd"), "-f", "-c", os.path.join(root, "cupsd.conf"),
                              "-s", os.path.join(root, "cups-files.conf")])
    checks = []

    def check(name, ok, detail=""):
        checks.append(ok)
        print("%s %s %s" % ("PASS" if ok else "FAIL", name, "" if ok else detail))

    try:
        for _ in range(100):
            if os.path.exists(socket) or cupsd.poll() is not None:
                break
            time.sleep(0.1)
        if not os.path.exists(socket):
            sys.exit("cups_test: cupsd did not start")
        outs = {}
        for name in (PRINTER, LABELS, REFUSING):
            outs[name] = os.path.join(root, "out", name)
            os.makedirs(outs[name])
            os.chmod(outs[name], 0o777)
            subprocess.run([tool("lpadmin"), "-p", name, "-E", "-v", "quadrilo:" + outs[name]], env=env, check=True)
        subprocess.run([tool("lpadmin"), "-d", PRINTER], env=env, check=True)
        subprocess.run([tool("cupsreject"), REFUSING], env=env, check=True)

        # The list on the label printer, chosen in the printer window; the label follows it.
        work = os.path.join(os.path.abspath(args.workdir), "program")
        run = subprocess.run([args.sample, work, "--print-on", LABELS], env=env, capture_output=True, text=True,
                             timeout=120)
        boxes = run.stdout.splitlines()
        check("the program ends", run.returncode == 0, run.stderr)
        check("the printer window names the default printer",
              "[StampaP] La stampante predefinita è:  %s" % PRINTER in boxes, repr(boxes[-3:]))
        check("the zoom is asked", "[Quadrilo] Digita la percentuale di Zoom della Stampa 80-90-100.................." in boxes,
              repr(boxes[-3:]))
        check("no error box", not any("ERRORE" in box for box in boxes), repr(boxes))

        jobs = []
        for _ in range(300):
            jobs = jobs_of(outs[LABELS])
            pending = subprocess.run([tool("lpstat"), "-o"], env=env, capture_output=True, text=True).stdout.strip()
            if len(jobs) >= 2 and not pending:
                break
            time.sleep(0.1)
        check("the list and the label reached the chosen printer", len(jobs) == 2, repr(jobs))
        for index, job in enumerate(jobs):   # kept for a look
            shutil.copy(job, os.path.join(args.workdir, "job-%d.pdf" % (index + 1)))
        check("nothing went to the default printer", not jobs_of(outs[PRINTER]), repr(jobs_of(outs[PRINTER])))
        if jobs:
            path = jobs[0]
            with open(path, "rb") as f:
                check("the job is a PDF", f.read(5) == b"%PDF-")
            text = " ".join(subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, text=True).stdout.split())
            check("the list header is printed", "Stampa Lista Protocolli in Entrata" in text, text[:300])
            check("the protocol is printed", "ALFA SRL" in text and "Richiesta" in text, text[:300])
            check("the deleted protocol is not", "GAMMA SNC" not in text, text[:300])
            check("the footer's sections are printed with their codes", "Quadrilo Pagina 1 di 1 Entrata" in text,
                  text[-200:])
            lines = words_by_line(path)
            printed = [w for key in sorted(lines) for _, _, w in sorted(lines[key])]
            for long_text in ("AMMINISTRAZIONE PROVINCIALE DI FORLI-CESENA", "protocollo.generale@comune.esempio",
                              "Risposta attesa entro trenta giorni dalla data di ricevimento della presente, come stabilito",
                              "Richiesta di documenti"):
                check("%r is printed whole, wrapped if need be" % long_text, stands_whole(long_text, printed),
                      repr(printed[-40:]))
            cut = overlaps(lines)
            check("no text runs into the next cell", not cut, repr(cut[:10]))
        if len(jobs) == 2:
            label = " ".join(subprocess.run(["pdftotext", "-layout", jobs[1], "-"], capture_output=True, text=True).stdout.split())
            check("the label is printed", "N.Prot/Entrata" in label and "ALFA SRL" in label, label[:200])
        with open(os.path.join(root, "log", "page_log")) as f:
            pages = f.read()
        check("the job carries the list's name", "Stampa Lista Protocolli in Entrata" in pages, pages)

        # A queue that refuses jobs: the user is told, in Italian.
        refused = subprocess.run([args.sample, work + "-refused", "--print-on", REFUSING], env=env, capture_output=True,
                                 text=True, timeout=120)
        said = refused.stdout.splitlines()
        expected = ("[Quadrilo]  ERRORE: La stampa su %s non è arrivata alla stampante: la stampante %s non accetta "
                    "lavori (è stata sospesa nel servizio di stampa) !" % (REFUSING, REFUSING))
        check("a refused job is told", expected in said, repr([box for box in said if "ERRORE" in box]))
        check("nothing reached the refusing queue", not jobs_of(outs[REFUSING]))
    finally:
        cupsd.send_signal(signal.SIGTERM)
        try:
            cupsd.wait(timeout=10)
        except subprocess.TimeoutExpired:
            cupsd.kill()
        shutil.rmtree(root, ignore_errors=True)

    failed = checks.count(False)
    print("%d passed, %d failed" % (len(checks) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
