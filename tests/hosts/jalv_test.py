#!/usr/bin/env python3
"""jalv.gtk3 runs the LV2 build as a JACK client: the client appears with our four audio ports,
and with the tone (peaks at -18 dBFS, the VU's reference) connected the needles it reports on
its output ports rise from the floor to 0 VU; its window is photographed (jalv_gtk3.png). With --editor it also asks for
our own editor inside jalv's window (a 586 wide child, 169 to 261 high, our dark panel, not
GTK's grey controls) instead of jalv's generic sliders."""
import hosts

args = hosts.arguments([("--editor", "")])
hosts.need("jalv.gtk3")
report = hosts.Report()
client = "aldermark-jalv"
with hosts.Desk(args, "jalv") as desk:
    # Line-buffered: its readings must reach the log while it runs.
    jalv = desk.start("jalv", ["stdbuf", "-oL", "jalv.gtk3", "--jack-name", client, "--exact-jack-name", "--print-controls",
                               hosts.URI])
    desk.start("tone", [args.tone])
    expected = [client + ":" + port for port in ("in_l", "in_r", "out_l", "out_r")]
    report.check(hosts.wait_until(60, lambda: all(p in desk.jack_ports() for p in expected + ["tone:out_2"])),
                 "jalv.gtk3's JACK client has our ports " + ", ".join(expected))
    report.check(desk.jack_connect(("tone:out_1", client + ":in_l"), ("tone:out_2", client + ":in_r")),
                 "the tone connected to the plug-in's inputs")
    log = hosts.os.path.join(desk.scratch, "jalv.log")

    def needles():
        """The last needle readings jalv printed (dB relative to the reference)."""
        found = {}
        for line in open(log, errors="replace"):
            name, _, value = line.partition(" = ")
            if name in ("needle_l", "needle_r") and line.endswith("\n"):  # not a line still being written
                try:
                    found[name] = float(value)
                except ValueError:
                    pass
        return found

    report.check(hosts.wait_until(30, lambda: all(abs(v) < 1 for v in needles().values()) and len(needles()) == 2),
                 "with the tone in, both needles read 0 VU within 1 dB: %s" % needles())
    window = hosts.wait_until(30, lambda: desk.window_named("ZEB Aldermark"))
    report.check(window is not None, "jalv.gtk3 shows a window titled with the plug-in's name")
    report.check(jalv.poll() is None, "jalv.gtk3 is still running with the plug-in loaded")
    hosts.time.sleep(1)  # its first frame drawn
    shot = desk.screenshot("jalv_gtk3")
    report.check(shot is not None, "screenshot %s" % shot)
    if args.editor:
        desk.check_our_editor(report, "jalv.gtk3")
hosts.sys.exit(report.verdict())
