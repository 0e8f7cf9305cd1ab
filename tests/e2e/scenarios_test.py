#!/usr/bin/env python3
"""The program as a person uses it: login, the Entrata register, the users.

    dbus-run-session -- /usr/bin/python3 scenarios_test.py --program quadrilo
        --archivio quadrilo-archivio --workbook e2e-workbook --workdir DIR [SCENARIO...]

Each scenario starts the program on a fresh copy of the e2e-workbook folder
(users Rossi/alfa and rossi/beta; Entrata 1 "Lettera A", 2 "Lettera B",
1 "Lettera C"), drives it with real clicks and keys, and reads the file back
with quadrilo-archivio. Ends with "N passed, M failed".
"""

import os
import sys
import time
import traceback
import unicodedata

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_common as e2e  # noqa: E402
from e2e_common import check  # noqa: E402

MAIN_TITLE = "Quadrilo versione 3.2"
LOGIN_TITLE = "Quadrilo versione 3.1 "
QUIET = 3.0   # seconds in which no box may appear


def login_fields(program):
    window = program.window(LOGIN_TITLE)
    user = e2e.child(e2e.child(window, role="combo box"), role="text")
    password = e2e.child(window, "Password:", "password text")
    return window, user, password


def log_in(program, name, password):
    window, user_field, password_field = login_fields(program)
    e2e.type_into(user_field, name)
    e2e.type_into(password_field, password)
    e2e.press(e2e.child(window, "Entra", "push button"))
    program.answer("Utente Autorizzato", "OK")
    return program.window(MAIN_TITLE, prefix=True)


def menu(program, window, *path):
    """Opens menu items one after the other with real clicks."""
    e2e.press(e2e.child(window, path[0], "menu item"))
    for caption in path[1:]:
        e2e.press(e2e.child(program.app, caption, "menu item"))


def entrata_panel(program):
    main = log_in(program, "Rossi", "alfa")
    menu(program, main, "Quadrilo", "Gestione in Entrata")
    return e2e.child(main, " Prot. in Entrata", "label").parent


def after_label(panel, caption):
    """The child of panel that follows its label caption."""
    # Only the panel's own children: a search of the whole panel walks the calendars' cells.
    siblings = list(panel.children)
    for index, node in enumerate(siblings[:-1]):
        if node.roleName == "label" and node.name == caption:
            return siblings[index + 1]
    raise e2e.E2eError("no label %r" % caption)


def register_list(panel):
    """The register list, by the name its caption gives it."""
    return e2e.wait_for("the register list", lambda: panel.findChild(
        lambda n: n.name == "Lista/ Seleziona  Protocolli" and n.roleName != "label" and n.showing,
        retry=False, requireResult=False))


def labelled_field(panel, caption):
    """The text field of panel named caption, or else the one after the label caption."""
    for node in panel.children:
        if node.roleName == "text" and node.name == caption:
            return node
    after = after_label(panel, caption)
    return after if after.roleName == "text" else e2e.child(after, role="text")


def rows(table):
    grid = table.queryTable()
    return [[grid.getAccessibleAt(row, column).name for column in range(grid.nColumns)] for row in range(grid.nRows)]


def press_row(table, row):
    """A real click on the first cell of row (0 is the first row)."""
    e2e.press(table.queryTable().getAccessibleAt(row, 0))


def row_with(table, header, text):
    """The index of the row whose column header holds text."""
    headers = [node.name for node in table.children if node.roleName == "table column header"]
    column = headers.index(header)
    for index, texts in enumerate(rows(table)):
        if texts[column] == text:
            return index
    raise e2e.E2eError("no row with %s %r: %r" % (header, text, rows(table)))


def cell(cells, sheet, address):
    return cells.get((sheet, address), (None, None))


def check_cell(name, cells, sheet, address, expected):
    """expected is (type, value), or (None, None) for an empty cell."""
    found = cell(cells, sheet, address)
    return check(name, found == expected, found)


def changed_cells(program, before, what):
    """The file once it differs from before (the program saved it)."""
    return e2e.wait_for_cells(program.args, program.workbook, lambda now: now != before, what)


# ---------------------------------------------------------------- scenarios

def header_row(args):
    """The column headers of the users table are not a user."""
    with e2e.Program(args, "header-row") as program:
        window, user, password = login_fields(program)
        e2e.type_into(user, "USERID")
        e2e.type_into(password, "PWD")
        e2e.press(e2e.child(window, "Entra", "push button"))
        time.sleep(QUIET)
        shown = [(title, text) for title, text, _ in program.boxes()]
        check("header row: no box after Entra", not shown, shown)
        check("header row: the login window stays", window.showing)
        check("header row: no main window", not program.find_window(MAIN_TITLE, prefix=True))
        program.kill()
    cells = e2e.cells(args, program.workbook)
    check_cell("header row: Varie P1 is still the header", cells, "Varie", "P1", ("text", "Accesso"))


