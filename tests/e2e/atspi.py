#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a screen reader gets from the program, through AT-SPI.

Used by the end-to-end drivers (lib.sh) on the test's own session bus:
    atspi.py tree PID                 the accessibility tree, one object a line
    atspi.py places PID TITLE ROLE... "X Y NAME" of every showing object of
                                      those roles in the window titled
                                      TITLE, its centre in screen pixels
    atspi.py text PID TITLE ROLE      the text of the first showing object of
                                      ROLE in that window that has text
    atspi.py focus PID TITLE          the focused text of that window: its
                                      role, name, labels, text, caret and
                                      selection, one a line
Exits 1, saying why on stderr, when the program or the object is not found.
"""
import os
import sys

import pyatspi


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            return app
    sys.exit(f"no accessible application with process id {pid}")


def walk(node, depth=0):
    yield node, depth
    for child in node:
        if child is not None:
            yield from walk(child, depth + 1)


def window(app, title):
    for win in app:
        if win is not None and win.name == title:
            return win
    sys.exit(f"no window titled {title!r}; windows: {[w.name for w in app if w]}")


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def text_of(node):
    try:
        text = node.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, text.characterCount)


def describe(node, depth):
    states = sorted(pyatspi.stateToString(s) for s in node.getState().getStates())
    line = f'{"  " * depth}{node.getRoleName()} "{node.name}" [{" ".join(states)}]'
    text = text_of(node)
    if text:
        line += " text=" + repr(text if len(text) < 60 else text[:57] + "...")
    return line


def centre(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x + box.width // 2, box.y + box.height // 2


def field(node):
    text = node.queryText()
    labels = [t.name for r in node.getRelationSet()
              if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
              for t in (r.getTarget(i) for i in range(r.getNTargets()))]
    selection = text.getSelection(0) if text.getNSelections() else (0, 0)
    return [f"role={node.getRoleName()}", f"name={node.name}", f"labelled-by={'|'.join(labels)}",
            f"text={text_of(node)}", f"caret={text.caretOffset}",
            f"selection={selection[0]} {selection[1]}"]


def main(command, pid, *args):
    app = application(int(pid))
    if command == "tree":
        for node, depth in walk(app):
            print(describe(node, depth))
        return
    nodes = [n for n, _ in walk(window(app, args[0]))]
    if command == "places":
        for node in nodes:
            if node.getRoleName() in args[1:] and showing(node):
                x, y = centre(node)
                print(x, y, node.name)
    elif command == "text":
        for node in nodes:
            if node.getRoleName() == args[1] and text_of(node) is not None:
                print(text_of(node))
                return
        sys.exit(f"no {args[1]} with text in {args[0]!r}")
    elif command == "focus":
        for node in nodes:
            if node.getState().contains(pyatspi.STATE_FOCUSED) and text_of(node) is not None:
                print("\n".join(field(node)))
                return
        sys.exit(f"no focused text in {args[0]!r}")
    else:
        sys.exit(f"unknown command {command}")


if __name__ == "__main__":
    try:
        main(*sys.argv[1:])
        sys.stdout.flush()
    except BrokenPipeError:
        # The reader has seen enough (head, grep -q): not a failure.
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
