#!/usr/bin/env python3
"""LibreOffice reads the protocols the program entered.

    entry_test.py --sample PATH_TO_entry-sample --workdir DIR

Runs tests/interop/EntrySample.cpp (login, protocols entered, deleted and
changed, a contact, a lookup value, a counter, exit), then loads DIR/Protocollo.xls in LibreOffice headless with the
password and checks the cells. Ends with "N passed, M failed".
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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sample", required=True)
    parser.add_argument("--workdir", required=True)
    args = parser.parse_args()
    lo_common.reexec_with_uno_python()
    os.makedirs(args.workdir, exist_ok=True)
    run = subprocess.run([args.sample, args.workdir], check=True, capture_output=True, text=True)
    boxes = run.stdout.splitlines()
    path = os.path.join(args.workdir, "Protocollo.xls")

    with lo_common.Office() as office:
        lines = lo_dump.dump(office, path, PASSWORD, False)
    cells = {(line[0], line[1]): (line[2], line[3]) for line in lines}

    checks = []

    def check(name, ok, detail=""):
        checks.append(ok)
        print("%s %s %s" % ("PASS" if ok else "FAIL", name, "" if ok else detail))

    def cell(sheet, address, kind, value):
        got = cells.get((sheet, address))
        check("%s!%s" % (sheet, address), got == (kind, value), "got %r, expected %r" % (got, (kind, value)))

    check("boxes", boxes == [
        "[Quadrilo] Utente Autorizzato",
        "[ Quadrilo]  Vuoi Inserire questo Protocollo in Entrata ?",
        "[Quadrilo]  Protocollo inserito ",
        "[ Quadrilo]  Vuoi Inserire questo Protocollo in Entrata ?",
        "[Quadrilo]  Protocollo inserito ",
        "[Quadrilo] Si vuole eliminare il protocollo  selezionato ?",
        "[ Brenvaldo] Operazione eseguita",
        "[ Quadrilo]  Vuoi Inserire questo Protocollo in Uscita ?",
        "[Quadrilo]  Protocollo inserito ",
        "[Quadrilo] Vuoi modificare protocollo  selezionato  ?",
        "[Quadrilo] Protocollo  Modificato",
        "[Brenvaldo]  Vuoi Inserire questo Cliente ?",
        "[Quadrilo]  Contatto aggiunto",
        "[Quadrilo]  Vuoi effettuare l'inserimento ?",
        "[Quadrilo] Operazione eseguita !",
        "[Quadrilo] Vuoi  modificare  il numero ID progressivo del Protocollo in USCITA  ?",
        "[Quadrilo]  Operazione eseguita il nuovo numero ID progressivo del Protocollo   è 41",
    ], repr(boxes))
    check("lock released", not os.path.exists(os.path.join(args.workdir, ".~lock.Protocollo.xls#")))
    cell("Entrata", "A1", "text", "N.Prot.")
    cell("Entrata", "A2", "number", "1")
    cell("Entrata", "B2", "date", "2026-12-07")
    cell("Entrata", "C2", "text", "Raccomandata")
    cell("Entrata", "E2", "date", "2026-12-01")
    cell("Entrata", "F2", "text", "ALFA SRL")
    cell("Entrata", "G2", "text", "Richiesta di documenti")
    cell("Entrata", "H2", "text", "riga 1\\nriga 2")
    cell("Entrata", "I2", "text", "00184")
    cell("Entrata", "L2", "text", "E")
    check("Entrata row 3 deleted", not any(key[0] == "Entrata" and key[1].endswith("3") and key[1][:-1].isalpha()
                                           for key in cells), "")
    cell("Uscita", "F1", "text", "Destinatario")
    cell("Uscita", "A2", "number", "1")
    cell("Uscita", "B2", "date", "2026-12-07")
    cell("Uscita", "F2", "text", "BETA SPA")
    cell("Uscita", "G2", "text", "Risposta modificata")
    cell("Uscita", "E2", "date", "2026-12-01")
    cell("Uscita", "I2", "text", "2")
    cell("Uscita", "L2", "text", "U")
    check("Uscita!H2 empty", ("Uscita", "H2") not in cells)
    cell("Varie", "IV1", "number", "2")
    cell("Varie", "IU1", "number", "41")
    cell("Varie", "A2", "text", "Corriere")
    access = cells.get(("Varie", "P2"), ("", ""))
    check("access record", access[0] == "text" and access[1].startswith("admin") and len(access[1]) == len("admin") + 19,
          repr(access))
    cell("Cliente", "IV1", "number", "2")
    cell("Cliente", "A2", "number", "1")
    cell("Cliente", "B2", "text", "ROSSI MARIO")
    cell("Cliente", "F2", "text", "00184")
    cell("Cliente", "I2", "text", "0612345678")
    cell("Cliente", "M2", "text", "RSSMRA80A01H501U")

    failed = checks.count(False)
    print("%d passed, %d failed" % (len(checks) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
