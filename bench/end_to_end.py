#!/usr/bin/env python3
"""End-to-end benchmark of build/kesmor against curl's raw fetch and sacc's first screen.

Generates the workloads in a temporary directory (never kept), serves them with the same real
Gopher server as the demo (scripts/gopher_server.sh) on loopback, runs each client in a
pseudo-terminal of 80x24 and prints, per workload, the medians of several runs and the ratios
of the targets, with PASS or FAIL for each. Every target is a ratio taken in this one run, so
the machine's speed and load cancel out as far as they can.

    bench/end_to_end.py --record-size BYTES [--client build/bench/kesmor] [--runs 11] [--only TEXT]
                        [--baseline OLD_KESMOR]

The server is gophernicus behind socat, which forks a shell and the server for every request:
that start costs tens of milliseconds and dominates the small workloads, and socat's relay caps
the large ones at about 150 MB/s on a 2-core machine, so every client is close to curl's floor
and one run to the next varies by 20% or more. Hence 11 runs and paired ratios.

Measured:
  first screen   launch to the last byte of the first complete screen (the screen's last row
                 has arrived and the output has gone quiet); curl: launch to exit, into /dev/null
  ready          launch to the moment kesmor went idle waiting for a key (a long menu's first
                 screen is drawn before the rest of it is parsed; no key is read before that)
  key frame      a movement key (Down, Up, Page Down, Page Up, as terminals send them) written
                 to the terminal, to the last byte of the frames it draws; on a text
                 after Page Down has reached its end, on a menu around the wrap to its last item
  unknown key    a single byte that is no command ("x"), to the last byte of the next frame
  idle CPU       CPU time of the process over 10 s with the page open and no key pressed
  peak RSS       VmHWM less the client's fixed size (its peak showing a 256 KiB text, less the
                 text), beside the budget: 1.1 x (content + item_count x record size)
  growth         VmRSS after 1,000 key presses minus VmRSS before them

With --baseline, another kesmor binary (an older build, say) is measured beside the client in the
same run, the two taking turns run by run and key by key, and three more tables show both with
the ratio new/old; the targets still concern the client alone.
"""

import argparse
import errno
import fcntl
import os
import re
import select
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import termios
import time

ROWS, COLS = 24, 80
TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SERVER_SCRIPT = os.path.join(TOP, "scripts", "gopher_server.sh")

QUIET_S = 0.15  # no output for this long: the frame has ended
WAIT_S = 60.0  # every wait gives up after this
IDLE_S = 10.0
# The text whose peak RSS, less the text, is the client's fixed size: code, libraries, output
# buffer, and the free space the allocator keeps once a response has outgrown its small sizes
# (about 100 KB with glibc, which would otherwise count against a 1 MB page's 10%).
BASE_BYTES = 256 << 10
PRESSES = 1000

# The keys as terminals send them. (A bare ESC [ 6 is Page Down too, but only once 50 ms have
# passed with nothing after it, so its frame would measure that wait, not the program.)
DOWN, UP, PAGE_DOWN, PAGE_UP = b"\x1b[B", b"\x1b[A", b"\x1b[6~", b"\x1b[5~"
UNKNOWN_KEY = b"x"
FRAME_START = b"\x1b[H\x1b[J"

# The workloads of the issue: texts of 1, 10 and 100 MB, menus of 1,000 to 100,000 lines.
TEXTS = [("1 MB text", "1mb", 1 << 20), ("10 MB text", "10mb", 10 << 20),
         ("100 MB text", "100mb", 100 << 20)]
MENUS = [("1,000-line menu", "1k", 1000), ("10,000-line menu", "10k", 10000),
         ("100,000-line menu", "100k", 100000)]
TEXT_LINE = "line %07d: the quick brown fox jumps over the lazy dog, keeping time.\n"
MENU_LINE = "%citem %06d of the benchmark menu\t/texts/1mb.bin\t127.0.0.1\t%d\r\n"
TEXT_MARK = re.compile(rb"line (\d{7}):")
MENU_MARK = re.compile(rb"item (\d{6}) of")


