#!/usr/bin/env python3
"""End-to-end benchmark of build/kesmor against curl's raw fetch and sacc's first screen.

Generates the workloads in a temporary directory (never kept), serves them with the same real
Gopher server as the demo (scripts/gopher_server.sh) on loopback, runs each client in a
pseudo-terminal of 80x24 and prints, per workload, the medians of several runs and the ratios
of the targets, with PASS or FAIL for each. Every target is a ratio taken in this one run, so
the machine's speed and load cancel out as far as they can: a run opens every workload in
turn, so that the ratios between workloads (a large page's first screen against a small one's)
are paired run by run too.

    bench/end_to_end.py --record-size BYTES [--client build/bench/kesmor] [--runs 11] [--only TEXT]
                        [--baseline OLD_KESMOR] [--rate MB_PER_S]

The server is gophernicus behind socat, which forks a shell and the server for every request:
that start costs tens of milliseconds and dominates the small workloads, and socat's relay caps
the large ones at about 150 MB/s on a 2-core machine, so every client is close to curl's floor
and one run to the next varies by 20% or more. Hence 11 runs and paired ratios.

Measured:
  first screen   kesmor: launch to the moment the first complete screen is on the terminal: the
                 first frame that shows the header and every content row of the page's first
                 screenful, to the last byte of those rows, whatever the bottom row does after
                 (while a page arrives it is drawn again at every progress step, so the output
                 goes quiet only once the page is whole). A build that draws only whole pages
                 gets the same figure as "last byte before the output went quiet", which the
                 baseline table checks. sacc: launch to the last byte before its output went
                 quiet. curl: launch to exit, into /dev/null
  ready          launch to the moment the whole page is in and kesmor waits for a key: the later
                 of its last output (the progress row changes while the page arrives) and the
                 end of its last busy stretch (a long menu is parsed after its first screen)
  key frame      a movement key (Down, Up, Page Down, Page Up, as terminals send them) written
                 to the terminal, to the last byte of the frames it draws; on a text
                 after Page Down has reached its end, then End from the top (Home, End in turn;
                 End's frames are also shown on their own), on a menu around the wrap to its
                 last item
  unknown key    a single byte that is no command ("x"), to the last byte of the next frame
  idle CPU       CPU time of the process over 10 s with the page open and no key pressed
  peak RSS       VmHWM less the client's fixed size (its peak showing a 256 KiB text, less the
                 text), beside the budget: 1.1 x (content + item_count x record size)
  growth         VmRSS after 1,000 key presses minus VmRSS before them
  TLS            the root menu and the 1 MB text as gophers://, stunnel (with a test CA made by
                 tests/support/make_test_ca.sh) in front of the same server: kesmor's first
                 screen (the root menu: launch to the last byte of its one frame) beside curl's
                 whole gophers:// fetch (--cacert) of the same page, run by run
  key arriving   the 100 MB text served by a small paced server of this script (loopback,
                 --rate MB/s, 20 by default: about 5 s for the page): from the first screen on
                 (at the earliest 0.5 s after launch), Down and Page Down in turn every 0.25 s
                 while the page arrives, each from the write to the last content row of the first
                 frame that shows the text moved as far as the keys so far ask. A build that
                 draws only whole pages answers once the page is in: its figure is the rest of
                 the load, shown without a target

With --baseline, another kesmor binary (an older build, say) is measured beside the client in the
same run, the two taking turns run by run and key by key, and three more tables show both with
the ratio new/old. Further targets then ask that the client be no worse than the baseline: every
first screen, peak RSS (and in peak_and_quit.py the time to quit) at most BASELINE_TOLERANCE
(1.1) times the baseline's, the 10% for the noise of a shared machine.
"""

import argparse
import bisect
import errno
import fcntl
import mmap
import multiprocessing
import os
import re
import select
import shutil
import signal
import socket
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
MAKE_TEST_CA = os.path.join(TOP, "tests", "support", "make_test_ca.sh")
TLS_NAME = "TLS"

