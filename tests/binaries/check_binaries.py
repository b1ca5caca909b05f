#!/usr/bin/env python3
"""Checks the shipped plug-in binary through the command-line host of the same build.

Run by CTest with the host, the plug-in, the objdump of the target and, for Windows
builds, "wine" as the runner. Exits non-zero when any check fails.
"""
import argparse
import json
import math
import os
import re
import struct
import subprocess
import sys
import unittest

ARGS = None


def run(*arguments, expect_ok=True):
    command = ([ARGS.runner] if ARGS.runner else []) + [ARGS.host] + list(arguments)
    done = subprocess.run(command, capture_output=True, text=True, timeout=300)
    if expect_ok and done.returncode != 0:
        raise AssertionError("%s failed: %s" % (" ".join(arguments), done.stderr))
    return done


def info(*sets):
    arguments = ["info", "--plugin", ARGS.plugin]
    for s in sets:
        arguments += ["--set", s]
    return json.loads(run(*arguments).stdout)


def write_wav(path, rate, channels, bits=32):
    """channels: list of lists of floats. 16/24-bit PCM or 32-bit float."""
    frames = len(channels[0])
    data = bytearray()
    for i in range(frames):
        for ch in channels:
            v = ch[i]
            if bits == 32:
                data += struct.pack("<f", v)
            else:
                full = (1 << (bits - 1)) - 1
                q = max(-full - 1, min(full, int(round(v * full))))
                data += struct.pack("<i", q)[: bits // 8]
    fmt_tag = 3 if bits == 32 else 1
    block = len(channels) * bits // 8
    header = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(data), b"WAVE", b"fmt ", 16, fmt_tag,
                         len(channels), rate, rate * block, block, bits, b"data", len(data))
    with open(path, "wb") as f:
        f.write(header + data)