class Failure(Exception):
    pass


# ---------------------------------------------------------------- workloads and the server


def write_text(path, size):
    """Numbered lines up to size bytes; returns the number of lines."""
    lines = []
    total = 0
    while total < size:
        line = TEXT_LINE % (len(lines) + 1)
        lines.append(line)
        total += len(line)
    with open(path, "w") as out:
        out.write("".join(lines))
    return len(lines)


def write_menu(path, count, port):
    """count links, every third a directory, then the closing "." line."""
    with open(path, "w") as out:
        out.write("".join(MENU_LINE % ("1" if i % 3 == 0 else "0", i, port)
                          for i in range(1, count + 1)))
        out.write(".\r\n")


def make_workloads(root, port_hint):
    """Files under root, served under .bin names: gophernicus sends those as they are, while it
    rewrites the line ends of what it takes for text one line at a time, which would make the
    server, not the clients, the thing measured."""
    os.makedirs(os.path.join(root, "texts"))
    os.makedirs(os.path.join(root, "menus"))
    workloads = []
    for name, tag, size in TEXTS:
        path = os.path.join(root, "texts", tag + ".bin")
        lines = write_text(path, size)
        workloads.append(dict(name=name, kind="text", selector="/texts/%s.bin" % tag,
                              url_type="0", path=path, lines=lines, items=0))
    for name, tag, count in MENUS:
        path = os.path.join(root, "menus", tag + ".bin")
        write_menu(path, count, port_hint)
        workloads.append(dict(name=name, kind="menu", selector="/menus/%s.bin" % tag,
                              url_type="1", path=path, lines=count, items=count))
    write_text(os.path.join(root, "texts", "base.bin"), BASE_BYTES)
    for dirpath, dirnames, filenames in os.walk(root):
        os.chmod(dirpath, 0o755)
        for f in filenames:
            os.chmod(os.path.join(dirpath, f), 0o644)
    for w in workloads:
        w["bytes"] = os.path.getsize(w["path"])
    return workloads


def start_server(root):
    out = subprocess.run(["bash", SERVER_SCRIPT, "start", root], check=True,
                         capture_output=True, text=True, timeout=60).stdout.split()
    return int(out[0]), int(out[1])


def stop_server(pid):
    subprocess.run(["bash", SERVER_SCRIPT, "stop", str(pid)], timeout=60)


# ---------------------------------------------------------------- a client in a pseudo-terminal


def take_terminal():
    """In the child: a session of its own, whose controlling terminal is the pseudo-terminal
    (sacc's pager opens /dev/tty)."""
    os.setsid()
    fcntl.ioctl(0, termios.TIOCSCTTY, 0)