QUIET_S = 0.15  # no output for this long: the frame has ended
BASELINE_TOLERANCE = 1.1  # new/old allowed by the targets against a baseline
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
HOME, END = b"\x1b[H", b"\x1b[F"
UNKNOWN_KEY = b"x"
FRAME_START = b"\x1b[H\x1b[J"
# A client that writes only what changed ends each frame with the end of synchronized output; an
# older one starts each with the clear. Either counts as a frame.
FRAME_END = b"\x1b[?2026l"
# Bytes written for one key, beside the figures measured on the client before it wrote only what
# changed (80x24, a 60-item menu and a long text on a loopback server).
KEY_BYTES = [("Down in a 60-item menu", "menu", DOWN, 714),
             ("Page Down in a 60-item menu", "menu", PAGE_DOWN, 714),
             ("Down in a long text", "text", DOWN, None),
             ("Page Down in a long text", "text", PAGE_DOWN, None),
             ("a character typed in a prompt", "prompt", b"x", 846)]
KEY_BYTES_TARGETS = {"Down in a 60-item menu": 80, "Down in a long text": 200,
                     "a character typed in a prompt": 32}

# The workloads of the issue: texts of 1, 10 and 100 MB, menus of 1,000 to 100,000 lines.
TEXTS = [("1 MB text", "1mb", 1 << 20), ("10 MB text", "10mb", 10 << 20),
         ("100 MB text", "100mb", 100 << 20)]
MENUS = [("1,000-line menu", "1k", 1000), ("10,000-line menu", "10k", 10000),
         ("100,000-line menu", "100k", 100000)]
TEXT_LINE = "line %07d: the quick brown fox jumps over the lazy dog, keeping time.\n"
MENU_LINE = "%citem %06d of the benchmark menu\t/texts/1mb.bin\t127.0.0.1\t%d\r\n"
TEXT_MARK = re.compile(rb"line (\d{7}):")
MENU_MARK = re.compile(rb"item (\d{6}) of")
# A whole row as drawn: a row cut short by a line still arriving does not count.
TEXT_ROW = re.compile(re.escape(TEXT_LINE.rstrip("\n")).replace("%07d", r"(\d{7})").encode())
MENU_ROW = re.compile(re.escape(MENU_LINE[2:].split("\t")[0]).replace("%06d", r"(\d{6})")
                      .encode())

# The movement keys sent while the 100 MB text arrives, and when: from the first screen on, but
# not before KEYS_FROM_S after launch, so that a build that shows nothing yet still gets its keys
# while the page arrives.
ARRIVING_KEYS = (DOWN, PAGE_DOWN) * 4
KEYS_FROM_S = 0.5
KEYS_EVERY_S = 0.25
ARRIVING_RATE = 20  # MB/s: the 100 MB text takes about 5 s
ARRIVING_NAME = "100 MB text arriving"
SEND_CHUNK = 64 << 10


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
    with open(os.path.join(root, "menus", "60.bin"), "w") as out:
        out.write("".join("0Item %02d\t/texts/base.bin\t127.0.0.1\t%d\r\n" % (i, port_hint)
                          for i in range(1, 61)) + ".\r\n")
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
        self.chunk_ends = []  # the offsets alone, to find the chunk of a byte
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
        self.chunk_ends.append(len(self.output))
        for mark in (FRAME_START, FRAME_END):
            self.frames += self.output.count(mark, max(0, old - len(mark) + 1))
        return True

    def last_mark(self, mark):
        """The highest row number written so far (the rows of a page carry numbers)."""
        numbers = [int(n) for n in mark.findall(self.output)]
        return max(numbers) if numbers else 0

    def arrived(self, offset):
        """When the byte just before offset was read."""
        return self.chunks[bisect.bisect_left(self.chunk_ends, offset)][0]

    def quiet_after(self, moment):
        """The last read before the output first went quiet for QUIET_S at or after moment."""
        i = bisect.bisect_left(self.chunks, (moment, -1))
        while i + 1 < len(self.chunks) and self.chunks[i + 1][0] - self.chunks[i][0] < QUIET_S:
            i += 1
        return self.chunks[i][0]

    def screen(self, row, rows, header, after=0, top=1):
        """The first frame begun at or past offset after that shows header and rows whole rows
        (row: a pattern whose group is the row's number) from a top row of at least top, in a
        run. Returns when the last byte of those arrived and the top row, or None."""
        out = self.output
        start = out.find(FRAME_START, after)
        while start >= 0:
            following = out.find(FRAME_START, start + len(FRAME_START))
            end = following if following >= 0 else len(out)
            ends = {}
            for m in row.finditer(out, start, end):
                ends.setdefault(int(m.group(1)), m.end())
            head = out.find(header, start, end)
            first = min(ends) if ends else 0
            if head >= 0 and first >= top and all(n in ends for n in range(first, first + rows)):
                last = max([head + len(header)] + [ends[n] for n in range(first, first + rows)])
                return self.arrived(last), first
            start = following
        return None

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


