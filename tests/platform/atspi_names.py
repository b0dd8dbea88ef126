# Lists the focusable controls of an application as AT-SPI shows them to a screen reader:
# one line "role<TAB>name<TAB>description<TAB>states<TAB>text" each. Run by Debian's /usr/bin/python3.
# Arguments: the application's name, and optionally the title of the window to list.
import sys
import time

import pyatspi


def application(name):
    deadline = time.time() + 20
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    sys.exit("application %s not found on the accessibility bus" % name)


def showing_window(app, title):
    deadline = time.time() + 20
    while time.time() < deadline:
        for window in app:
            if window is not None and window.name == title and \
                    window.getState().contains(pyatspi.STATE_SHOWING):
                return window
        time.sleep(0.2)
    sys.exit("window %s of %s not shown" % (title, app.name))


def focusable(node):
    try:
        states = node.getState()
    except Exception:
        return
    # A combo box that cannot be typed in takes the focus through a button of its own, which is
    # not on the bus: a reader says the combo box.
    reachable = states.contains(pyatspi.STATE_FOCUSABLE) or node.getRole() == pyatspi.ROLE_COMBO_BOX
    if reachable and states.contains(pyatspi.STATE_SHOWING):
        yield node
        # A tab strip has the focus as a whole; a reader says its selected page tab.
        if node.getRole() == pyatspi.ROLE_PAGE_TAB_LIST:
            yield from (tab for tab in node if tab is not None)
            return
    for child in node:
        if child is not None:
            yield from focusable(child)


def toggles(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return False
    return any(action.getName(i) == "toggle" for i in range(action.nActions))


# What a screen reader says of the node's state: "checked" or "unchecked" for what can be
# ticked (a check box, the tick cell of a check list), "selected" for a selected item.
def states(node):
    words = []
    state = node.getState()
    if state.contains(pyatspi.STATE_CHECKABLE) or toggles(node):
        words.append("checked" if state.contains(pyatspi.STATE_CHECKED) else "unchecked")
    if state.contains(pyatspi.STATE_SELECTED):
        words.append("selected")
    return " ".join(words)


# The text a screen reader reads in a field, its lines joined by spaces; none elsewhere.
def text(node):
    try:
        content = node.queryText()
    except NotImplementedError:
        return ""
    return content.getText(0, -1).replace("\n", " ").replace("\t", " ")


# With a window title, the reader waits for that window and lists only its controls.
root = application(sys.argv[1])
if len(sys.argv) > 2:
    root = showing_window(root, sys.argv[2])
for node in focusable(root):
    print("%s\t%s\t%s\t%s\t%s" % (node.getRoleName(), node.name or "", node.description or "",
                                 states(node), text(node)))