def case_differing_name(args):
    """"rossi" typed with real keys logs in as rossi, not as Rossi."""
    with e2e.Program(args, "case-name") as program:
        window, user, password = login_fields(program)
        e2e.press(user)
        e2e.wait_for("the focus in the user field", lambda: user.focused)
        e2e.type_keys("rossi")
        e2e.key("Tab")
        e2e.wait_for("the focus in the password field", lambda: password.focused)
        check("case name: the user field keeps 'rossi' after Tab", user.text == "rossi", repr(user.text))
        e2e.type_keys("beta")
        e2e.press(e2e.child(window, "Entra", "push button"))
        title = program.answer("Utente Autorizzato", "OK")
        check("case name: the box's title", title == "Quadrilo", repr(title))
        check("case name: the main window shows",
              e2e.within("the main window", lambda: program.find_window(MAIN_TITLE, prefix=True)))
        cells = e2e.wait_for_cells(args, program.workbook,
                                   lambda now: cell(now, "Varie", "P3")[1] is not None, "the login stamp")
    p3 = cell(cells, "Varie", "P3")
    check("case name: Varie P3 is stamped with rossi", str(p3[1]).startswith("rossi"), p3)
    check_cell("case name: Varie P2 stays empty", cells, "Varie", "P2", (None, None))


def kill_after_insert(args):
    """Once " Protocollo inserito " shows, the record is in the file."""
    with e2e.Program(args, "kill-after-insert") as program:
        panel = entrata_panel(program)
        e2e.type_into(labelled_field(panel, "Data"), "09/12/2026")
        e2e.type_into(labelled_field(panel, "Contatto/Mittente/Destinatario"), "ENTE TEST")
        e2e.type_into(labelled_field(panel, "Oggetto"), "Prova di salvataggio")
        e2e.press(e2e.child(panel, "Protocolla", "push button"))
        title = program.answer(" Vuoi Inserire questo Protocollo in Entrata ?", "Sì")
        check("insert: the question's title", title == " Quadrilo", repr(title))
        title, _ = program.message_box(" Protocollo inserito ")
        program.kill()
        check("insert: the box's title", title == "Quadrilo", repr(title))
    cells = e2e.cells(args, program.workbook)
    check_cell("insert: Entrata A5 is number 3", cells, "Entrata", "A5", ("number", "3"))
    check_cell("insert: Entrata F5 is the correspondent", cells, "Entrata", "F5", ("text", "ENTE TEST"))
    check_cell("insert: Entrata G5 is the subject", cells, "Entrata", "G5", ("text", "Prova di salvataggio"))
    check_cell("insert: the Entrata counter is 3", cells, "Varie", "IV1", ("number", "3"))


def repeated_number(args):
    """The third row, number 1 again, is the one modified and deleted."""
    with e2e.Program(args, "repeated-number") as program:
        panel = entrata_panel(program)
        register = register_list(panel)
        subject = labelled_field(panel, "Oggetto")
        before = e2e.cells(args, program.workbook)
        press_row(register, 2)
        e2e.wait_for("the third record in the fields", lambda: subject.text == "Lettera C")
        e2e.type_into(subject, "Lettera C corretta")
        e2e.press(e2e.child(panel, "Modifica", "push button"))
        program.answer("Vuoi modificare protocollo  selezionato  ?", "Sì")
        title = program.answer("Protocollo  Modificato", "OK")
        check("modify: the box's title", title == "Brenvaldo", repr(title))
        cells = changed_cells(program, before, "the modification saved")
        check_cell("modify: Entrata G4 is the new subject", cells, "Entrata", "G4", ("text", "Lettera C corretta"))
        check_cell("modify: Entrata G2 is untouched", cells, "Entrata", "G2", ("text", "Lettera A"))

        before = cells
        press_row(register, 2)
        check("delete: the third row is the modified record",
              e2e.within("the record in the fields", lambda: subject.text == "Lettera C corretta", 5),
              repr(subject.text))
        e2e.press(e2e.child(panel, "Elimina", "push button"))
        program.answer("Si vuole eliminare il protocollo  selezionato ?", "Sì")
        title = program.answer("Operazione eseguita", "OK")
        check("delete: the box's title", title == " Brenvaldo", repr(title))
        cells = changed_cells(program, before, "the deletion saved")
    subjects = [cell(cells, "Entrata", "G%d" % row)[1] for row in (2, 3)]
    check("delete: rows 2 and 3 keep Lettera A and Lettera B", subjects == ["Lettera A", "Lettera B"], subjects)
    row4 = {address: value for (sheet, address), value in cells.items()
            if sheet == "Entrata" and address[1:] == "4"}
    check("delete: row 4 is empty", not row4, row4)