def first_screen(argv, env, mark, last_row):
    """sacc: launch to the end of its first screen, whose last row carries the number last_row
    (the last byte before the output went quiet)."""
    term = Terminal(argv, env)
    try:
        term.wait_for(lambda t: t.last_mark(mark) >= last_row)
        return term.settle() - term.started
    finally:
        term.close()


def kesmor_first_screen(argv, env, row, rows, header):
    """kesmor: launch to the first complete screen (rows rows from the page's first, under
    header); launch to the moment it waits for a key with the whole page in; and launch to the
    last byte before the output first went quiet after that screen, the former measure."""
    term = Terminal(argv, env)
    try:
        term.wait_for(lambda t: t.screen(row, rows, header) is not None)
        shown = term.screen(row, rows, header)[0]
        idle = term.wait_idle()
        last = term.settle()
        return (shown - term.started, max(idle, last) - term.started,
                term.quiet_after(shown) - term.started)
    finally:
        term.close()


def key_bytes(argv, env, urls):
    """Bytes written to the terminal for each key of KEY_BYTES, on its page once it is idle,
    the median of a few presses."""
    got = {}
    for name, kind, key, _ in KEY_BYTES:
        term = Terminal(argv + [urls["text" if kind == "text" else "menu"]], env)
        try:
            term.wait_for(lambda t: t.frames > 0)
            term.wait_idle()
            term.settle()
            if kind == "prompt":
                term.press(b"o")
                term.settle()
            sizes = []
            for _ in range(5):
                mark = len(term.output)
                term.press(key)
                term.settle()
                sizes.append(len(term.output) - mark)
            got[name] = statistics.median(sizes)
        finally:
            term.close()
    return got


def report_key_bytes(by_client):
    """The bytes per key of each client beside the figures of before, with the targets."""
    labels = list(by_client)
    print("Bytes written per key (80x24):")
    print("  %-32s %10s" % ("key", "before") + "".join("%10s" % label for label in labels)
          + "   target")
    failed = False
    for name, _, _, before in KEY_BYTES:
        target = KEY_BYTES_TARGETS.get(name)
        if target is None and before is not None and "Page Down" in name:
            target = before // 2
        new = by_client[labels[0]][name]
        ok = target is None or new <= target
        failed = failed or not ok
        print("  %-32s %10s" % (name, before if before is not None else "-")
              + "".join("%10d" % by_client[label][name] for label in labels)
              + ("   <= %d %s" % (target, verdict(ok)) if target is not None else ""))
    return failed


def rows_shown(argv, env, mark):
    """The number of the last row on a client's first screen of a long page."""
    term = Terminal(argv, env)
    try:
        term.wait_for(lambda t: t.last_mark(mark) > 0)
        term.settle(0.5)
        return term.last_mark(mark)
    finally:
        term.close()


def curl_time(url, *options):
    started = time.monotonic()
    subprocess.run(["curl", "-s", *options, "-o", "/dev/null", url], check=True,
                   timeout=WAIT_S * 5)
    return time.monotonic() - started


