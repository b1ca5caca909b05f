#!/usr/bin/env python3
"""The LV2 bundle in Debian's LV2 tools: lv2ls and lv2info find it with the ports the port
table promises, and lv2apply runs a file through it as `aldermark process` runs the same file
through the VST 2.4 plug-in, sample for sample.

usage: lv2_host_test.py LV2_DIR ALDERMARK SCRATCH_DIR
"""
import math
import os
import struct
import subprocess
import sys

URI = "https://kestrune-zeb.com/plugins/aldermark"
RATE = 48000
READINGS = ["needle_l", "needle_r", "hold_l", "hold_r", "rms_l", "rms_r", "over_l", "over_r"]
# (what, lv2apply controls, the same settings for aldermark process)
CASES = [
    ("Process off", [], []),
    ("trim +6 dB", ["process", "1", "trim", "6"], ["--trim", "6"]),
    ("trim -12.5 dB, mid/side", ["process", "1", "trim", "-12.5", "mid_side", "1"], ["--trim", "-12.5", "--ms"]),
    ("filters in, HP 200 Hz, LP 3 kHz", ["process", "1", "filters_in", "1", "hp_freq", "200", "lp_freq", "3000"],
     ["--set", "Process=on", "--set", "ProcFlt=in", "--set", "HPFreq=200", "--set", "LPFreq=3000"]),
]


def read_float_wav(path):
    """The samples of a 32-bit float WAV, whatever chunks come before the data."""
    blob, position = open(path, "rb").read(), 12
    while position + 8 <= len(blob):
        tag, size = struct.unpack_from("<4sI", blob, position)
        if tag == b"data":
            return struct.unpack_from("<%df" % (size // 4), blob, position + 8)
        position += 8 + size + (size & 1)
    raise AssertionError(path + ": no data chunk")


def run(command, env):
    result = subprocess.run(command, capture_output=True, text=True, env=env)
    if result.returncode != 0:
        raise AssertionError("%s failed (%d): %s" % (" ".join(command), result.returncode, result.stderr))
    return result.stdout


def main(lv2_dir, aldermark, scratch):
    os.makedirs(scratch, exist_ok=True)
    env = dict(os.environ, LV2_PATH=os.path.abspath(lv2_dir), XDG_CONFIG_HOME=os.path.abspath(scratch + "/config"))
    failures = []

    def check(condition, what):
        print(("ok   " if condition else "FAIL ") + what)
        failures.extend([] if condition else [what])

    check(URI in run(["lv2ls"], env).split(), "lv2ls lists " + URI)
    info = run(["lv2info", URI], env)
    check("Name:              ZEB Aldermark" in info, "lv2info: the name")
    symbols = [line.split()[-1] for line in info.splitlines() if line.strip().startswith("Symbol:")]
    check(symbols[:4] == ["in_l", "in_r", "out_l", "out_r"], "lv2info: two audio inputs, then two outputs")
    check(len(symbols) == 4 + 17 + 8 and symbols[4] == "process" and symbols[20] == "lag_time",
          "lv2info: a control for each of the 17 host parameters, no spare ones")
    check(symbols[21:] == READINGS, "lv2info: the needles, holds, RMS pointers and over LEDs as outputs")

    # A tone with a DC offset on the left, a burst over full scale on the right, stereo float.
    samples = []
    for i in range(RATE // 2):
        t = i / RATE
        samples += [0.5 * math.sin(2 * math.pi * 997 * t) + 0.05,
                    0.25 * math.sin(2 * math.pi * 60 * t) * (3.0 if 12000 <= i < 12100 else 1.0)]
    data = struct.pack("<%df" % len(samples), *samples)
    source = os.path.join(scratch, "in.wav")
    with open(source, "wb") as out:
        out.write(struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(data), b"WAVE", b"fmt ", 16, 3, 2, RATE,
                              RATE * 8, 8, 32, b"data", len(data)) + data)
    as_read = read_float_wav(source)
    for name, controls, options in CASES:
        through_lv2, through_vst = os.path.join(scratch, "lv2.wav"), os.path.join(scratch, "vst.wav")
        pairs = [arg for i in range(0, len(controls), 2) for arg in ("-c", controls[i], controls[i + 1])]
        run(["lv2apply", "-i", source, "-o", through_lv2] + pairs + [URI], env)
        run([aldermark, "process", source, "--output", through_vst, "--quiet"] + options, env)
        lv2 = read_float_wav(through_lv2)
        check(lv2 == read_float_wav(through_vst), name + ": lv2apply and aldermark process agree sample for sample")
        check((lv2 == as_read) == (not controls), name + ": the output is the input exactly when Process is off")
    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
