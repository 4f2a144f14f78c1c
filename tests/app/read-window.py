# Reads the running program through AT-SPI, as a screen reader does, and
# drives it by the actions a screen reader offers (and Ctrl+F by xdotool). Usage:
#   read-window.py LINES-FILE
# The program was started with the file, with "Sort Content By Keys You
# Choose..." chosen and the pattern "(a)" as the stored key.
import subprocess
import sys
import time

import pyatspi

expected = open(sys.argv[1], encoding="utf-8").read().splitlines()
problems = []


def check(condition, what):
    if not condition:
        problems.append(what)


def program():
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [a for a in desktop if a is not None and a.name.lower() == "tarnveil"]
    return apps[0] if apps else None


def nodes(node, depth=0):
    """Every accessible below node; a table's cells are read through the table."""
    if node is None or depth > 25:
        return
    yield node
    if node.getRole() == pyatspi.ROLE_TABLE:
        return
    for i in range(node.childCount):
        yield from nodes(node.getChildAtIndex(i), depth + 1)


def find(role, name=None, within=None, seconds=30):
    """Waits for an accessible of that role (and name) and gives it."""
    deadline = time.monotonic() + seconds
    seen = "nothing"
    while time.monotonic() < deadline:
        try:
            root = within or program()
            for node in nodes(root):
                roles = role if isinstance(role, tuple) else (role,)
                if node.getRole() in roles and (name is None or node.name == name):
                    return node
            seen = "no %s named %r" % (role, name)
        except Exception as error:  # the program may still be starting
            seen = "%s: %s" % (type(error).__name__, error)
        time.sleep(0.2)
    print("timed out after %d s: %s" % (seconds, seen), file=sys.stderr)
    sys.exit(1)


def states(node):
    return set(node.getState().getStates())


def wait_for_rows(table_node, count):
    table = table_node.queryTable()
    deadline = time.monotonic() + 30
    while table.nRows != count and time.monotonic() < deadline:
        time.sleep(0.2)
    return table


def press(button):
    button.queryAction().doAction(0)


# The content list reads as the file's lines, under its header.
content = find(pyatspi.ROLE_TABLE, "Content To Sort")
table = wait_for_rows(content, len(expected))
rows = [table.getAccessibleAt(row, 0).name for row in range(table.nRows)]
check(rows == expected, "content rows %r, expected %r" % (rows, expected))
check(table.getColumnDescription(0) == "Content To Sort", "content list's header")

# Both "Clear List" buttons say which list they empty; the status line has a name.
for name in ("Clear List: Content To Sort", "Clear List: Sorted Content (Results)"):
    button = find(pyatspi.ROLE_PUSH_BUTTON, name, seconds=2)
    check(button.description.startswith("Removes every row of the"), name + " has no description")
find(pyatspi.ROLE_PROGRESS_BAR, "Status", seconds=2)

# Ctrl+F on the content list opens its find bar; the text typed there is
# counted and found, and the bar tells it.
window = subprocess.run(["xdotool", "search", "--name", "^Tarnveil$"], check=True,
                        capture_output=True, text=True).stdout.split()[0]
subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", "ctrl+f"], check=True)
bar = find(pyatspi.ROLE_TOOL_BAR, "Find in Content To Sort", seconds=10)
find(pyatspi.ROLE_CHECK_BOX, "Match case", within=bar, seconds=2)
field = find(pyatspi.ROLE_TEXT, "Find text", within=bar, seconds=2)
field.queryEditableText().setTextContents(expected[1])
deadline = time.monotonic() + 10
while field.description != "1 of 1" and time.monotonic() < deadline:
    time.sleep(0.2)
check(field.description == "1 of 1", "the find bar tells %r" % field.description)
press(find(pyatspi.ROLE_PUSH_BUTTON, "Close", within=bar, seconds=2))

# Start Sorting opens "Sort Keys": the key list is named; once the pattern
# is typed wrong, its key's item and the Pattern field say why it cannot work.
press(find(pyatspi.ROLE_PUSH_BUTTON, "Start Sorting"))
dialog = find(pyatspi.ROLE_DIALOG, "Sort Keys")
keys = find(pyatspi.ROLE_LIST, "Keys, the first compared first", within=dialog, seconds=5)
pattern = find(pyatspi.ROLE_TEXT, "Pattern:", within=dialog, seconds=5)
pattern.queryEditableText().setTextContents("(a")
deadline = time.monotonic() + 10
while not pattern.description.startswith("The pattern does not compile") and \
        time.monotonic() < deadline:
    time.sleep(0.2)
check(pattern.description.startswith("The pattern does not compile"),
      "the Pattern field's description: %r" % pattern.description)
item = keys.getChildAtIndex(0)
check(item.description.startswith("Invalid: The pattern does not compile"),
      "the invalid key's item says %r" % item.description)
press(find(pyatspi.ROLE_PUSH_BUTTON, "Cancel", within=dialog, seconds=5))
# The "Done." box.
done = find((pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG), "Tarnveil")
press(find(pyatspi.ROLE_PUSH_BUTTON, "OK", within=done, seconds=5))

# Cancelled, the lines came as they were; each results row is a check box,
# ticked, and toggles through its action.
results = find(pyatspi.ROLE_TABLE, "Sorted Content (Results)")
table = wait_for_rows(results, len(expected))
first = table.getAccessibleAt(0, 0)
check(first.getRole() == pyatspi.ROLE_CHECK_BOX or pyatspi.STATE_CHECKABLE in states(first),
      "a results row reads as %s" % first.getRoleName())
check(pyatspi.STATE_CHECKED in states(first), "a new results row is not checked")
first.queryAction().doAction(0)
deadline = time.monotonic() + 10
while pyatspi.STATE_CHECKED in states(table.getAccessibleAt(0, 0)) and time.monotonic() < deadline:
    time.sleep(0.2)
check(pyatspi.STATE_CHECKED not in states(table.getAccessibleAt(0, 0)),
      "Toggle left the row checked")

if problems:
    print("\n".join(problems), file=sys.stderr)
    sys.exit(1)
print("the window reads as a screen reader needs it: %d rows, both lists, the buttons, "
      "the status, the find bar and the Sort Keys dialog" % len(expected))