class Terminal:
    """One client in a pseudo-terminal of ROWS x COLS: its output with the time of every read."""

    def __init__(self, argv, env):
        self.master, slave = os.openpty()
        fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", ROWS, COLS, 0, 0))
        self.started = time.monotonic()
        self.proc = subprocess.Popen(argv, stdin=slave, stdout=slave, stderr=slave, env=env,
                                     preexec_fn=take_terminal, close_fds=True)
        os.close(slave)
        os.set_blocking(self.master, False)
        self.output = bytearray()
        self.chunks = []  # (time, offset just past the chunk)
        self.frames = 0  # frame starts seen so far

    def _read_once(self, timeout):
        ready, _, _ = select.select([self.master], [], [], timeout)
        if not ready:
            return False
        try:
            data = os.read(self.master, 1 << 16)
        except OSError as e:
            if e.errno in (errno.EIO, errno.EAGAIN):
                if e.errno == errno.EIO:
                    raise Failure("the client closed its terminal: %r" % self.tail())
                return False
            raise
        if not data:
            raise Failure("the client closed its terminal")
        old = len(self.output)
        self.output += data
        self.chunks.append((time.monotonic(), len(self.output)))
        self.frames += self.output.count(FRAME_START, max(0, old - len(FRAME_START) + 1))
        return True

    def last_mark(self, mark):
        """The highest row number written so far (the rows of a page carry numbers)."""
        numbers = [int(n) for n in mark.findall(self.output)]
        return max(numbers) if numbers else 0

    def tail(self):
        return bytes(self.output[-300:])

    def wait_for(self, predicate, timeout=WAIT_S):
        """Reads until predicate(self) holds."""
        deadline = time.monotonic() + timeout
        while not predicate(self):
            left = deadline - time.monotonic()
            if left <= 0:
                raise Failure("timed out; output ends with %r" % self.tail())
            self._read_once(min(left, 0.5))

    def settle(self, quiet=QUIET_S):
        """Reads until nothing arrives for quiet seconds; returns the time of the last read."""
        while self._read_once(quiet):
            pass
        return self.chunks[-1][0] if self.chunks else self.started

    def send(self, data):
        """Writes the bytes, reading the output meanwhile so that neither side blocks."""
        view = memoryview(data)
        deadline = time.monotonic() + WAIT_S
        while view:
            if time.monotonic() > deadline:
                raise Failure("the client stopped reading its keyboard")
            readable, writable, _ = select.select([self.master], [self.master], [], 0.5)
            if readable:
                self._read_once(0)
            if writable:
                try:
                    view = view[os.write(self.master, view[:4096]):]
                except BlockingIOError:
                    pass
        return time.monotonic()

    def frame_time(self, key):
        """Time from writing key to the last byte of the frame it causes."""
        self.wait_idle()
        self.settle()
        frames = self.frames
        sent = self.send(key)
        self.wait_for(lambda t: t.frames > frames)
        return self.settle() - sent

    def press(self, key):
        """Writes key and waits for the frame it causes to begin, so keys never run together."""
        frames = self.frames
        self.send(key)
        self.wait_for(lambda t: t.frames > frames)

    def wait_idle(self, window=0.2, busy=0.05):
        """Reads until the client has used under `busy` of a core over `window` seconds: its
        work after the first screen, such as the rest of a long menu, is done. Returns the end
        of its last busy stretch (the last 10 ms in which it used more than `busy` of a core)."""
        deadline = time.monotonic() + WAIT_S
        last_time, last_cpu = time.monotonic(), self.cpu_seconds()
        busy_until = last_time
        while time.monotonic() - busy_until < window:
            if time.monotonic() > deadline:
                raise Failure("the client never went idle")
            self._read_once(0.01)
            now, cpu = time.monotonic(), self.cpu_seconds()
            if cpu - last_cpu > busy * (now - last_time):
                busy_until = now
            last_time, last_cpu = now, cpu
        return busy_until

    def cpu_seconds(self):
        """CPU time used so far: nanoseconds from schedstat, else clock ticks from stat."""
        try:
            with open("/proc/%d/schedstat" % self.proc.pid) as f:
                return int(f.read().split()[0]) / 1e9
        except (FileNotFoundError, IndexError, ValueError):
            with open("/proc/%d/stat" % self.proc.pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def status_kb(self, field):
        with open("/proc/%d/status" % self.proc.pid) as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
        raise Failure("no %s in /proc status" % field)

    def close(self):
        if self.proc.poll() is None:
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)  # its own session: only the client
            except ProcessLookupError:
                pass
        self.proc.wait(timeout=WAIT_S)
        os.close(self.master)


def first_screen(argv, env, mark, last_row, ready=False):
    """Launch to the end of the first screen, whose last row carries the number last_row; with
    ready, also launch to the moment the client went idle, waiting for keys."""
    term = Terminal(argv, env)
    try:
        term.wait_for(lambda t: t.last_mark(mark) >= last_row)
        if not ready:
            return term.settle() - term.started
        idle = term.wait_idle() - term.started
        first = term.settle() - term.started
        return first, max(first, idle)
    finally:
        term.close()


def rows_shown(argv, env, mark):
    """The number of the last row on a client's first screen of a long page."""
    term = Terminal(argv, env)
    try:
        term.wait_for(lambda t: t.last_mark(mark) > 0)
        term.settle(0.5)
        return term.last_mark(mark)
    finally:
        term.close()