# ---------------------------------------------------------------- gophers://


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_stunnel(tls_dir, backend_port):
    """stunnel on a free port of 127.0.0.1 in front of backend_port, with the test CA's good
    certificate; returns (port, process) once it accepts connections."""
    for _ in range(5):
        port = free_port()
        config = os.path.join(tls_dir, "stunnel.conf")
        with open(config, "w") as out:
            out.write("foreground = yes\npid =\ndebug = 0\n[gopher]\n"
                      "accept = 127.0.0.1:%d\nconnect = 127.0.0.1:%d\ncert = %s\nkey = %s\n"
                      % (port, backend_port, os.path.join(tls_dir, "good.pem"),
                         os.path.join(tls_dir, "good.key")))
        proc = subprocess.Popen(["stunnel4", config], stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + WAIT_S
        while time.monotonic() < deadline and proc.poll() is None:
            try:
                socket.create_connection(("127.0.0.1", port), timeout=1).close()
                return port, proc
            except OSError:
                time.sleep(0.02)
        proc.kill()
        proc.wait()
    raise Failure("stunnel4 did not start")


def tls_menu_screen(argv, env, header):
    """kesmor on a small menu: launch to the last byte of the frame that shows its header (the
    whole menu is one frame)."""
    term = Terminal(argv, env)
    try:
        term.wait_for(lambda t: t.output.find(header) >= 0)
        return term.settle() - term.started
    finally:
        term.close()


def measure_tls(client, env, root, backend_port, text_rows, runs):
    """The root menu and the 1 MB text over gophers://: kesmor's first screen and curl's whole
    fetch, run by run. Returns one result per page."""
    tls_dir = os.path.join(root, "tls")
    os.makedirs(tls_dir)
    subprocess.run(["sh", MAKE_TEST_CA, tls_dir], check=True, timeout=WAIT_S)
    ca = os.path.join(tls_dir, "ca.pem")
    port, stunnel = start_stunnel(tls_dir, backend_port)
    tls_env = dict(env, SSL_CERT_FILE=ca)
    base = "gophers://localhost:%d/" % port
    pages = [("root menu", base, None), ("1 MB text", base + "0/texts/1mb.bin", text_rows)]
    got = {name: dict(firsts=[], curls=[]) for name, _, _ in pages}
    try:
        for _ in range(runs):
            for name, url, rows in pages:
                got[name]["curls"].append(curl_time(url, "--cacert", ca))
                if rows is None:
                    first = tls_menu_screen([client, url], tls_env, url.encode())
                else:
                    first = kesmor_first_screen([client, url], tls_env, TEXT_ROW, rows,
                                                url.encode())[0]
                got[name]["firsts"].append(first)
    finally:
        stunnel.terminate()
        stunnel.wait(timeout=WAIT_S)
    results = []
    for name, url, _ in pages:
        firsts, curls = got[name]["firsts"], got[name]["curls"]
        results.append(dict(name="%s %s" % (TLS_NAME, name), first=statistics.median(firsts),
                            curl=statistics.median(curls),
                            vs_curl=statistics.median(k / c for k, c in zip(firsts, curls))))
    return results


def report_tls(tls):
    print()
    print("gophers:// (stunnel in front of the same server): kesmor's first screen against "
          "curl's whole fetch, medians")
    print("%-18s %8s %8s %6s" % ("page", "kesmor", "curl", "x"))
    for r in tls:
        print("%-18s %8s %8s %6.2f" % (r["name"], ms(r["first"]), ms(r["curl"]), r["vs_curl"]))


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
        ends = {label: [] for label in labels}
        unknown = {label: [] for label in labels}
        keys = [(key, (moves,)) for key in move_keys(w)]
        if w["kind"] == "text":
            # End from the top: the last screen of a long text.
            keys += [(HOME, (moves,)), (END, (moves, ends))] * 3
        keys += [(UNKNOWN_KEY, (unknown,))] * 5
        for i, (key, lists) in enumerate(keys):
            for label in turns(labels, i):
                took = terms[label].frame_time(key)
                for into in lists:
                    into[label].append(took)

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
            results[label] = dict(moves=moves[label], ends=ends[label], unknown=unknown[label],
                                  idle=idle[label],
                                  peak_kb=peak, growth_kb=growth)
        return results
    finally:
        for term in terms.values():
            term.close()


# ---------------------------------------------------------------- keys while a page arrives


def serve_paced(listener, path, rate, reports):
    """In a process of its own: answers every request on listener with the file at path, at rate
    bytes a second, one connection at a time; sends (first byte, last byte, bytes sent) on
    reports after each. A client that goes away ends its connection early."""
    signal.signal(signal.SIGTERM, signal.SIG_DFL)
    with open(path, "rb") as f:
        data = mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ)
    view = memoryview(data)
    while True:
        conn, _ = listener.accept()
        with conn:
            conn.settimeout(WAIT_S)
            request = b""
            try:
                while not request.endswith(b"\n"):
                    more = conn.recv(1024)
                    if not more:
                        break
                    request += more
            except OSError:
                continue
            started = time.monotonic()
            sent = 0
            try:
                while sent < len(view):
                    ahead = started + sent / rate - time.monotonic()
                    if ahead > 0:
                        time.sleep(ahead)
                    sent += conn.send(view[sent:sent + SEND_CHUNK])
            except OSError:
                pass
            reports.send((started, time.monotonic(), sent))


