"""Reads and operates the running window through the AT-SPI accessibility
bus, as a screen reader does: every control is found by the name it is
announced with, values are read through the Text interface, rows are picked
through the list's Table interface or a row's Toggle action, and option
option buttons are picked through their Toggle and Press actions. The menu
bar is read menu by menu, each entry with its shortcut. Then two visits are
saved with the keyboard's shortcut, the register is opened from its menu, and
its visit list is read cell by cell through its Table interface. The dietitian
is named and a visit's note written by the keyboard alone, and both are read
back.

Usage: atspi_check.py PID   (the process id of the running program)

Expected figures are worked out here from the formulas, not copied from the
program, so a wrong figure on the bus is a failure.
"""

import datetime
import math
import os
import sqlite3
import subprocess
import sys
import time

import pyatspi

WINDOW_TITLE = "Nutrovo - Meal Planner"
WAIT_SECONDS = 30


class CheckFailed(Exception):
    pass


def wait_for(what, probe, seconds=WAIT_SECONDS):
    deadline = time.monotonic() + seconds
    while True:
        found = probe()
        if found:
            return found
        if time.monotonic() > deadline:
            raise CheckFailed(f"timed out after {seconds} s waiting for {what}")
        time.sleep(0.1)


def application_of(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def window_of(app):
    for i in range(app.childCount):
        child = app.getChildAtIndex(i)
        if child is not None and child.name == WINDOW_TITLE:
            return child
    return None


def descendants(root):
    found, stack = [], [root]
    while stack:
        node = stack.pop()
        found.append(node)
        stack.extend(c for c in (node.getChildAtIndex(i) for i in range(node.childCount)) if c)
    return found


class Window:
    def __init__(self, frame):
        self.nodes = descendants(frame)

    def named(self, name, role):
        matches = [n for n in self.nodes if n.name == name and n.getRoleName() == role]
        if len(matches) != 1:
            raise CheckFailed(f'{len(matches)} {role}s named "{name}", expected exactly one')
        return matches[0]

    def labelled(self, label, role):
        """A control announced by the label linked to it (how lists are announced)."""
        matches = []
        for node in self.nodes:
            if node.getRoleName() != role:
                continue
            for relation in node.getRelationSet():
                if relation.getRelationType() != pyatspi.RELATION_LABELLED_BY:
                    continue
                targets = [relation.getTarget(i).name for i in range(relation.getNTargets())]
                if label in targets:
                    matches.append(node)
        if len(matches) != 1:
            raise CheckFailed(f'{len(matches)} {role}s labelled "{label}", expected exactly one')
        return matches[0]

    def text(self, name):
        field = self.named(name, "text")
        return field.queryText().getText(0, -1)


def expect_text(window, name, expected):
    wait_for(f'"{name}" to read {expected}', lambda: window.text(name) == expected, seconds=10)
    print(f'ok   "{name}" reads {expected}')


def harris_benedict_male(kg, cm, years, activity):
    return math.floor((((kg * 13.75 + 66.47) + cm * 5) - years * 6.76) * activity)


def mifflin_male(kg, cm, years, activity):
    return math.floor(((cm * 6.25 + (10 * kg + 5)) - 5 * years) * activity)


def owen_male(kg, activity):
    return math.floor((10 * kg + 900) * activity)


def body_mass_index(kg, cm):
    return math.floor(kg / ((cm / 100) * (cm / 100)) * 10) / 10


def shown(value):
    """A figure as the window writes it: no trailing .0 on a whole number."""
    return str(int(value)) if value == int(value) else str(value)


def row_of(list_node, row_text):
    for i in range(list_node.childCount):
        if list_node.getChildAtIndex(i).name == row_text:
            return i
    raise CheckFailed(f'no row "{row_text}" in the list')


def pick_by_selection(window, label, row_text):
    combo = window.labelled(label, "combo box")
    rows = combo.getChildAtIndex(0)
    if not rows.queryTable().addRowSelection(row_of(rows, row_text)):
        raise CheckFailed(f'the "{label}" list refused to select "{row_text}"')
    wait_for(f'"{label}" to show "{row_text}"', lambda: combo.name == row_text, seconds=10)
    print(f'ok   picked "{row_text}" in "{label}" through the Table interface')


def pick_by_toggle(window, label, row_text):
    combo = window.labelled(label, "combo box")
    rows = combo.getChildAtIndex(0)
    row = rows.getChildAtIndex(row_of(rows, row_text))
    press(row, "Toggle")
    wait_for(f'"{label}" to show "{row_text}"', lambda: combo.name == row_text, seconds=10)
    print(f'ok   picked "{row_text}" in "{label}" through its Toggle action')


def expect_checked(node, checked):
    state = node.getState().contains(pyatspi.STATE_CHECKED)
    if state != checked:
        raise CheckFailed(f'"{node.name}" is {"" if state else "not "}checked')
    print(f'ok   "{node.name}" is {"" if checked else "not "}checked')


def press(node, action_name):
    actions = node.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if action_name not in names:
        raise CheckFailed(f'"{node.name}" offers {names}, not {action_name}')
    actions.doAction(names.index(action_name))


def keys(combination, title=WINDOW_TITLE, command="key"):
    """Key presses as the keyboard makes them (or text typed), into the
    program's window of that title."""
    window = subprocess.run(["xdotool", "search", "--name", f"^{title}$"], check=True,
                            capture_output=True, text=True).stdout.split()[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", window, command, "--clearmodifiers", combination],
                   check=True)


# The menus as a new user reads them, each entry with its shortcut.
MENUS = {
    "File": [("Save Visit", "Ctrl+S"), ("Save as PDF…", "Ctrl+Shift+S"), ("Print Form", "Ctrl+P"),
             ("Copy Sheet as Text", "Ctrl+Shift+C"), ("Reset Form", ""), ("Quit", "Ctrl+Q")],
    "Clients": [("Clients and Visits…", "Ctrl+O"), ("Visit Note…", "Ctrl+Shift+N"), ("Register…", "")],
    "Settings": [("Preferences…", "Ctrl+,")],
    "Help": [("Keyboard Shortcuts", "F1"), ("About Nutrovo", "")],
}


def check_menu_bar(window):
    bar = next(n for n in window.nodes if n.getRoleName() == "menu bar")
    read = {}
    for title in (bar.getChildAtIndex(i) for i in range(bar.childCount)):
        if not title.getState().contains(pyatspi.STATE_VISIBLE):
            continue  # a menu with no command (yet)
        menu = title.getChildAtIndex(0)
        entries = (menu.getChildAtIndex(i) for i in range(menu.childCount))
        read[title.name] = [(e.name, e.queryAction().getKeyBinding(0)) for e in entries
                            if e.getRoleName() != "separator"]
    if read != MENUS:
        raise CheckFailed(f"the menu bar reads {read}, expected {MENUS}")
    print(f"ok   the menu bar reads {read}")


def dialog_titled(app, title):
    return wait_for(f'the dialog "{title}"', lambda: next((c for c in descendants(app) if c.name == title), None))


def check_note_and_preferences(app, frame):
    """By the keyboard alone: the dietitian named in Preferences, announced in
    the header; a note typed, the ADIME headings put in by the button's
    mnemonic, and the note read back through the Text interface."""
    keys("ctrl+comma")
    dialog_titled(app, "Preferences")
    keys("Mia Chen", "Preferences", "type")
    keys("Return", "Preferences")
    wait_for('the header to announce "Mia Chen"',
             lambda: any(n.name == "Mia Chen" and n.getRoleName() == "label" for n in descendants(frame)))
    print('ok   "Mia Chen" named through Preferences and announced in the header')

    keys("ctrl+shift+n")
    note = Window(dialog_titled(app, "Visit Note")).named("Visit note", "text")
    keys("Seen today", "Visit Note", "type")
    keys("Return", "Visit Note")
    keys("alt+i", "Visit Note")
    headings = ["Assessment", "Nutrition diagnosis (problem, etiology, signs and symptoms)", "Intervention",
                "Monitoring and evaluation"]
    expected = "Seen today\n" + "".join(heading + "\n\n" for heading in headings)
    wait_for("the note to read back as typed",
             lambda: note.queryText().getText(0, -1) == expected, seconds=10)
    print(f"ok   the note reads {expected!r}")
    keys("Escape", "Visit Note")


def visits_saved(register):
    try:
        with sqlite3.connect(f"file:{register}?mode=ro", uri=True) as db:
            return db.execute("SELECT count(*) FROM visits").fetchone()[0]
    except sqlite3.OperationalError:
        return 0  # not made yet, or not its tables


def check_register(app, window):
    """Two visits of one client, a month apart, saved with Ctrl+S: the visit
    list reads newest first, with the weight and BMI as the window showed them."""
    register = os.path.join(os.environ["XDG_DATA_HOME"], "nutrovo", "register.sqlite")
    month_ago = (datetime.date.today() - datetime.timedelta(days=30)).isoformat()
    window.named("Client name", "text").queryEditableText().setTextContents("Ada Lovelace")
    for saved, weight in enumerate(["150lb - 68kg", "140lb - 64kg"], start=1):
        pick_by_selection(window, "Current Weight", weight)
        keys("ctrl+s")
        wait_for(f"{saved} visit(s) in the register", lambda: visits_saved(register) == saved)
        if saved == 1:  # the first a month ago
            with sqlite3.connect(register) as db:
                db.execute("UPDATE visits SET visit_day = ?", (month_ago,))
    # From its menu, as a user who knows no shortcut would: Alt+C, then the first entry.
    keys("alt+c")
    clients = next(n for n in descendants(app) if n.name == "Clients and Visits…" and n.getRoleName() == "menu item")
    wait_for('the entry "Clients and Visits…" shown', lambda: clients.getState().contains(pyatspi.STATE_SHOWING))
    keys("Return")
    dialog = wait_for('the dialog "Clients and Visits"',
                      lambda: next((c for c in descendants(app) if c.name == "Clients and Visits"), None))
    visits = Window(dialog).named("Visits", "table").queryTable()
    headings = [visits.getColumnDescription(column) for column in range(3)]
    cells = [[visits.getAccessibleAt(row, column).name for column in range(3)] for row in range(visits.nRows)]
    expected = [[datetime.date.today().isoformat(), "64", window.text("Body mass index")], [month_ago, "68"]]
    if headings != ["Date", "Weight kg", "BMI"] or [row[:len(want)] for row, want in zip(cells, expected)] != expected \
            or len(cells) != 2:
        raise CheckFailed(f"the visit list reads {headings} {cells}, expected {expected}")
    print(f"ok   two visits saved with Ctrl+S; the visit list, opened from the Clients menu, reads {cells}")
    keys("Escape")


def check(pid):
    app = wait_for("the program on the accessibility bus", lambda: application_of(pid))
    frame = wait_for(f'the window "{WINDOW_TITLE}"', lambda: window_of(app))
    window = Window(frame)
    print(f'ok   window "{WINDOW_TITLE}" with {len(window.nodes)} accessible objects')

    # Start-up: a man of 40 years, 147.3 cm, 54 kg, activity 1.3.
    kg, cm, years, activity = 54, 147.3, 40, 1.3
    expect_text(window, "Age in years used", "40")
    expect_text(window, "Height in centimetres used", "147.3")
    expect_text(window, "Weight in kilograms used", "54")
    expect_text(window, "Activity factor used", "1.3")
    expect_text(window, "Sex used", "Male")
    expect_text(window, "Body mass index", shown(body_mass_index(kg, cm)))
    expect_text(window, "Harris-Benedict maintenance, kilocalories per day",
                str(harris_benedict_male(kg, cm, years, activity)))
    expect_text(window, "Owen maintenance, kilocalories per day", str(owen_male(kg, activity)))
    expect_text(window, "Mifflin-St Jeor maintenance, kilocalories per day",
                str(mifflin_male(kg, cm, years, activity)))

    # Age matters to Harris-Benedict and Mifflin-St Jeor, not to Owen.
    years = 55
    pick_by_selection(window, "Age", "55 yrs")
    expect_text(window, "Age in years used", "55")
    expect_text(window, "Harris-Benedict maintenance, kilocalories per day",
                str(harris_benedict_male(kg, cm, years, activity)))
    expect_text(window, "Mifflin-St Jeor maintenance, kilocalories per day",
                str(mifflin_male(kg, cm, years, activity)))
    expect_text(window, "Owen maintenance, kilocalories per day", str(owen_male(kg, activity)))

    # 67 inches, to one decimal of a centimetre.
    cm = math.floor(67 * 2.54 * 10 + 0.5) / 10
    pick_by_toggle(window, "Current Height", "5 - 7 - 170cm")
    expect_text(window, "Height in centimetres used", shown(cm))
    expect_text(window, "Body mass index", shown(body_mass_index(kg, cm)))

    # The picked sex button says so; no servings button is picked at start-up.
    expect_checked(window.named("Male", "radio button"), True)
    expect_checked(window.named("Female", "radio button"), False)
    expect_checked(window.named("Protein servings: 0", "radio button"), False)

    # Three protein servings of 7 g protein and 3 g fat each.
    servings = window.named("Protein servings: 3", "radio button")
    press(servings, "Toggle")
    print('ok   picked "Protein servings: 3" through its Toggle action')
    expect_text(window, "Protein grams per day from protein foods", "21")
    expect_text(window, "Fat grams per day from protein foods", "9")
    expect_text(window, "Total protein, grams per day", "21")
    expect_checked(servings, True)

    press(window.named("Female", "radio button"), "Press")
    expect_text(window, "Sex used", "Female")
    expect_checked(window.named("Male", "radio button"), False)

    check_menu_bar(window)
    check_note_and_preferences(app, frame)
    check_register(app, window)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: atspi_check.py PID")
    try:
        check(int(sys.argv[1]))
    except CheckFailed as failure:
        print(f"FAIL {failure}", file=sys.stderr)
        sys.exit(1)
    print("atspi: every check passed")


if __name__ == "__main__":
    main()
