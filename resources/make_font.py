#!/usr/bin/env python3
"""Builds the plug-in's font resource: a copy of a free TrueType face whose family is
renamed to ZEBAldermark, so the editor can ask for it by that name.

    make_font.py SOURCE.ttf OUTPUT.ttf
"""
import sys

from fontTools.ttLib import TTFont

FAMILY = "ZEBAldermark"

# name ids: 1 family, 2 subfamily, 3 unique id, 4 full name, 6 PostScript name,
# 16/17 typographic family/subfamily, 21/22 WWS family/subfamily.
DROPPED = (16, 17, 21, 22)


def rename(source, output):
    font = TTFont(source, recalcTimestamp=False)
    names = font["name"]
    names.names = [record for record in names.names if record.nameID not in DROPPED]
    for record in names.names:
        if record.nameID == 1:
            record.string = FAMILY
        elif record.nameID == 2:
            record.string = "Regular"
        elif record.nameID in (3, 4):
            record.string = FAMILY
        elif record.nameID == 6:
            record.string = FAMILY + "-Regular"
    # Some faces carry no record for an id on every platform; make sure Windows finds one.
    for name_id, value in ((1, FAMILY), (2, "Regular"), (4, FAMILY), (6, FAMILY + "-Regular")):
        names.setName(value, name_id, 3, 1, 0x409)
    font.save(output)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    rename(sys.argv[1], sys.argv[2])
