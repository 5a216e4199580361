#!/usr/bin/python3
"""Prints what a screen reader finds of one application on the accessibility
bus: its tree of accessible objects, one a line, indented by depth, each as
its role, name and description separated by tabs.

Usage: tree.py PID. Exits with 1 while no application of that process is on
the bus (it registers a moment after it starts), or when reading fails.
"""
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402


def show(node, depth):
    fields = (node.get_role_name(), node.get_name(), node.get_description())
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
    return 1


if __name__ == "__main__":
    try:
        sys.exit(main())
    except GLib.Error as error:
        sys.exit("tree.py: %s" % error.message)