class PacedServer:
    """serve_paced on 127.0.0.1 in a child process, stopped by its PID on leaving."""

    def __init__(self, path, rate):
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(4)
        self.port = self.listener.getsockname()[1]
        self.size = os.path.getsize(path)
        self.reports, theirs = multiprocessing.Pipe(duplex=False)
        # Forked, so that it needs nothing from this file's import and inherits the listener.
        self.proc = multiprocessing.get_context("fork").Process(
            target=serve_paced, args=(self.listener, path, rate, theirs), daemon=True)
        self.proc.start()
        theirs.close()

    def report(self, term):
        """(first byte, last byte, bytes sent) of the next connection to end, reading term's
        output meanwhile: a client blocked on its terminal would stop reading the page."""
        deadline = time.monotonic() + WAIT_S * 2
        while not self.reports.poll(0):
            if time.monotonic() > deadline:
                raise Failure("the paced server never finished a response")
            term._read_once(0.02)
        return self.reports.recv()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.proc.terminate()
        self.proc.join(WAIT_S)
        self.listener.close()
        self.reports.close()


def keys_while_arriving(argv, env, rows, header, server):
    """One client on the paced page: the times from each of ARRIVING_KEYS to its frame, whether
    each key was written before the last byte of the page left the server, the load (first to
    last byte sent) and the first screen, from launch."""
    term = Terminal(argv, env)
    try:
        try:
            term.wait_for(lambda t: t.screen(TEXT_ROW, rows, header) is not None,
                          timeout=max(0.0, term.started + KEYS_FROM_S - time.monotonic()))
            shown = term.screen(TEXT_ROW, rows, header)[0] - term.started
        except Failure:
            shown = None  # nothing on screen yet: a build that draws whole pages only
        when = max(term.started + KEYS_FROM_S, time.monotonic())
        top, sent = 1, []
        for key in ARRIVING_KEYS:
            while time.monotonic() < when:
                term._read_once(max(0.0, when - time.monotonic()))
            offset = len(term.output)
            top += 1 if key == DOWN else rows
            sent.append((term.send(key), offset, top))
            when += KEYS_EVERY_S
        answers = []
        for at, offset, wanted in sent:
            term.wait_for(lambda t: t.screen(TEXT_ROW, rows, header, offset, wanted) is not None,
                          timeout=WAIT_S * 2)
            answers.append(term.screen(TEXT_ROW, rows, header, offset, wanted)[0] - at)
        first_byte, last_byte, size = server.report(term)
        if size != server.size:
            raise Failure("the paced page stopped after %d bytes" % size)
        return dict(keys=answers, arriving=[at < last_byte for at, _, _ in sent],
                    load=last_byte - first_byte, shown=shown,
                    last_key=sent[-1][0] - term.started, loaded=last_byte - term.started)
    finally:
        term.close()


