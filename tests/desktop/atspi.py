# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the running bar through the accessibility bus, as a screen reader
does: every button, slider, list and label has a name, the named controls
are all there, and the time and position labels can be read.

    atspi.py                (with the bar running on the same session bus)
"""
import re
import sys
import time

import pyatspi

BUTTONS = ["Play", "Pause", "Stop", "Open a media file", "Show or hide the panel", "Exit Murmelvox",
           "Pitch down", "Pitch up", "Set a bookmark", "Clear the bookmark", "Clear all bookmarks",
           "Define keys", "Help"]
SLIDERS = ["Pitch", "Wind Count"]
# Named, whatever role it reads as.
OTHERS = ["Seek bar"]
LISTS = ["Bookmarks"]
LABELS = ["File name", "Current Position:", "Position in seconds", "Pitch", "Wind Count", "Bookmark"]
# Labels that also act as buttons (a double click on the time switches
# between elapsed and remaining time).
CLICK_LABELS = ["Time"]

KINDS = {
    "button": {pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON},
    "slider": {pyatspi.ROLE_SLIDER, pyatspi.ROLE_SCROLL_BAR},
    "list": {pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_BOX},
    "label": {pyatspi.ROLE_LABEL, pyatspi.ROLE_STATIC},
}


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def find_bar(seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and (app.name or "").lower() == "murmelvox" and app.childCount > 0:
                return app
        time.sleep(0.2)
    fail("the bar is not on the accessibility bus")


def walk(node, depth=0):
    if node is None or depth > 30:
        return
    yield node
    for child in node:
        yield from walk(child, depth + 1)


def kind_of(node):
    role = node.getRole()
    for kind, roles in KINDS.items():
        if role in roles:
            return kind
    return None


def text_of(node):
    """What the label shows, as a screen reader reads it (not its name)."""
    try:
        text = node.queryText()
    except NotImplementedError:
        fail(f"{node.name!r} does not expose its text")
    return text.getText(0, text.characterCount)


def controls(app):
    found = {kind: [] for kind in KINDS}
    for node in walk(app):
        kind = kind_of(node)
        if kind:
            found[kind].append(node)
    return found


def main():
    app = find_bar(30)
    found = controls(app)
    # A drop-down list's popup is read as part of its named combo box.
    unnamed = [f"{kind} ({node.getRoleName()})" for kind, nodes in found.items() for node in nodes
               if not node.name and not (node.parent and node.parent.getRole() == pyatspi.ROLE_COMBO_BOX)]
    if unnamed:
        fail("controls without a name: " + ", ".join(unnamed))
    print("ok: every button, slider, list and label has a name")

    for kind, expected in (("button", BUTTONS + CLICK_LABELS), ("slider", SLIDERS), ("list", LISTS),
                           ("label", LABELS)):
        names = [node.name for node in found[kind]]
        missing = [name for name in expected if name not in names]
        if missing:
            fail(f"{kind}s not found by name: {missing} (found {names})")
        print(f"ok: {kind}s found by name: {', '.join(expected)}")

    names = {node.name for node in walk(app)}
    missing = [name for name in OTHERS if name not in names]
    if missing:
        fail(f"not found by name: {missing}")
    print(f"ok: also found by name: {', '.join(OTHERS)}")

    # The labels are found by name; their text is what the bar shows.
    labels = {node.name: node for node in found["label"]}
    labels.update({node.name: node for node in found["button"] if node.name in CLICK_LABELS})
    deadline = time.monotonic() + 20
    while True:
        time_text = text_of(labels["Time"])
        position_text = text_of(labels["Position in seconds"])
        if re.fullmatch(r"\d+:\d+ / 0:20", time_text) and re.fullmatch(r"\d+(\.\d+)?", position_text):
            break
        if time.monotonic() > deadline:
            fail(f"time label reads {time_text!r}, position label {position_text!r}")
        time.sleep(0.2)
    print(f"ok: the time label reads {time_text!r}, the position label {position_text!r}")
    file_text = text_of(labels["File name"])
    if "tone.wav" not in file_text and not file_text.startswith("/"):
        fail(f"the file-name label reads {file_text!r}")
    print(f"ok: the file-name label reads {file_text!r}")

    # Driving the bar: the Play button's action starts playback, and the
    # position label follows.
    play = next(node for node in found["button"] if node.name == "Play")
    action = play.queryAction()
    if action.nActions < 1 or not action.doAction(0):
        fail("the Play button has no action")
    start = float(position_text)
    deadline = time.monotonic() + 10
    while float(text_of(labels["Position in seconds"]) or 0) <= start + 0.5:
        if time.monotonic() > deadline:
            fail("the position label did not move after Play")
        time.sleep(0.2)
    print("ok: Play through its accessible action; the position label moves: "
          + text_of(labels["Position in seconds"]))
    print("PASS")


main()
