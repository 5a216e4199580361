#!/usr/bin/python3
"""Prints what a screen reader finds of one application on the accessibility
bus: its tree of accessible objects, one a line, indented by depth, each as
its role, name and description separated by tabs, and "focused" after them
on the object with the keyboard focus.

Usage: tree.py PID. Exits with 1 while no application of that process is on
the bus (it registers a moment after it starts), and with 2 when it cannot
read the bus; what went wrong is printed, for the test that reads the output.
"""
import sys

try:
    import gi

    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi, GLib
except (ImportError, ValueError) as error:
    print("tree.py: no AT-SPI client for Python (python3-gi, gir1.2-atspi-2.0):", error)
    sys.exit(2)


def show(node, depth):
    fields = (node.get_role_name(), node.get_name(), node.get_description())
    if node.get_state_set().contains(Atspi.StateType.FOCUSED):
        fields += ("focused",)
    print("  " * depth + "\t".join(fields))
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            show(child, depth + 1)


def main():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_process_id() == int(sys.argv[1]):
            show(app, 0)
            return 0
    print("tree.py: no application of process", sys.argv[1], "on the accessibility bus")
    return 1


if __name__ == "__main__":
    try:
        sys.exit(main())
    except GLib.Error as error:
        print("tree.py:", error.message)
        sys.exit(2)
