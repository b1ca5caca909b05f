#!/usr/bin/env python3
"""Turns the user manual's Markdown into one self-contained HTML page (the style sheet inlined;
the pictures stay files beside it, in pictures/).

usage: build_manual.py MANUAL.md STYLE.css VERSION OUT.html
"""
import html
import sys

import markdown


def main(argv):
    if len(argv) != 5:
        sys.stderr.write(__doc__)
        return 2
    source, style, version, output = argv[1:]
    with open(source, encoding="utf-8") as f:
        text = f.read().replace("@VERSION@", version)
    converter = markdown.Markdown(
        extensions=["tables", "toc", "attr_list", "fenced_code", "sane_lists"],
        extension_configs={"toc": {"toc_depth": "2-3", "title": "Contents"}},
        output_format="html5",
    )
    body = converter.convert(text)
    with open(style, encoding="utf-8") as f:
        css = f.read()
    title = html.escape(f"ZEB Aldermark {version} — User Manual")
    page = (
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        f"<title>{title}</title>\n<style>\n{css}</style>\n</head>\n"
        f"<body>\n<main>\n{body}\n</main>\n</body>\n</html>\n"
    )
    with open(output, "w", encoding="utf-8") as f:
        f.write(page)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
