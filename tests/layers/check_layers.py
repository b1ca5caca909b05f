#!/usr/bin/env python3
"""Fails when a source file includes a layer above its own.

The product's libraries are stacked, each folder allowed to include only the folders below
it. The format wrappers share one level and do not include each other. Folders outside the
stack (tools, tests, bench, fuzz, resources) sit on top and may include any layer. Every
project include names its folder, so the rule can be read off the include line alone.

usage: check_layers.py ROOT            check the tree, list each offending include
       check_layers.py --self-test     check the checker against a small tree of its own
"""
import os
import re
import sys
import tempfile

# Lowest first. Each entry is one level; folders on one level may not include each other.
LAYERS = [["platform"], ["model"], ["metering"], ["core"], ["toolkit"], ["controls"], ["views"],
          ["editor"], ["vst2", "lv2", "clap"]]
LEVEL = {folder: level for level, folders in enumerate(LAYERS) for folder in folders}
HEADER_ONLY = {"model"}
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c", ".mm")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SKIPPED_TOP = {"build", ".git"}


def problems_in(root):
    found = []
    for top in sorted(os.listdir(root)):
        if top in SKIPPED_TOP or top.startswith("build") or top not in LEVEL:
            continue
        for folder, _, files in os.walk(os.path.join(root, top)):
            for name in sorted(files):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(folder, name)
                shown = os.path.relpath(path, root)
                if top in HEADER_ONLY and not name.endswith((".h", ".hpp")):
                    found.append(f"{shown}: {top}/ holds headers only")
                found.extend(include_problems(path, shown, top))
    return found


def include_problems(path, shown, top):
    found = []
    with open(path, encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            included = match.group(1)
            if "/" not in included:
                found.append(f"{shown}:{number}: \"{included}\" does not name its folder")
                continue
            target = included.split("/", 1)[0]
            if target == top or target not in LEVEL:
                continue
            if LEVEL[target] >= LEVEL[top]:
                found.append(f"{shown}:{number}: {top}/ includes {included} ({target}/ is not below it)")
    return found


def self_test():
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
        "toolkit/bare.cpp:1: \"bare.h\" does not name its folder",
    }
    with tempfile.TemporaryDirectory() as root:
        for name, text in files.items():
            os.makedirs(os.path.join(root, os.path.dirname(name)), exist_ok=True)
            with open(os.path.join(root, name), "w", encoding="utf-8") as out:
                out.write(text)
        got = set(problems_in(root))
    if got != expected:
        print("self-test failed\n  missing: %s\n  unexpected: %s" % (sorted(expected - got), sorted(got - expected)))
        return 1
    print("self-test: %d planted faults found, nothing else" % len(expected))
    return 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    if len(argv) != 2:
        print(__doc__)
        return 2
    found = problems_in(argv[1])
    for problem in found:
        print(problem)
    print("%d include(s) against the layers" % len(found))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
