#!/usr/bin/env python3
"""jalv.gtk3 runs the LV2 build as a JACK client: the client appears with our four audio ports,
keeps running, and its window is photographed (jalv_gtk3.png). With --editor it also asks for
our own editor inside jalv's window (a 586 wide child, 169 to 261 high, our dark panel, not
GTK's grey controls) instead of jalv's generic sliders."""
import hosts

args = hosts.arguments([("--editor", "")])
hosts.need("jalv.gtk3", "jack_lsp")
report = hosts.Report()
client = "aldermark-jalv"
with hosts.Desk(args, "jalv") as desk:
    jalv = desk.start("jalv", ["jalv.gtk3", "-n", client, hosts.URI])
    expected = [client + ":" + port for port in ("in_l", "in_r", "out_l", "out_r")]
    report.check(hosts.wait_until(60, lambda: all(p in desk.jack_ports() for p in expected)),
                 "jalv.gtk3's JACK client has our ports " + ", ".join(expected))
    window = hosts.wait_until(30, lambda: desk.window_named("ZEB Aldermark"))
    report.check(window is not None, "jalv.gtk3 shows a window titled with the plug-in's name")
    report.check(jalv.poll() is None, "jalv.gtk3 is still running with the plug-in loaded")
    hosts.time.sleep(1)  # its first frame drawn
    shot = desk.screenshot("jalv_gtk3")
    report.check(shot is not None, "screenshot %s" % shot)
    if args.editor:
        desk.check_our_editor(report, "jalv.gtk3")
hosts.sys.exit(report.verdict())