def measure_arriving(clients, env, rows, path, rate, runs):
    """keys_while_arriving for each client, taking turns run by run."""
    labels = [label for label, _ in clients]
    got = {label: [] for label in labels}
    with PacedServer(path, rate * (1 << 20)) as server:
        url = "gopher://127.0.0.1:%d/0/texts/100mb.bin" % server.port
        for run in range(runs):
            for label in turns(labels, run):
                got[label].append(keys_while_arriving([dict(clients)[label], url], env,
                                                      rows[label], url.encode(), server))
    summary = {}
    for label in labels:
        runs_of = got[label]
        keys = [k for one in runs_of for k in one["keys"]]
        shown = [one["shown"] for one in runs_of if one["shown"] is not None]
        summary[label] = dict(
            keys=keys, during=sum(sum(one["arriving"]) for one in runs_of),
            shown=statistics.median(shown) if len(shown) == len(runs_of) else None,
            load=statistics.median(one["load"] for one in runs_of),
            loaded=statistics.median(one["loaded"] for one in runs_of),
            last_key=statistics.median(one["last_key"] for one in runs_of))
    print("end_to_end: %s: key max %s" % (ARRIVING_NAME, ", ".join(
        "%s %s ms" % (label, ms(max(summary[label]["keys"]))) for label in labels)), flush=True)
    return dict(name=ARRIVING_NAME, rate=rate, runs=runs, clients=summary, **summary)


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


def report(results, record_size, base_kb, beside=None, arriving=None, tls=None):
    """The table, beside() (more tables, if any), the keys while a page arrives (if measured),
    the pages over TLS (if measured), then the targets; returns the failures."""
    if not results and not arriving and not tls:
        return 0
    if results:
        report_pages(results, base_kb)
    if beside:
        beside()
    if arriving:
        report_arriving(arriving)
    if tls:
        report_tls(tls)

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

    # A large page's first screen comes while it arrives: it costs about what a small one's does.
    by_name = {r["name"]: r for r in results}
    for large, small in (("10 MB text", "1 MB text"), ("100 MB text", "1 MB text"),
                         ("100,000-line menu", "1,000-line menu")):
        if large in by_name and small in by_name:
            a, b = by_name[large], by_name[small]
            ratio = statistics.median(x / y for x, y in zip(a["firsts"], b["firsts"]))
            checks.append(("6 first screen <= 1.5x %s's" % small, a, ratio, 1.5,
                           "%.2fx (%s ms against %s ms)" % (ratio, ms(a["first"]),
                                                           ms(b["first"]))))
    if "100 MB text" in by_name:
        r = by_name["100 MB text"]
        checks.append(("6 first screen < 0.5x curl's whole fetch", r, r["vs_curl"], 0.5,
                       "%.2fx (%s ms against %s ms)" % (r["vs_curl"], ms(r["first"]),
                                                       ms(r["curl"]))))
    if arriving:
        keys = arriving["new"]["keys"]
        late = len(keys) - arriving["new"]["during"]
        checks.append(("7 key while arriving <= 50 ms", dict(name=arriving["name"]),
                       max(keys) / 0.050 if not late else float("inf"), 1.0,
                       "median %s ms, max %s ms = %.2fx of 50 ms%s"
                       % (ms(statistics.median(keys)), ms(max(keys)), max(keys) / 0.050,
                          ", %d keys after the page was in" % late if late else "")))

    for r in tls or []:
        checks.append(("9 TLS first screen <= curl's whole fetch", r, r["vs_curl"], 1.0,
                       "%.2fx (%s ms against %s ms)" % (r["vs_curl"], ms(r["first"]),
                                                       ms(r["curl"]))))

    # No worse than the baseline, give or take the noise.
    for r in results:
        if r["old"]:
            ratio = paired(r["firsts"], r["old"]["firsts"])[0]
            checks.append(("8 first screen <= %.1fx old" % BASELINE_TOLERANCE, r, ratio,
                           BASELINE_TOLERANCE, "%.2fx (%s ms against %s ms)"
                           % (ratio, ms(r["first"]), ms(r["old"]["first"]))))
    for r in results:
        if r["old"]:
            ratio = r["peak_kb"] / r["old"]["peak_kb"]
            checks.append(("8 peak RSS <= %.1fx old" % BASELINE_TOLERANCE, r, ratio,
                           BASELINE_TOLERANCE, "%.2fx (%.1f MB against %.1f MB)"
                           % (ratio, r["peak_kb"] / 1024, r["old"]["peak_kb"] / 1024)))

    print()
    print("Targets (record size %d bytes):" % record_size)
    failed = 0
    for title, r, ratio, limit, text in checks:
        ok = ratio <= limit
        failed += not ok
        print("  %-4s %-40s %-20s %s" % (verdict(ok), title, r["name"], text))
    print()
    print("%d passed, %d failed" % (len(checks) - failed, failed))
    return failed