def curl_time(url):
    started = time.monotonic()
    subprocess.run(["curl", "-s", "-o", "/dev/null", url], check=True, timeout=WAIT_S * 5)
    return time.monotonic() - started


# ---------------------------------------------------------------- one workload


def turns(labels, i):
    """The clients in the order of turn i: the first to go swaps every turn, so that neither
    always runs on a cache the other has just warmed."""
    return labels if i % 2 == 0 else labels[::-1]


def move_keys(w):
    if w["kind"] == "text":
        # After Page Down to the end.
        return (DOWN, PAGE_DOWN, UP, PAGE_UP, DOWN, PAGE_DOWN, UP, DOWN, PAGE_DOWN, UP,
                PAGE_DOWN)
    # Up on the first item wraps to the last: the longest way through the items.
    return (UP, PAGE_UP, DOWN, PAGE_DOWN, DOWN, UP, PAGE_DOWN, UP, DOWN, PAGE_UP, PAGE_DOWN)


def page_to_end(term, w):
    pages = w["lines"] // (ROWS - 4) + 2
    frames = term.frames
    term.send(PAGE_DOWN * pages)
    term.wait_for(lambda t: t.frames >= frames + pages, timeout=WAIT_S * 10)


def measure_clients(clients, env, url, w, rows):
    """Everything about each kesmor of clients ((label, path) pairs) on one workload but the
    first screen, by label. All are open at once and take turns key by key; the ones waiting
    read nothing and draw nothing, so they cost the one measured nothing."""
    labels = [label for label, _ in clients]
    terms = {}
    try:
        mark = TEXT_MARK if w["kind"] == "text" else MENU_MARK
        for label, path in clients:
            term = Terminal([path, url], env)
            terms[label] = term
            term.wait_for(lambda t, n=min(rows[label], w["lines"]): t.last_mark(mark) >= n)
            term.settle()
            term.wait_idle()  # the rest of a long menu, before the next one starts
        if w["kind"] == "text":
            for label in labels:
                page_to_end(terms[label], w)
        moves = {label: [] for label in labels}
        unknown = {label: [] for label in labels}
        keys = [(key, moves) for key in move_keys(w)] + [(UNKNOWN_KEY, unknown)] * 5
        for i, (key, into) in enumerate(keys):
            for label in turns(labels, i):
                into[label].append(terms[label].frame_time(key))

        for label in labels:
            terms[label].settle()
        time.sleep(1.0)
        cpu_before = {label: terms[label].cpu_seconds() for label in labels}
        time.sleep(IDLE_S)
        idle = {label: (terms[label].cpu_seconds() - cpu_before[label]) / IDLE_S
                for label in labels}

        rss_before = {}
        for label in labels:
            terms[label].settle()
            rss_before[label] = terms[label].status_kb("VmRSS")
        presses = (DOWN, UNKNOWN_KEY, UP, UNKNOWN_KEY)
        for i in range(PRESSES):
            for label in turns(labels, i):
                terms[label].press(presses[i % len(presses)])
        results = {}
        for label in labels:
            term = terms[label]
            term.settle()
            growth = term.status_kb("VmRSS") - rss_before[label]
            peak = term.status_kb("VmHWM")
            term.send(b"q")
            term.proc.wait(timeout=WAIT_S)
            results[label] = dict(moves=moves[label], unknown=unknown[label], idle=idle[label],
                                  peak_kb=peak, growth_kb=growth)
        return results
    finally:
        for term in terms.values():
            term.close()


def fixed_kb(client, env, url, content_bytes):
    """The client's fixed size: its peak RSS showing a small text, less that text."""
    term = Terminal([client, url], env)
    try:
        term.wait_for(lambda t: t.last_mark(TEXT_MARK) >= 1)
        term.settle()
        return term.status_kb("VmHWM") - content_bytes / 1024
    finally:
        term.close()


# ---------------------------------------------------------------- report


def ms(seconds):
    return "%.1f" % (seconds * 1000)