def read_float_wav(path):
    with open(path, "rb") as f:
        raw = f.read()
    assert raw[:4] == b"RIFF" and raw[8:12] == b"WAVE"
    at, fmt, data = 12, None, None
    while at + 8 <= len(raw):
        cid, size = struct.unpack("<4sI", raw[at:at + 8])
        body = raw[at + 8:at + 8 + size]
        if cid == b"fmt ":
            fmt = struct.unpack("<HHIIHH", body[:16])
        elif cid == b"data":
            data = body
        at += 8 + size + (size & 1)
    tag, channels, rate, _, _, bits = fmt
    assert bits == 32 and tag in (3, 0xFFFE), fmt
    values = struct.unpack("<%df" % (len(data) // 4), data)
    return rate, [list(values[c::channels]) for c in range(channels)]


def sine(hz, rate, seconds, amplitude=0.5):
    return [amplitude * math.sin(2 * math.pi * hz * i / rate) for i in range(int(rate * seconds))]


def rms(values):
    return math.sqrt(sum(v * v for v in values) / len(values))


def highpass_gain(f0, q, rate, hz):
    """|H| of the 12 dB/oct high-pass section as the effect designs it."""
    f = min(f0, 0.499 * rate)
    w0 = 2 * math.pi * f / rate
    qe = (1 - (f / (0.5001 * rate)) ** 6) * q
    alpha = math.sin(w0) / (2 * qe)
    a0 = 1 + alpha
    b = [(1 + math.cos(w0)) / 2 / a0, -(1 + math.cos(w0)) / a0, (1 + math.cos(w0)) / 2 / a0]
    a = [1.0, -2 * math.cos(w0) / a0, (1 - alpha) / a0]
    z = complex(math.cos(2 * math.pi * hz / rate), -math.sin(2 * math.pi * hz / rate))
    num = b[0] + b[1] * z + b[2] * z * z
    den = a[0] + a[1] * z + a[2] * z * z
    return abs(num / den)


def exported_names(dump):
    """The names a binary exports, from objdump -T (Linux) or -p (Windows)."""
    if ARGS.runner:
        table = dump.split("[Ordinal/Name Pointer] Table", 1)[-1].split("\n\n", 1)[0]
        return {m.group(1) for m in re.finditer(r"^\s*\[\s*\d+\]\s+(\S+)$", table, re.M)}
    return {line.split()[-1] for line in dump.splitlines()
            if re.match(r"^[0-9a-f]+ g ", line) and "*UND*" not in line}


class Binary(unittest.TestCase):
    def test_exports_and_imports(self):
        # (binary, names it must export, whether those are all it exports)
        for binary, names, only in ((ARGS.plugin, {"VSTPluginMain", "main"}, False), (ARGS.clap, {"clap_entry"}, True)):
            if not binary:
                continue
            with self.subTest(binary=binary):
                dump = subprocess.run([ARGS.objdump, "-p" if ARGS.runner else "-T", binary], capture_output=True,
                                      text=True, check=True).stdout
                exported = exported_names(dump)
                self.assertLessEqual(names, exported)
                if only:
                    self.assertEqual(exported, names)
                if ARGS.runner:  # Windows: only system libraries may be imported
                    imported = [line.split(":", 1)[1].strip().lower() for line in dump.splitlines() if "DLL Name:" in line]
                    self.assertTrue(imported)
                    for dll in imported:
                        self.assertNotRegex(dll, r"libstdc|libgcc|winpthread|mingw", dll)

    def test_identity(self):
        r = info()
        self.assertEqual(r["effectName"], "ZEB Aldermark")
        self.assertEqual(r["product"], "ZEB Aldermark")
        self.assertEqual(len(r["vendor"]), 16)
        self.assertEqual(r["vendorVersion"], 3030)
        self.assertEqual(r["vstVersion"], 2400)
        self.assertEqual(r["category"], 4)
        self.assertEqual(r["numParams"], 64)
        self.assertEqual(r["numPrograms"], 1)
        self.assertEqual((r["numInputs"], r["numOutputs"]), (2, 2))
        for capability in ("offline", "plugAsChannelInsert", "1in1out", "1in2out", "2in2out"):
            self.assertEqual(r["canDo"][capability], 1, capability)
        labels = [p["label"] for p in r["inputs"] + r["outputs"] if p["answered"]]
        self.assertEqual(labels, ["ZEB Aldermark 1 In", "ZEB Aldermark 2 In", "ZEB Aldermark 1 Out",
                                  "ZEB Aldermark 2 Out"])

    def test_parameter_texts(self):
        p = info()["parameters"]
        self.assertEqual(len(p), 64)
        self.assertEqual([x["name"] for x in p[:5]], ["Process", "Trim", "GSIcal", "Meter", "LR/MS"])
        self.assertEqual(p[1]["display"], "0.0dB")
        self.assertEqual(p[3]["display"], "VU3")
        self.assertEqual(p[11]["display"], "20.0")
        self.assertEqual(p[14]["display"], "30k")
        self.assertTrue(all(x["automatable"] for x in p[:17]))
        self.assertFalse(any(x["automatable"] for x in p[17:]))
        self.assertTrue(all(x["label"] == "  " for x in p))
        p = info("1=0", "11=0.5", "14=0.5", "3=0.74")["parameters"]
        self.assertEqual((p[1]["display"], p[11]["display"], p[14]["display"], p[3]["display"]),
                         ("-20.0dB", "200", "3k", "RMS3"))
        p = info("1=1", "14=%.9f" % (math.log(5) / math.log(100)))["parameters"]
        self.assertEqual(p[1]["value"], 1.0)
        self.assertEqual(p[1]["display"], "20.0dB")
        self.assertEqual(p[14]["display"], "1k5")
        p = info("Trim=-6.5", "LPFreq=1k5", "Meter=rms")["parameters"]  # by name, in the units shown
        self.assertEqual((p[1]["display"], p[14]["display"], p[3]["display"]), ("-6.5dB", "1k5", "RMS3"))

    def test_processing_off_is_bit_exact(self):
        path_in = os.path.join(ARGS.work, "tone.wav")
        path_out = os.path.join(ARGS.work, "tone-out.wav")
        to_float = lambda v: struct.unpack("<f", struct.pack("<f", v))[0]
        left = [to_float(math.sin(i * 0.37) * 0.6) for i in range(3000)]
        right = [to_float(math.cos(i * 0.11) * 1.7) for i in range(3000)]  # beyond full scale too
        write_wav(path_in, 44100, [left, right])
        run("process", "--plugin", ARGS.plugin, "--input", path_in, "--output", path_out, "--block", "333",
            "--set", "8=1", "--set", "1=0.9")  # filters in and a trim: neither acts while Process is off
        _, out = read_float_wav(path_out)
        for ch, original in zip(out, [left, right]):
            mismatches = [i for i, (a, b) in enumerate(zip(ch, original)) if a != b]
            self.assertEqual(len(ch), len(original))
            self.assertEqual(mismatches[:5], [])

    def test_high_pass_response(self):
        rate = 48000
        fhp = 20 * 100 ** 0.5  # 200 Hz; stage A at 0.7 x fHP, Q 0.5; the low-pass has no effect here
        for hz in (50.0, 140.0, 1000.0):
            path_in = os.path.join(ARGS.work, "sine.wav")
            path_out = os.path.join(ARGS.work, "sine-out.wav")
            source = sine(hz, rate, 1.0)
            write_wav(path_in, rate, [source])
            run("process", "--plugin", ARGS.plugin, "--input", path_in, "--output", path_out,
                "--set", "0=1", "--set", "8=1", "--set", "11=0.5")
            _, out = read_float_wav(path_out)
            self.assertEqual(len(out), 1)  # mono in, mono out
            measured = rms(out[0][rate // 2:]) / rms(source[rate // 2:])
            expected = highpass_gain(0.7 * fhp, 0.5, rate, hz)
            self.assertAlmostEqual(20 * math.log10(measured), 20 * math.log10(expected), delta=0.05, msg=hz)

    def test_trim_gain(self):
        path_in = os.path.join(ARGS.work, "dc.wav")
        path_out = os.path.join(ARGS.work, "dc-out.wav")
        write_wav(path_in, 44100, [[0.1] * 1000, [0.05] * 1000])
        run("process", "--plugin", ARGS.plugin, "--input", path_in, "--output", path_out,
            "--set", "0=1", "--set", "1=0.75")  # +10 dB
        _, out = read_float_wav(path_out)
        self.assertAlmostEqual(out[0][-1], 0.1 * 10 ** 0.5, places=5)
        self.assertAlmostEqual(out[1][-1], 0.05 * 10 ** 0.5, places=5)

    def test_bad_input_is_one_line_error(self):
        not_vst = os.path.join(ARGS.work, "not-a-plugin.bin")
        with open(not_vst, "wb") as f:
            f.write(b"\x00" * 64)
        for arguments in (["info", "--plugin", not_vst], ["info", "--plugin", ARGS.plugin, "--set", "64=1"],
                          ["info", "--plugin", ARGS.plugin, "--set", "1=x"],
                          ["info", "--plugin", ARGS.plugin, "--set", "1=1.7"],
                          ["info", "--plugin", ARGS.plugin, "--set", "20=0.5"],
                          ["process", "--plugin", ARGS.plugin, "--input", not_vst, "--output", not_vst + ".wav"],
                          ["process", "--plugin", ARGS.plugin, "--input", os.path.join(ARGS.work, "missing.wav"),
                           "--output", not_vst + ".wav"]):
            done = run(*arguments, expect_ok=False)
            self.assertNotEqual(done.returncode, 0, arguments)
            self.assertLess(done.returncode, 128, arguments)  # an error, not a crash
            self.assertEqual(len([l for l in done.stderr.splitlines() if l.startswith("aldermark")]), 1,
                             done.stderr)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for name in ("--host", "--plugin", "--clap", "--objdump", "--runner", "--work"):
        parser.add_argument(name, default="")
    ARGS, rest = parser.parse_known_args()
    os.makedirs(ARGS.work, exist_ok=True)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
