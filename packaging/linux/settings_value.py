#!/usr/bin/env python3
"""Reads and writes one text value of ZEB Aldermark's Linux settings store, the way the
plug-in keeps it: one line "<name> <hex bytes>" per value, text stored as its UTF-8 bytes with
a terminating zero, the file replaced in one rename under the writers' lock beside it.

usage: settings_value.py [--shared] FILE get NAME
       settings_value.py [--shared] FILE set NAME TEXT
       settings_value.py [--shared] FILE remove NAME [TEXT]   (only when the value is TEXT)

A new file and folder are private to the user, like the plug-in's own; --shared makes them
readable by everyone (the system-wide defaults).

remove deletes the file (and its lock file) when no value is left. Exit code 1: get found
nothing, or remove left the value because it differs.
"""
import fcntl
import os
import re
import sys
import tempfile

HEADING = "# ZEB Aldermark settings: one value per line, name and hex bytes\n"
LINE = re.compile(r"^([^\x00-\x20\x7f]{1,255})[ \t]+((?:[0-9a-fA-F]{2})+)[ \t\r]*$")


def read_entries(path):
    """The valid lines in file order (the last of a name counts), as the plug-in reads them."""
    try:
        with open(path, "rb") as f:
            text = f.read().decode("latin-1")
    except FileNotFoundError:
        return {}
    entries = {}
    for line in text.split("\n")[:-1]:  # a last line without newline is cut off
        match = LINE.match(line)
        if match:
            entries[match.group(1)] = bytes.fromhex(match.group(2))
    return entries


def text_of(value):
    return value.split(b"\0", 1)[0].decode("utf-8", "replace")


def write_entries(path, entries, shared):
    folder = os.path.dirname(path)
    descriptor, temporary = tempfile.mkstemp(prefix=os.path.basename(path) + ".", dir=folder)
    try:
        with os.fdopen(descriptor, "w", encoding="latin-1") as f:
            f.write(HEADING)
            for name in sorted(entries):
                f.write(f"{name} {entries[name].hex()}\n")
            f.flush()
            os.fsync(f.fileno())
        if os.path.exists(path):
            os.chmod(temporary, os.stat(path).st_mode & 0o777)
        elif shared:
            os.chmod(temporary, 0o644)
        os.rename(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise


def main(argv):
    shared = len(argv) > 1 and argv[1] == "--shared"
    args = argv[2:] if shared else argv[1:]
    counts = {"get": (3,), "set": (4,), "remove": (3, 4)}
    if len(args) < 3 or len(args) not in counts.get(args[1], ()):
        sys.stderr.write(__doc__)
        return 2
    path, command, name = args[:3]
    if command == "get":
        value = read_entries(path).get(name)
        if value is None:
            return 1
        print(text_of(value))
        return 0
    folder = os.path.dirname(path)
    if command == "set":
        os.makedirs(folder, mode=0o755 if shared else 0o700, exist_ok=True)
    elif not os.path.exists(path):
        return 0
    with os.fdopen(os.open(path + ".lock", os.O_RDWR | os.O_CREAT, 0o644 if shared else 0o600)) as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        entries = read_entries(path)
        if command == "set":
            entries[name] = args[3].encode("utf-8") + b"\0"
        elif name in entries:
            if len(args) > 3 and text_of(entries[name]) != args[3]:
                return 1
            del entries[name]
        if entries:
            write_entries(path, entries, shared)
        else:
            os.unlink(path)
            os.unlink(path + ".lock")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