def last_user(args):
    """The last user who can log in cannot be deleted."""
    with e2e.Program(args, "last-user") as program:
        main = log_in(program, "Rossi", "alfa")
        e2e.press(e2e.child(main, "Utenti/Password", "menu item"))
        _, prompt = program.message_box("Digita  la Password  di Accesso Area Utenti")
        e2e.type_into(e2e.child(prompt, role="text"), "area")
        e2e.press(e2e.button_of(prompt, "OK"))
        panel = e2e.child(main, "Utente/Password", "panel")
        before = e2e.cells(args, program.workbook)

        users = after_label(panel, "Utenti Abilitati")
        press_row(users, row_with(users, "USERID", "rossi"))
        e2e.press(e2e.child(panel, "Cancella Utente", "push button"))
        program.answer("Vuoi eliminare l'Utente  selezionato  ?", "Sì")
        cells = changed_cells(program, before, "the deletion saved")
        row3 = {address: value for (sheet, address), value in cells.items()
                if sheet == "Varie" and address in ("K3", "L3", "M3", "N3", "O3")}
        check("users: row 3 K..O emptied", not row3, row3)

        press_row(users, row_with(users, "USERID", "Rossi"))
        e2e.press(e2e.child(panel, "Cancella Utente", "push button"))
        refusal = (" ERRORE: Non si può eliminare l'ultimo Utente abilitato:"
                   " nessuno potrebbe più entrare nel programma !")
        shown = e2e.wait_for("a box", lambda: program.boxes())
        texts = [(title, text) for title, text, _ in shown]
        if check("users: the last user is refused", texts == [("Quadrilo", refusal)], texts):
            program.answer(refusal, "OK")
        else:
            # Yes to whatever is asked, as a hurried user would: the file shows what that costs.
            while shown:
                _, text, box = shown[0]
                program.answer(text, "Sì" if e2e.has_button(box, "Sì") else "OK")
                try:
                    shown = e2e.wait_for("another box", lambda: program.boxes(), QUIET)
                except e2e.E2eError:
                    shown = []
            changed_cells(program, cells, "the deletion saved")
        program.kill()
    cells = e2e.cells(args, program.workbook)
    check_cell("users: Varie N2 is still Rossi", cells, "Varie", "N2", ("text", "Rossi"))


# What a person reads or uses on a panel; cells and headers scroll with their list.
CONTROLS = {"push button", "text", "password text", "combo box", "check box", "radio button",
            "label", "table", "tree", "tree table", "list", "calendar", "page tab"}
SCREEN = (0, 0, 1366, 768)


def controls(node):
    """The showing controls under node, hidden subtrees (a closed calendar) skipped."""
    found = []
    for each in node.children:
        try:
            if not each.showing:
                continue
            role = each.roleName
        except Exception:
            continue
        if role in CONTROLS:
            found.append(each)
        if role not in ("table", "tree", "tree table", "list", "combo box", "calendar"):
            found.extend(controls(each))
    return found


def outside(node, box):
    x, y, width, height = node.extents
    bx, by, bwidth, bheight = box
    return x < bx or y < by or x + width > bx + bwidth or y + height > by + bheight or width <= 0 or height <= 0


def check_panel(name, panel, window):
    """Every control of the panel lies whole inside the window."""
    box = window.extents
    cut = ["%s %r at %r" % (node.roleName, node.name, tuple(node.extents)) for node in controls(panel)
           if outside(node, box)]
    check("fits: %s, every control inside the window %r" % (name, tuple(box)), not cut, cut[:8])