def report_pages(results, base_kb):
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


def report_arriving(arriving):
    """The keys while the paced page arrives, for each client."""
    print()
    print("%s: the 100 MB text at %g MB/s from the paced server; %d runs of %d keys (Down and "
          "Page Down in turn, every %d ms from the first screen, at the earliest %d ms after "
          "launch); times in ms, medians but the key max; load: the server's first to last byte."
          % (arriving["name"], arriving["rate"], arriving["runs"], len(ARRIVING_KEYS),
             KEYS_EVERY_S * 1000, KEYS_FROM_S * 1000))
    head = ("%-6s %12s %8s %10s %10s %10s %9s %9s"
            % ("", "first screen", "load", "page in at", "last key", "arriving", "key", "key max"))
    print(head.rstrip())
    print("-" * len(head.rstrip()))
    for label, a in arriving["clients"].items():
        print("%-6s %12s %8s %10s %10s %6d/%-3d %9s %9s"
              % (label, ms(a["shown"]) if a["shown"] is not None else "-", ms(a["load"]),
                 ms(a["loaded"]), ms(a["last_key"]), a["during"], len(a["keys"]),
                 ms(statistics.median(a["keys"])), ms(max(a["keys"]))))
    if "old" in arriving["clients"]:
        print("(old draws only whole pages: its keys wait for the rest of the load; no target)")


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
    print("quiet: the former first screen, launch to the last byte before the output went "
          "quiet; for a build that draws only whole pages it should match first.")
    cell = "%8s %8s %17s"
    head = ("%-18s " + cell + "   " + cell + "   %8s %8s") % (
        "workload", "first", "old", X_HEAD, "ready", "old", X_HEAD, "quiet", "old")
    print(head.rstrip())
    print("-" * len(head.rstrip()))
    for r in results:
        n, o = r, r["old"]
        line = (("%-18s " + cell + "   " + cell + "   %8s %8s")
                % (r["name"], ms(n["first"]), ms(o["first"]),
                   x_cell(paired(n["firsts"], o["firsts"])), ms(n["ready"]), ms(o["ready"]),
                   x_cell(paired(n["readies"], o["readies"])), ms(n["quiet"]),
                   ms(o["quiet"])))
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
        if n["ends"] and o["ends"]:
            line = (("%-18s " + cell + " %8s %8s")
                    % ("  End", ms(statistics.median(n["ends"])),
                       ms(statistics.median(o["ends"])), x_cell(paired(n["ends"], o["ends"])),
                       ms(max(n["ends"])), ms(max(o["ends"]))))
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
    parser.add_argument("--rate", type=float, default=ARRIVING_RATE,
                        help="MB/s of the paced server for the keys while a page arrives")
    args = parser.parse_args()
    clients = [("new", args.client)]
    if args.baseline:
        if not os.access(args.baseline, os.X_OK):
            sys.exit("end_to_end: %s is not an executable" % args.baseline)
        clients.append(("old", args.baseline))
    labels = [label for label, _ in clients]
    for tool in ("curl", "sacc", "stunnel4", "openssl"):
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

        # A long text of its own line numbers, and the 60-item menu.
        key_urls = {"text": base_url + "0/texts/base.bin", "menu": base_url + "1/menus/60.bin"}
        key_failed = report_key_bytes({label: key_bytes([path], env, key_urls)
                                       for label, path in clients})

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

        chosen = [w for w in workloads if not args.only or args.only in w["name"]]
        samples = {}
        for w in chosen:
            w["url"] = base_url + w["url_type"] + w["selector"]
            samples[w["name"]] = dict(curls=[], saccs=[], **{
                label: dict(firsts=[], readies=[], quiets=[]) for label in labels})
        # Interleaved, so that a change in the machine's load falls on all clients and all
        # workloads alike.
        for run in range(args.runs):
            for w in chosen:
                url, row = w["url"], TEXT_ROW if w["kind"] == "text" else MENU_ROW
                got = samples[w["name"]]
                got["curls"].append(curl_time(url))
                for label in turns(labels, run):
                    first, ready, quiet = kesmor_first_screen(
                        [dict(clients)[label], url], env, row,
                        min(rows[(label, w["kind"])], w["lines"]), url.encode())
                    got[label]["firsts"].append(first)
                    got[label]["readies"].append(ready)
                    got[label]["quiets"].append(quiet)
                mark = TEXT_MARK if w["kind"] == "text" else MENU_MARK
                got["saccs"].append(first_screen(["sacc", url], env, mark,
                                                 min(rows[("sacc", w["kind"])], w["lines"])))
            print("end_to_end: run %d of %d done" % (run + 1, args.runs), flush=True)

        results = []
        for w in chosen:
            got = samples[w["name"]]
            rest = measure_clients(clients, env, w["url"], w,
                                   {label: rows[(label, w["kind"])] for label in labels})
            by_client = {label: dict(first=statistics.median(got[label]["firsts"]),
                                     ready=statistics.median(got[label]["readies"]),
                                     quiet=statistics.median(got[label]["quiets"]),
                                     **got[label], **rest[label]) for label in labels}
            budget_kb = (w["bytes"] + w["items"] * args.record_size) / 1024 * 1.1
            new = by_client["new"]
            curls, saccs = got["curls"], got["saccs"]
            r = dict(name=w["name"], kind=w["kind"], runs=args.runs, curl=statistics.median(curls),
                     vs_curl=statistics.median(k / c for k, c in zip(new["firsts"], curls)),
                     vs_sacc=statistics.median(k / s for k, s in zip(new["firsts"], saccs)),
                     sacc=statistics.median(saccs), peak_mb=(new["peak_kb"] - base_kb) / 1024,
                     budget_mb=budget_kb / 1024, old=by_client.get("old"), **new)
            results.append(r)
            print("end_to_end: %-18s first %s ms, curl %s ms, sacc %s ms%s"
                  % (w["name"], ms(r["first"]), ms(r["curl"]), ms(r["sacc"]),
                     ", old %s ms" % ms(r["old"]["first"]) if r["old"] else ""), flush=True)

        arriving = None
        if not args.only or args.only in ARRIVING_NAME:
            arriving = measure_arriving(clients, env, {label: rows[(label, "text")]
                                                       for label in labels},
                                        os.path.join(root, "gopher", "texts", "100mb.bin"),
                                        args.rate, args.runs)
        tls = None
        if not args.only or args.only in TLS_NAME:
            tls = measure_tls(args.client, env, root, port, rows[("new", "text")], args.runs)
        beside = None
        if args.baseline and results:
            def beside():
                report_baseline(results, args.client, args.baseline, fixed)
        failed = report(results, args.record_size, base_kb, beside, arriving, tls) or key_failed
    finally:
        if server is not None:
            stop_server(server)
        shutil.rmtree(root, ignore_errors=True)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