def verdict(ok):
    return "PASS" if ok else "FAIL"


def report(results, record_size, base_kb, beside=None):
    """The table, beside() (more tables, if any), then the targets; returns the failures."""
    print()
    print("Medians of %d runs; times in ms; 80x24; x: the median of the runs' own ratios (the "
          "three clients take turns, so each ratio compares runs made moments apart); peak RSS "
          "in MB above the client's fixed %.1f MB." % (results[0]["runs"], base_kb / 1024))
    head = ("%-18s %8s %8s %6s %8s %6s %8s %8s %8s %7s %8s %8s %6s %7s"
            % ("workload", "kesmor", "curl", "x", "sacc", "x", "ready", "key max", "unknown",
               "idle%", "peak MB", "budget", "x", "growth"))
    print(head.rstrip())
    print("-" * len(head.rstrip()))
    for r in results:
        print("%-18s %8s %8s %6.2f %8s %6.2f %8s %8s %8s %7.2f %8.1f %8.1f %6.2f %5dKB"
              % (r["name"], ms(r["first"]), ms(r["curl"]), r["vs_curl"],
                 ms(r["sacc"]), r["vs_sacc"], ms(r["ready"]), ms(max(r["moves"])),
                 ms(max(r["unknown"])), r["idle"] * 100, r["peak_mb"], r["budget_mb"],
                 r["peak_mb"] / r["budget_mb"], r["growth_kb"]))

    if beside:
        beside()

    checks = []
    for r in results:
        if r["kind"] == "text":
            checks.append(("1 first screen <= 1.3x curl", r, r["vs_curl"], 1.3,
                           "%.2fx" % r["vs_curl"]))
    for r in results:
        checks.append(("1 first screen <= sacc", r, r["vs_sacc"], 1.0, "%.2fx" % r["vs_sacc"]))
    for r in results:
        if r["name"] in ("100 MB text", "100,000-line menu"):
            checks.append(("2 movement frame <= 16 ms", r, max(r["moves"]) / 0.016, 1.0,
                           "%s ms = %.2fx of 16 ms" % (ms(max(r["moves"])),
                                                       max(r["moves"]) / 0.016)))
    for r in results:
        if r["name"] == "100,000-line menu":
            checks.append(("3 unknown-key frame <= 50 ms", r, max(r["unknown"]) / 0.050, 1.0,
                           "%s ms = %.2fx of 50 ms" % (ms(max(r["unknown"])),
                                                       max(r["unknown"]) / 0.050)))
    for r in results:
        if r["name"] in ("100 MB text", "100,000-line menu"):
            checks.append(("4 idle CPU < 1% of a core", r, r["idle"] / 0.01, 1.0,
                           "%.3f%% = %.2fx of 1%%" % (r["idle"] * 100, r["idle"] / 0.01)))
    for r in results:
        checks.append(("5 peak RSS <= 1.1x (content + items)", r,
                       r["peak_mb"] / r["budget_mb"], 1.0,
                       "%.1f MB = %.2fx of %.1f MB" % (r["peak_mb"], r["peak_mb"] / r["budget_mb"],
                                                      r["budget_mb"])))
    for r in results:
        # Allocator and stdio noise only: 1% of the budget, at least 256 KB.
        allowed = max(256, r["budget_mb"] * 1024 * 0.01)
        checks.append(("5 no growth over %d keys" % PRESSES, r, r["growth_kb"] / allowed, 1.0,
                       "%+d KB (allowed %d KB)" % (r["growth_kb"], allowed)))

    print()
    print("Targets (record size %d bytes):" % record_size)
    failed = 0
    for title, r, ratio, limit, text in checks:
        ok = ratio <= limit
        failed += not ok
        print("  %-4s %-38s %-18s %s" % (verdict(ok), title, r["name"], text))
    print()
    print("%d passed, %d failed" % (len(checks) - failed, failed))
    return failed