def fits_screen(args):
    """On a 1366 x 768 screen every control of every panel shows whole."""
    with e2e.Program(args, "fits-screen") as program:
        main = log_in(program, "Rossi", "alfa")
        e2e.wait_for("the main window maximised", lambda: not outside(main, SCREEN) and main.extents[2] > 1200)
        check("fits: the main window inside the screen", not outside(main, SCREEN), tuple(main.extents))

        menu(program, main, "Quadrilo", "Gestione in Entrata")
        protocol = e2e.child(main, " Prot. in Entrata", "label").parent
        check_panel("Entrata", protocol, main)
        e2e.press(e2e.child(protocol, "Scegli la data dal calendario", "check box"))
        calendar = e2e.child(protocol, "Calendario")
        check_panel("calendar", calendar.parent, main)
        e2e.press(e2e.child(protocol, "Scegli la data dal calendario", "check box"))
        e2e.press(e2e.child(protocol, "Seleziona Contatto", "push button"))
        picker = e2e.child(main, "Seleziona Contatto", "tree").parent
        check_panel("contact picker", picker, main)
        check_panel("Entrata with the picker open", protocol, main)

        for entry, title in (("Gestione Contatti", "Gestione Contatto"), ("Impostazioni", "Impostazioni"),
                             ("Stampe", "Stampe")):
            e2e.press(e2e.child(main, entry, "menu item"))
            check_panel(title, e2e.child(main, title, "panel"), main)

        e2e.press(e2e.child(main, "Utenti/Password", "menu item"))
        _, prompt = program.message_box("Digita  la Password  di Accesso Area Utenti")
        e2e.type_into(e2e.child(prompt, role="text"), "area")
        e2e.press(e2e.button_of(prompt, "OK"))
        check_panel("Utente/Password", e2e.child(main, "Utente/Password", "panel"), main)


def fold(text):
    """Lower case without accents, as a person types a search."""
    return "".join(c for c in unicodedata.normalize("NFD", text) if unicodedata.category(c) != "Mn").casefold()


def shown_records(cells):
    """Entrata's records as the list shows them: {number: folded texts of A..K}, and their dates."""
    records, dates = {}, {}
    row = 2
    while ("Entrata", "A%d" % row) in cells:
        texts = []
        for column in "ABCDEFGHIJK":
            kind, value = cell(cells, "Entrata", "%s%d" % (column, row))
            if kind == "date":
                year, month, day = value.split("-")
                value = "%s/%s/%s" % (day, month, year)
                dates[int(cell(cells, "Entrata", "A%d" % row)[1])] = (int(year), int(month), int(day))
            texts.append(value or "")
        records[int(texts[0])] = fold("\n".join(texts))
        row += 1
    return records, dates


def search_scenario(args):
    """Words, an accented word typed plainly, dates and numbers narrow a large register to the right rows."""
    with e2e.Program(args, "search", base="base-large") as program:
        panel = entrata_panel(program)
        register = register_list(panel)
        records, dates = shown_records(e2e.cells(args, program.workbook))
        def count():
            return register.queryTable().nRows

        def shown():
            table = register.queryTable()
            return sorted(int(table.getAccessibleAt(row, 0).name) for row in range(table.nRows))

        check("search: the whole register is listed", count() == len(records), count())
        words = e2e.child(panel, "Cerca", "text")
        since = e2e.child(panel, "Dal", "text")
        until = e2e.child(panel, "Al", "text")
        numbers = e2e.child(panel, "Numeri", "text")

        def expect(name, field, typed, answers):
            e2e.type_into(field, typed)
            wanted = sorted(number for number in records if answers(number))
            try:
                e2e.wait_for("the list to show %d rows" % len(wanted), lambda: count() == len(wanted), 10)
            except e2e.E2eError:
                pass
            got = shown()
            check("search: %s gives the %d records the workbook holds" % (name, len(wanted)), got == wanted and wanted,
                  "%d shown, %d wanted" % (len(got), len(wanted)))

        expect("a word", words, "cesena", lambda n: "cesena" in records[n])
        expect("two words", words, "comune stima", lambda n: "comune" in records[n] and "stima" in records[n])
        expect("an accented word typed plainly", words, "forli parere", lambda n: "forli" in records[n] and "parere" in records[n])
        e2e.type_into(words, " ")
        expect("a date range", since, "1/3/2026", lambda n: dates.get(n, (0,)) >= (2026, 3, 1))
        expect("a date range", until, "31/03/2026", lambda n: (2026, 3, 1) <= dates.get(n, (0,)) <= (2026, 3, 31))
        e2e.type_into(since, " ")
        e2e.type_into(until, " ")
        expect("a number range", numbers, "120-180", lambda n: 120 <= n <= 180)


SCENARIOS = {
    "header-row": header_row,
    "case-name": case_differing_name,
    "kill-after-insert": kill_after_insert,
    "repeated-number": repeated_number,
    "last-user": last_user,
    "fits-screen": fits_screen,
    "search": search_scenario,
}


def main():
    args = e2e.arguments()
    chosen = args.scenarios or list(SCENARIOS)
    e2e.watchdog()
    with e2e.Desktop():
        for name in chosen:
            print("-- %s" % name, flush=True)
            e2e.watchdog()
            try:
                SCENARIOS[name](args)
            except Exception as error:  # the scenario could not go on
                traceback.print_exc()
                check("%s: ran to the end" % name, False, error)
        e2e.watchdog(0)
    return e2e.finish()


if __name__ == "__main__":
    sys.exit(main())
