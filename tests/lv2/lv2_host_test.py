#!/usr/bin/env python3
"""The LV2 bundle in Debian's own LV2 tools: lv2ls and lv2info find it with the ports the
port table promises, and lv2apply runs a file through it as `aldermark process` runs the
same file through the VST 2.4 plug-in, sample for sample.

usage: lv2_host_test.py LV2_DIR ALDERMARK SCRATCH_DIR
"""
import math
import os
import struct
import subprocess
import sys

URI = "https://kestrune-zeb.com/plugins/aldermark"
RATE = 48000


def write_float_wav(path, frames):
    data = b"".join(struct.pack("<ff", left, right) for left, right in frames)
    header = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(data), b"WAVE", b"fmt ", 16, 3, 2, RATE,
                         RATE * 8, 8, 32, b"data", len(data))
    with open(path, "wb") as out:
        out.write(header + data)


def read_float_wav(path):
    """The stereo frames of a 32-bit float WAV, whatever chunks come before the data."""
    with open(path, "rb") as source:
        blob = source.read()
    position, fmt = 12, None
    while position + 8 <= len(blob):
        tag, size = struct.unpack_from("<4sI", blob, position)
        body = blob[position + 8:position + 8 + size]
        if tag == b"fmt ":
            fmt = struct.unpack_from("<HH", body)
        elif tag == b"data":
            if fmt != (3, 2):
                raise AssertionError("%s: not stereo float (format, channels) = %s" % (path, fmt))
            values = struct.unpack("<%df" % (len(body) // 4), body)
            return list(zip(values[0::2], values[1::2]))
        position += 8 + size + (size & 1)
    raise AssertionError("%s: no data chunk" % path)


def run(command, env=None):
    result = subprocess.run(command, capture_output=True, text=True, env=env)
    if result.returncode != 0:
        raise AssertionError("%s failed (%d): %s" % (" ".join(command), result.returncode, result.stderr))
    return result.stdout


def main(lv2_dir, aldermark, scratch):
    os.makedirs(scratch, exist_ok=True)
    env = dict(os.environ, LV2_PATH=os.path.abspath(lv2_dir), XDG_CONFIG_HOME=os.path.abspath(os.path.join(scratch, "config")))
    failures = []

    def check(condition, what):
        print(("ok   " if condition else "FAIL ") + what)
        if not condition:
            failures.append(what)

    listed = run(["lv2ls"], env).split()
    check(URI in listed, "lv2ls lists " + URI)
    info = run(["lv2info", URI], env)
    check("Name:              ZEB Aldermark" in info, "lv2info: the name")
    symbols = [line.split()[-1] for line in info.splitlines() if line.strip().startswith("Symbol:")]
    check(symbols[:4] == ["in_l", "in_r", "out_l", "out_r"], "lv2info: two audio inputs, then two outputs")
    controls, readings = symbols[4:21], symbols[21:]
    check(len(controls) == 17 and controls[0] == "process" and controls[-1] == "lag_time",
          "lv2info: a control for each of the 17 host parameters, no spare ones")
    check(readings == ["needle_l", "needle_r", "hold_l", "hold_r", "rms_l", "rms_r", "over_l", "over_r"],
          "lv2info: the needles, holds, RMS pointers and over LEDs as outputs, and nothing more")

    # A tone with a DC offset in both channels, and a burst over full scale.
    frames = []
    for i in range(RATE // 2):
        t = i / RATE
        frames.append((0.5 * math.sin(2 * math.pi * 997 * t) + 0.05,
                       0.25 * math.sin(2 * math.pi * 60 * t) * (3.0 if 12000 <= i < 12100 else 1.0)))
    source = os.path.join(scratch, "in.wav")
    write_float_wav(source, frames)

    cases = [
        ("Process off: the signal passes untouched", [], []),
        ("Process on, trim +6 dB", ["-c", "process", "1", "-c", "trim", "6"], ["--trim", "6"]),
        ("Process on, trim -12.5 dB, mid/side", ["-c", "process", "1", "-c", "trim", "-12.5", "-c", "mid_side", "1"],
         ["--trim", "-12.5", "--ms"]),
        ("Process on, filters in: high-pass at 200 Hz, low-pass at 3 kHz",
         ["-c", "process", "1", "-c", "filters_in", "1", "-c", "hp_freq", "200", "-c", "lp_freq", "3000"],
         ["--set", "Process=on", "--set", "ProcFlt=in", "--set", "HPFreq=200", "--set", "LPFreq=3000"]),
    ]
    for name, controls, options in cases:
        through_lv2 = os.path.join(scratch, "lv2.wav")
        through_vst = os.path.join(scratch, "vst.wav")
        run(["lv2apply", "-i", source, "-o", through_lv2] + controls + [URI], env)
        run([aldermark, "process", source, "--output", through_vst, "--quiet"] + options, env)
        lv2_frames, vst_frames = read_float_wav(through_lv2), read_float_wav(through_vst)
        check(lv2_frames == vst_frames, name + ": lv2apply and aldermark process agree sample for sample")
        as_read = read_float_wav(source)
        if controls:
            check(lv2_frames != as_read, name + ": the controls changed the output")
        else:
            check(lv2_frames == as_read, name + ": output equals the input")
    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
