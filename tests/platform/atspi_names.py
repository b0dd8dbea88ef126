# Lists the focusable controls of an application as AT-SPI shows them to a screen reader:
# one line "role<TAB>name<TAB>description<TAB>states<TAB>text" each. Run by Debian's /usr/bin/python3.
# Arguments: the application's name, and optionally the title of the window to list, which the
# reader waits for.
import sys
import time

import pyatspi


def application(name):
    deadline = time.time() + 60
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    sys.exit("application %s not found on the accessibility bus" % name)


# A node that does not answer (a window closing, a program too busy) is passed over.
def focusable(node):
    try:
        states = node.getState()
        role = node.getRole()
        children = [child for child in node if child is not None]
    except Exception:
        return
    # A combo box takes the focus through its button, which the bus does not show: a reader
    # says the combo box.
    stop = states.contains(pyatspi.STATE_FOCUSABLE) or role == pyatspi.ROLE_COMBO_BOX
    if stop and states.contains(pyatspi.STATE_SHOWING):
        yield node
        # A tab strip has the focus as a whole; a reader says its selected page tab.
        if role == pyatspi.ROLE_PAGE_TAB_LIST:
            yield from children
            return
    for child in children:
        if not closed_list(role, child):
            yield from focusable(child)


# The items of a combo box's list are no stops of the keys; a list of the 1440 minutes of a day
# would take long to walk.
def closed_list(role, child):
    try:
        return role == pyatspi.ROLE_COMBO_BOX and child.getRole() == pyatspi.ROLE_MENU
    except Exception:
        return True


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


# A window just shown may not show its controls to the bus yet: look again for a while.
def controls(app):
    deadline = time.time() + 20
    found = list(focusable(app))
    while not found and time.time() < deadline:
        time.sleep(0.5)
        found = list(focusable(app))
    return found


def listed(window):
    return [line(node) for node in focusable(window)]


# The window is ready once it is shown and two looks half a second apart find the same controls,
# whose texts may change (a progress shown line by line); gives the last look's lines.
def ready_window(app, title):
    deadline = time.time() + 60
    last = None
    while time.time() < deadline:
        for window in app:
            try:
                if window is None or window.name != title:
                    continue
                if not window.getState().contains(pyatspi.STATE_SHOWING):
                    continue
            except Exception:
                continue
            lines = [described for described in listed(window) if described]
            now = [described.split("\t")[:4] for described in lines]
            if now and now == last:
                return lines
            last = now
        time.sleep(0.5)
    sys.exit("window %s not ready on the accessibility bus" % title)


# A control of a window that has just closed may still be met: it is no longer the program's.
def line(node):
    try:
        return "%s\t%s\t%s\t%s\t%s" % (node.getRoleName(), node.name or "",
                                       node.description or "", states(node), text(node))
    except Exception:
        return None


# A busy window may not answer a second walk: what the last look found is what is listed.
app = application(sys.argv[1])
if len(sys.argv) > 2:
    lines = ready_window(app, sys.argv[2])
else:
    lines = [described for described in map(line, controls(app)) if described is not None]
for described in lines:
    print(described)
