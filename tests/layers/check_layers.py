#!/usr/bin/env python3
"""Fails when a source file includes a layer above its own.

Each library folder may include only the folders below it; the format wrappers share one
level and do not include each other. Folders outside the stack (tools, tests, bench, fuzz,
resources) sit on top. Every project include names its folder, so the include line says all.

usage: check_layers.py ROOT | --self-test
"""
import os
import re
import sys
import tempfile

# Lowest first; folders on one level may not include each other.
LAYERS = [["platform"], ["model"], ["metering"], ["core"], ["toolkit"], ["controls"], ["views"],
          ["editor"], ["vst2", "lv2", "clap"]]
LEVEL = {folder: level for level, folders in enumerate(LAYERS) for folder in folders}
HEADER_ONLY = {"model"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def problems_in(root):
    found = []
    for top in sorted(name for name in os.listdir(root) if name in LEVEL):
        for folder, _, files in sorted(os.walk(os.path.join(root, top))):
            for name in sorted(f for f in files if f.endswith((".h", ".hpp", ".cpp", ".cc", ".c"))):
                shown = os.path.relpath(os.path.join(folder, name), root)
                if top in HEADER_ONLY and not name.endswith((".h", ".hpp")):
                    found.append(f"{shown}: {top}/ holds headers only")
                with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        included = match.group(1) if match else None
                        target = included.split("/", 1)[0] if included else None
                        if included and "/" not in included:
                            found.append(f'{shown}:{number}: "{included}" does not name its folder')
                        elif target and target != top and LEVEL.get(target, -1) >= LEVEL[top]:
                            found.append(f"{shown}:{number}: {top}/ includes {included} ({target}/ is not below it)")
    return found


def self_test():
    """The checker against a small tree with planted faults: it must find those and no more."""
    files = {
        "platform/clock.h": "",
        "model/sizes.h": '#include "platform/clock.h"\n',
        "model/bad.cpp": "",
        "metering/vu.cpp": '#include "model/sizes.h"\n#include "metering/vu.h"\n',
        "metering/up.cpp": '#include "views/panel.h"\n',
        "views/panel.h": '#include "toolkit/view.h"\n#include <vector>\n',
        "vst2/wrapper.cpp": '#include "editor/frame.h"\n#include "lv2/other.h"\n',
        "toolkit/bare.cpp": '#include "bare.h"\n',
        "tools/cli.cpp": '#include "vst2/wrapper.h"\n',
    }
    expected = {
        "model/bad.cpp: model/ holds headers only",
        "metering/up.cpp:1: metering/ includes views/panel.h (views/ is not below it)",
        "vst2/wrapper.cpp:2: vst2/ includes lv2/other.h (lv2/ is not below it)",
        'toolkit/bare.cpp:1: "bare.h" does not name its folder',
    }
    with tempfile.TemporaryDirectory() as root:
        for name, text in files.items():
            os.makedirs(os.path.join(root, os.path.dirname(name)), exist_ok=True)
            with open(os.path.join(root, name), "w", encoding="utf-8") as out:
                out.write(text)
        got = set(problems_in(root))
    print("self-test: missing %s, unexpected %s" % (sorted(expected - got), sorted(got - expected)))
    return 0 if got == expected else 1


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    if len(argv) != 2:
        print(__doc__)
        return 2
    found = problems_in(argv[1])
    print("\n".join(found + ["%d include(s) against the layers" % len(found)]))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