def paired(new, old):
    """The median of the paired ratios new/old, with their quartiles."""
    ratios = [n / o for n, o in zip(new, old)]
    if len(ratios) < 2:
        return ratios[0], ratios[0], ratios[0]
    q1, q2, q3 = statistics.quantiles(ratios, n=4, method="inclusive")
    return q2, q1, q3


def x_cell(ratios):
    return "%5.2f %5.2f-%-5.2f" % ratios


X_HEAD = "%5s %-11s" % ("x", "q1-q3")


def report_baseline(results, client, baseline, fixed):
    """The client (new) beside the baseline (old): the same figures, taken in turns."""
    print()
    print("new: %s; old: %s. Times in ms, medians; x: new/old, the median of the paired "
          "ratios (the two take turns, run by run and key by key) with their quartiles."
          % (client, baseline))
    cell = "%8s %8s %17s"
    head = ("%-18s " + cell + "   " + cell) % ("workload", "first", "old", X_HEAD, "ready",
                                               "old", X_HEAD)
    print(head.rstrip())
    print("-" * len(head.rstrip()))
    for r in results:
        n, o = r, r["old"]
        line = (("%-18s " + cell + "   " + cell)
                % (r["name"], ms(n["first"]), ms(o["first"]),
                   x_cell(paired(n["firsts"], o["firsts"])), ms(n["ready"]), ms(o["ready"]),
                   x_cell(paired(n["readies"], o["readies"]))))
        print(line.rstrip())

    print()
    head = ("%-18s " + cell + " %8s %8s   " + cell) % (
        "workload", "key", "old", X_HEAD, "key max", "old", "unknown", "old", X_HEAD)
    print(head.rstrip())
    print("-" * len(head.rstrip()))
    for r in results:
        n, o = r, r["old"]
        line = (("%-18s " + cell + " %8s %8s   " + cell)
                % (r["name"], ms(statistics.median(n["moves"])),
                   ms(statistics.median(o["moves"])), x_cell(paired(n["moves"], o["moves"])),
                   ms(max(n["moves"])), ms(max(o["moves"])), ms(statistics.median(n["unknown"])),
                   ms(statistics.median(o["unknown"])),
                   x_cell(paired(n["unknown"], o["unknown"]))))
        print(line.rstrip())

    print()
    print("Peak RSS: VmHWM after the keys, in MB, and above each one's fixed size (new %.1f MB, "
          "old %.1f MB); growth over %d keys." % (fixed["new"] / 1024, fixed["old"] / 1024,
                                                  PRESSES))
    head = ("%-18s %7s %7s   %8s %8s %6s   %8s %8s   %8s %8s"
            % ("workload", "idle%", "old", "peak MB", "old", "x", "above", "old", "growth",
               "old"))
    print(head.rstrip())
    print("-" * len(head.rstrip()))
    for r in results:
        n, o = r, r["old"]
        print("%-18s %7.2f %7.2f   %8.1f %8.1f %6.2f   %8.1f %8.1f   %6dKB %6dKB"
              % (r["name"], n["idle"] * 100, o["idle"] * 100, n["peak_kb"] / 1024,
                 o["peak_kb"] / 1024, n["peak_kb"] / o["peak_kb"],
                 (n["peak_kb"] - fixed["new"]) / 1024, (o["peak_kb"] - fixed["old"]) / 1024,
                 n["growth_kb"], o["growth_kb"]))


