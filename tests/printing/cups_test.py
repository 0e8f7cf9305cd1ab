#!/usr/bin/env python3
"""The Entrata list printed through a real CUPS scheduler.

    cups_test.py --sample PATH_TO_entry-sample --workdir DIR

Starts a private cupsd (its own configuration, socket and spool in a short
temporary folder, since a socket path is limited to 107 bytes; whoever runs
it) with one printer, "Quadrilo-Prova", the default, whose
backend keeps each job as the program sent it. Runs
tests/interop/EntrySample.cpp with --print-on Quadrilo-Prova, waits for the
job and reads it back with pdftotext. Ends with "N passed, M failed".
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PRINTER = "Quadrilo-Prova"

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
        out = os.path.join(root, "out")
        subprocess.run([tool("lpadmin"), "-p", PRINTER, "-E", "-v", "quadrilo:" + out], env=env, check=True)
        subprocess.run([tool("lpadmin"), "-d", PRINTER], env=env, check=True)

        work = os.path.join(os.path.abspath(args.workdir), "program")
        run = subprocess.run([args.sample, work, "--print-on", PRINTER], env=env, capture_output=True, text=True,
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
            jobs = [name for name in os.listdir(out) if name.startswith("job-")]
            pending = subprocess.run([tool("lpstat"), "-o"], env=env, capture_output=True, text=True).stdout.strip()
            if jobs and not pending:
                break
            time.sleep(0.1)
        check("one job reached the printer", len(jobs) == 1, repr(jobs))
        if jobs:
            path = os.path.join(out, jobs[0])
            with open(path, "rb") as f:
                check("the job is a PDF", f.read(5) == b"%PDF-")
            text = " ".join(subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, text=True).stdout.split())
            check("the list header is printed", "Stampa Lista Protocolli in Entrata" in text, text[:300])
            check("the protocol is printed", "ALFA SRL" in text and "Richiesta di documenti" in text, text[:300])
            check("the deleted protocol is not", "GAMMA SNC" not in text, text[:300])
        with open(os.path.join(root, "log", "page_log")) as f:
            pages = f.read()
        check("the job carries the list's name", "Stampa  Lista Protocolli in Entrata" in pages, pages)
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
