"""What the host harnesses share: the desk (a private Xvfb and JACK dummy server, from
host_desk), hosts started on it with a private HOME and plug-in paths, windows, screenshots,
JACK ports and the ok/FAIL report."""
import argparse
import os
import shutil
import subprocess
import sys
import time

URI = "https://kestrune-zeb.com/plugins/aldermark"
SKIPPED = 77


def arguments(extra=()):
    parser = argparse.ArgumentParser()
    for name in ("--desk", "--lv2", "--vst", "--standin", "--tone", "--out"):
        parser.add_argument(name, required=True)
    parser.add_argument("--clap", default="", help="a folder holding the CLAP build, for hosts that load it")
    for name, default in extra:
        parser.add_argument(name, default=default)
    args = parser.parse_args()
    for name in ("desk", "lv2", "vst", "standin", "tone", "out", "clap"):
        setattr(args, name, os.path.abspath(getattr(args, name)) if getattr(args, name) else "")
    return args


def need(*programs):
    """Ends the test as skipped when a host is not installed."""
    missing = [p for p in programs if not shutil.which(p)]
    if missing:
        print("skipped: not installed: " + " ".join(missing))
        sys.exit(SKIPPED)


def wait_until(seconds, done):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        answer = done()
        if answer:
            return answer
        time.sleep(0.5)
    return done()


class Report:
    def __init__(self):
        self.failures = []

    def check(self, condition, what):
        print(("ok   " if condition else "FAIL ") + what, flush=True)
        if not condition:
            self.failures.append(what)
        return condition

    def verdict(self):
        print("%d failed" % len(self.failures))
        return 1 if self.failures else 0


class Desk:
    """A private X server and JACK server for the life of a `with` block; hosts started
    through it see only them, a scratch HOME and this build's plug-ins."""

    def __init__(self, args, name):
        self.args, self.scratch = args, os.path.join(args.out, name)
        shutil.rmtree(self.scratch, ignore_errors=True)
        os.makedirs(os.path.join(self.scratch, "home"))
        self.hosts = []

    def __enter__(self):
        self.server = subprocess.Popen([self.args.desk, "serve", os.path.join(self.scratch, "jackd.log")], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                       text=True)
        lines = dict(self.server.stdout.readline().strip().split("=", 1) for _ in range(2))
        self.display, self.jack = lines["DISPLAY"], lines["JACK"]
        home = os.path.join(self.scratch, "home")
        self.env = dict(os.environ, DISPLAY=self.display, JACK_DEFAULT_SERVER=self.jack, HOME=home,
                        XDG_CONFIG_HOME=home + "/.config", XDG_RUNTIME_DIR=home, XDG_CACHE_HOME=home + "/.cache",
                        LV2_PATH=os.path.abspath(self.args.lv2), VST_PATH=self.args.vst, LXVST_PATH=self.args.vst,
                        CLAP_PATH=self.args.clap or os.path.join(self.scratch, "no-clap"), NO_AT_BRIDGE="1")
        return self

    def __exit__(self, *_):
        for host in self.hosts:
            self.end(host)
        self.server.stdin.close()
        self.server.wait(30)

    def start(self, name, command, env=None):
        """Starts a host, its output going to NAME.log in the scratch folder."""
        log = open(os.path.join(self.scratch, name + ".log"), "w")
        host = subprocess.Popen(command, env=dict(self.env, **(env or {})), stdout=log, stderr=subprocess.STDOUT,
                                cwd=self.scratch, start_new_session=True)
        self.hosts.append(host)
        return host

    def run(self, name, command, timeout=120, env=None):
        """Runs a host to its end; its status and output."""
        result = subprocess.run(command, env=dict(self.env, **(env or {})), capture_output=True, text=True,
                                timeout=timeout,
                                cwd=self.scratch)
        with open(os.path.join(self.scratch, name + ".log"), "w") as log:
            log.write(result.stdout + result.stderr)
        return result.returncode, result.stdout + result.stderr

    @staticmethod
    def end(host):
        if host.poll() is None:
            host.terminate()
            try:
                host.wait(15)
            except subprocess.TimeoutExpired:
                host.kill()
                host.wait()

    def windows(self):
        """(id, parent, x, y, width, height, mapped, name) of every window."""
        listing = subprocess.run([self.args.desk, "windows", self.display], capture_output=True, text=True).stdout
        found = []
        for line in listing.splitlines():
            fields, name = line.split(" ", 7), line.split('"', 1)[1][:-1]
            found.append((int(fields[0], 16), int(fields[1], 16)) + tuple(int(f) for f in fields[2:7]) + (name,))
        return found

    def window_named(self, text):
        return next((w for w in self.windows() if w[6] and text in w[7]), None)

    def mean_colour(self, window):
        out = subprocess.run([self.args.desk, "colour", self.display, hex(window)], capture_output=True, text=True)
        return tuple(float(v) for v in out.stdout.split()) if out.returncode == 0 else None

    def check_our_editor(self, report, where):
        """Our editor shown: a 586-wide window, 169 (no strips) to 261 high (all strips), whose
        pixels are our panels' (dark, or the warm creams of VU3's faces), not a toolkit's neutral
        light grey generic controls."""
        found = wait_until(20, lambda: next((w for w in self.windows() if w[6] and w[4] == 586
                                             and 169 <= w[5] <= 261), None))
        report.check(found is not None, where + ": a window of our editor's size (586 wide)")
        colour = self.mean_colour(found[0]) if found else None
        ours = colour is not None and (max(colour) < 120 or (max(colour) < 200 and colour[0] - colour[2] > 12))
        report.check(ours, where + ": its pixels are our panel's (mean colour %s)" % (colour,))

    def click(self, x, y, count=1):
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "--repeat", str(count), "--delay", "80",
                        "1"], env=self.env)

    def screenshot(self, name):
        """The whole screen as OUT/NAME.png; its path, or None."""
        path = os.path.join(self.args.out, name + ".png")
        ok = subprocess.run([self.args.desk, "shot", self.display, path]).returncode == 0
        return path if ok else None

    def jack_ports(self):
        out = subprocess.run([self.args.desk, "ports"], env=self.env, capture_output=True, text=True)
        return out.stdout.split("\n") if out.returncode == 0 else []

    def jack_connect(self, *pairs):
        return subprocess.run([self.args.desk, "connect"] + [p for pair in pairs for p in pair], env=self.env,
                              ).returncode == 0
