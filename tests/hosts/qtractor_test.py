#!/usr/bin/env python3
"""Qtractor (Debian's 0.9.31) on JACK alone, the ALSA sequencer answered by our stand-in: it
opens a session we write (one audio track, our plug-in inserted with Trim +6 dB and the RMS3
meter), saves it on SIGUSR1 as it does for a session manager, with our plug-in's state in it;
the label, changed inside that saved state, comes back from the plug-in after reloading the
session, and so do the parameters. --type CLAP takes `ZEB Aldermark.clap` from --clap instead
of the LV2 bundle. Screenshot: qtractor_<type>.png."""
import base64
import os
import re
import struct
import time
import xml.etree.ElementTree as ET
import zlib

import hosts

args = hosts.arguments([("--type", "LV2"), ("--editor", "")])
hosts.need("qtractor")
report = hosts.Report()
if args.type == "CLAP":
    plugin_file = os.path.join(args.clap, "ZEB Aldermark.clap")
    if not os.path.exists(plugin_file):
        print("skipped: no CLAP build at " + plugin_file)
        hosts.sys.exit(hosts.SKIPPED)
    state_key = "state"
else:
    plugin_file, state_key = hosts.URI, "urn:qtractor:state#key"
PARAMS = {"Trim": "6", "Meter": "1"}  # RMS3
# Where Qtractor finds them: LV2 control port indices, CLAP parameter ids. Qtractor 0.9.31 did
# not pass a session's <params> to our CLAP plug-in when it loaded it (it saved the defaults
# back), so there the state alone carries the settings: the label check below.
PARAM_INDICES = (1, 3) if args.type == "CLAP" else (5, 7)
CHECK_PARAMS = args.type != "CLAP"
LABEL = b"Hosts' check"


def session_text(directory):
    params = "".join('<param index="%d" name="%s">%s</param>' % (i, n, v)
                     for i, (n, v) in zip(PARAM_INDICES, PARAMS.items()))
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE qtractorSession>\n'
            '<session version="0.9.31" name="hosts"><properties><directory>%s</directory>'
            '<sample-rate>48000</sample-rate></properties><tracks><track name="Meter" type="audio">'
            '<properties><input-bus>Master</input-bus><output-bus>Master</output-bus></properties>'
            '<plugins><plugin type="%s"><filename>%s</filename><index>0</index><activated>1</activated>'
            '<params>%s</params></plugin></plugins></track></tracks></session>\n'
            % (directory, args.type, plugin_file, params))


def our_plugin(path):
    root = ET.parse(path).getroot()
    return next((p for p in root.iter("plugin") if p.findtext("filename") == plugin_file), None)


# Qtractor keeps state as base64 of qCompress (a 4-byte big-endian length, then zlib); for LV2 that
# holds a preset in Turtle with our chunk as base64 inside, for CLAP the chunk itself.
def chunk_of(config):
    state = zlib.decompress(base64.b64decode("".join(config.split()))[4:])
    if args.type == "CLAP":
        return state, None
    found = re.search(rb'"""([A-Za-z0-9+/=\s]+)"""\^\^xsd:base64Binary', state)
    return base64.b64decode(b"".join(found.group(1).split())), (state, found)


def with_chunk(config, chunk):
    _, turtle = chunk_of(config)
    state = chunk
    if turtle:
        text, found = turtle
        state = text[:found.start(1)] + base64.b64encode(chunk) + text[found.end(1):]
    return base64.b64encode(struct.pack(">I", len(state)) + zlib.compress(state)).decode()


def open_plugin_window(desk, name):
    """A double click on the plug-in in the track's list opens its editor, or Qtractor's own
    form of its controls where it has none. The list sits at the same place in a first start's
    default layout (fresh HOME, same screen size)."""
    main = desk.window_named("hosts.qtr")
    for _ in range(3):
        desk.click(main[2] + 185, main[3] + 179, count=2)
        if hosts.wait_until(5, lambda: desk.window_named("ZEB Aldermark")):
            break
    report.check(desk.window_named("ZEB Aldermark") is not None, name + ": the plug-in's window opens from the track")
    if args.editor:
        desk.check_our_editor(report, name)
    hosts.time.sleep(1)


def run_and_save(desk, path, name, editor=False):
    """Qtractor with the session at `path` until it has saved it again; its plug-in element."""
    before = os.stat(path).st_mtime_ns
    qtractor = desk.start(name, ["qtractor", path], env={"LD_PRELOAD": os.path.abspath(args.standin)})
    started = hosts.wait_until(60, lambda: "Qtractor:Master/out_1" in desk.jack_ports())
    report.check(started, name + ": Qtractor's engine runs, its JACK client has the Master bus")
    report.check(hosts.wait_until(30, lambda: desk.window_named("hosts.qtr")) is not None,
                 name + ": Qtractor's window shows the session")
    time.sleep(2)  # the session is opened after the window is shown
    if editor:
        open_plugin_window(desk, name)
    qtractor.send_signal(hosts.subprocess.signal.SIGUSR1)
    saved = hosts.wait_until(30, lambda: os.stat(path).st_mtime_ns != before and our_plugin(path) is not None)
    report.check(bool(saved), name + ": Qtractor saved the session with our plug-in on the track")
    shot = desk.screenshot("qtractor_%s" % args.type.lower())
    desk.end(qtractor)
    return our_plugin(path) if saved else None, shot


with hosts.Desk(args, "qtractor-" + args.type.lower()) as desk:
    folder = os.path.join(desk.scratch, "session")
    os.makedirs(folder)
    path = os.path.join(folder, "hosts.qtr")
    with open(path, "w") as out:
        out.write(session_text(folder))
    first, shot = run_and_save(desk, path, "first run")
    config = first.find("configs/config[@key='%s']" % state_key) if first is not None else None
    report.check(config is not None, "first run: the saved plug-in carries its state")
    values = {p.get("name"): p.text for p in first.iter("param")} if first is not None else {}
    if CHECK_PARAMS:
        report.check(all(values.get(n) == v for n, v in PARAMS.items()), "first run: Trim and Meter saved: %s" % (
            {n: values.get(n) for n in PARAMS},))
    if config is not None:
        chunk, _ = chunk_of(config.text)
        report.check(len(chunk) == 596, "first run: the state holds our 596-byte chunk (%d bytes)" % len(chunk))
        label_at = 4  # after the chunk's leading version word, a zero-terminated label
        end = chunk.index(b"\0", label_at)
        changed = chunk[:label_at] + LABEL + b"\0" * (end - label_at - len(LABEL)) + chunk[end:]
        tree = ET.parse(path)
        tree.getroot().find(".//plugin/configs/config[@key='%s']" % state_key).text = with_chunk(config.text, changed)
        tree.write(path, encoding="UTF-8", xml_declaration=True)
        second, shot = run_and_save(desk, path, "second run", editor=True)
        again = second.find("configs/config[@key='%s']" % state_key) if second is not None else None
        back = chunk_of(again.text)[0] if again is not None else b""
        report.check(back[label_at:label_at + len(LABEL) + 1] == LABEL + b"\0",
                     "second run: the label set in the saved state came back from the plug-in: %r"
                     % back[label_at:back.index(b"\0", label_at)] if back else b"")
        values = {p.get("name"): p.text for p in second.iter("param")} if second is not None else {}
        if CHECK_PARAMS:
            report.check(all(values.get(n) == v for n, v in PARAMS.items()), "second run: Trim and Meter restored")
    report.check(shot is not None, "screenshot %s" % shot)
hosts.sys.exit(report.verdict())
