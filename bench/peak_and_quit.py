"""Peak RSS once the first screen is idle, and the time from 'q' to the exit, of kesmor and sacc
on the end-to-end workloads (quit times on menus only: sacc shows a text in a pager).

    python3 bench/peak_and_quit.py [client [runs]]   (after make bench has built the client)
"""
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import end_to_end as e  # noqa: E402

client = sys.argv[1] if len(sys.argv) > 1 else os.path.join(e.TOP, "build", "bench", "kesmor")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "TERM": "xterm", "LANG": "C.UTF-8",
       "HOME": tempfile.gettempdir()}
root = tempfile.mkdtemp(prefix="kesmor-rss.")
server = None
def one(argv, mark, last_row, quit):
    t = e.Terminal(argv, env)
    try:
        t.wait_for(lambda x: x.last_mark(mark) >= last_row)
        t.settle()
        t.wait_idle()
        peak = t.status_kb("VmHWM")
        q = None
        if quit:
            start = time.monotonic()
            t.send(b"q")
            t.proc.wait(timeout=e.WAIT_S)
            q = time.monotonic() - start
        return peak, q
    finally:
        t.close()
try:
    workloads = e.make_workloads(os.path.join(root, "gopher"), 70)
    port, server = e.start_server(os.path.join(root, "gopher"))
    base = "gopher://127.0.0.1:%d/" % port
    rows = {}
    for kind, mark, sel in (("text", e.TEXT_MARK, "0/texts/1mb.bin"), ("menu", e.MENU_MARK, "1/menus/1k.bin")):
        rows[("kesmor", kind)] = e.rows_shown([client, base + sel], env, mark)
        rows[("sacc", kind)] = e.rows_shown(["sacc", base + sel], env, mark)
    print("%-20s %12s %12s %8s %12s %12s %8s" % ("workload", "kesmor MiB", "sacc MiB", "x", "kesmor quit", "sacc quit", "x"))
    for w in workloads:
        url = base + w["url_type"] + w["selector"]
        mark = e.TEXT_MARK if w["kind"] == "text" else e.MENU_MARK
        menu = w["kind"] == "menu"
        kp, sp, kq, sq = [], [], [], []
        for _ in range(runs):
            p, q = one([client, url], mark, min(rows[("kesmor", w["kind"])], w["lines"]), menu)
            kp.append(p); kq.append(q)
            p, q = one(["sacc", url], mark, min(rows[("sacc", w["kind"])], w["lines"]), menu)
            sp.append(p); sq.append(q)
        k, s = statistics.median(kp) / 1024, statistics.median(sp) / 1024
        line = "%-20s %12.1f %12.1f %8.2f" % (w["name"], k, s, k / s)
        if menu:
            a, b = statistics.median(kq) * 1000, statistics.median(sq) * 1000
            line += " %10.1fms %10.1fms %8.2f" % (a, b, a / b)
        print(line, flush=True)
finally:
    if server:
        e.stop_server(server)