# ---------------------------------------------------------------- main


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--client", default=os.path.join(TOP, "build", "bench", "kesmor"))
    parser.add_argument("--runs", type=int, default=11)
    parser.add_argument("--record-size", type=int, required=True,
                        help="sizeof(MenuItem) of the client, in bytes")
    parser.add_argument("--only", help="run only the workloads whose name contains this")
    parser.add_argument("--baseline", help="another kesmor to measure beside the client")
    args = parser.parse_args()
    clients = [("new", args.client)]
    if args.baseline:
        if not os.access(args.baseline, os.X_OK):
            sys.exit("end_to_end: %s is not an executable" % args.baseline)
        clients.append(("old", args.baseline))
    labels = [label for label, _ in clients]
    for tool in ("curl", "sacc"):
        if shutil.which(tool) is None:
            sys.exit("end_to_end: %s is missing (bash scripts/bootstrap.sh --bench)" % tool)

    # An interrupt or a kill still stops the server and the clients (the finally clauses).
    for number in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, lambda *_, n=number: sys.exit(128 + n))
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "TERM": "xterm",
           "LANG": "C.UTF-8", "HOME": tempfile.gettempdir()}
    root = tempfile.mkdtemp(prefix="kesmor-bench.")
    server = None
    try:
        # The menus' links name a port; they are never opened, so any will do.
        workloads = make_workloads(os.path.join(root, "gopher"), 70)
        port, server = start_server(os.path.join(root, "gopher"))
        print("end_to_end: gophernicus behind socat on 127.0.0.1:%d (PID %d), %s"
              % (port, server, " against ".join(path for _, path in clients)))
        base_url = "gopher://127.0.0.1:%d/" % port

        rows = {}
        for kind, mark, sel in (("text", TEXT_MARK, "0/texts/1mb.bin"),
                                ("menu", MENU_MARK, "1/menus/1k.bin")):
            for label, path in clients:
                rows[(label, kind)] = rows_shown([path, base_url + sel], env, mark)
            rows[("sacc", kind)] = rows_shown(["sacc", base_url + sel], env, mark)
        base_bytes = os.path.getsize(os.path.join(root, "gopher", "texts", "base.bin"))
        fixed = {label: fixed_kb(path, env, base_url + "0/texts/base.bin", base_bytes)
                 for label, path in clients}
        base_kb = fixed["new"]

        results = []
        for w in workloads:
            if args.only and args.only not in w["name"]:
                continue
            url = base_url + w["url_type"] + w["selector"]
            mark = TEXT_MARK if w["kind"] == "text" else MENU_MARK
            firsts = {label: [] for label in labels}
            readies = {label: [] for label in labels}
            curls, saccs = [], []
            # Interleaved, so that a change in the machine's load falls on all clients alike.
            for run in range(args.runs):
                curls.append(curl_time(url))
                for label in turns(labels, run):
                    first, ready = first_screen([dict(clients)[label], url], env, mark,
                                                min(rows[(label, w["kind"])], w["lines"]), True)
                    firsts[label].append(first)
                    readies[label].append(ready)
                saccs.append(first_screen(["sacc", url], env, mark,
                                          min(rows[("sacc", w["kind"])], w["lines"])))
            rest = measure_clients(clients, env, url, w,
                                   {label: rows[(label, w["kind"])] for label in labels})
            by_client = {label: dict(first=statistics.median(firsts[label]),
                                     ready=statistics.median(readies[label]),
                                     firsts=firsts[label], readies=readies[label],
                                     **rest[label]) for label in labels}
            budget_kb = (w["bytes"] + w["items"] * args.record_size) / 1024 * 1.1
            new = by_client["new"]
            r = dict(name=w["name"], kind=w["kind"], runs=args.runs, curl=statistics.median(curls),
                     vs_curl=statistics.median(k / c for k, c in zip(new["firsts"], curls)),
                     vs_sacc=statistics.median(k / s for k, s in zip(new["firsts"], saccs)),
                     sacc=statistics.median(saccs), peak_mb=(new["peak_kb"] - base_kb) / 1024,
                     budget_mb=budget_kb / 1024, old=by_client.get("old"), **new)
            results.append(r)
            print("end_to_end: %-18s first %s ms, curl %s ms, sacc %s ms%s"
                  % (w["name"], ms(r["first"]), ms(r["curl"]), ms(r["sacc"]),
                     ", old %s ms" % ms(r["old"]["first"]) if r["old"] else ""), flush=True)
        beside = None
        if args.baseline:
            def beside():
                report_baseline(results, args.client, args.baseline, fixed)
        failed = report(results, args.record_size, base_kb, beside)
    finally:
        if server is not None:
            stop_server(server)
        shutil.rmtree(root, ignore_errors=True)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
