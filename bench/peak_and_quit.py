"""Peak RSS once the whole page is in and the client idle, and the time from 'q' to the exit, of
kesmor and sacc on the end-to-end workloads (sacc's quit times on menus only: it shows a text in a
pager).

    python3 bench/peak_and_quit.py [client [runs]] [--baseline OLD_KESMOR]
        (after make bench has built the client)

With --baseline, another kesmor (an older build, say) is measured too, taking turns with the
client run by run, and shown beside it with the ratio new/old; targets, with PASS or FAIL, then
ask that the client's peak RSS (the ratio of the medians) and time to quit (the median of the
paired ratios) be at most end_to_end.BASELINE_TOLERANCE (1.1) times the baseline's (a quit may
also take up to QUIT_ALLOWANCE_MS more: it lasts a few milliseconds, so a tenth of it is noise);
the exit status is 1 when one fails.
"""
import argparse
import os
import shutil
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import end_to_end as e  # noqa: E402

# Allowed beyond the baseline's quit time, whatever the ratio.
QUIT_ALLOWANCE_MS = 1.0


def one(argv, env, mark, last_row, quit):
    t = e.Terminal(argv, env)
    try:
        t.wait_for(lambda x: x.last_mark(mark) >= last_row)
        # While the page arrives the progress row changes: quiet means the page is whole.
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


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("client", nargs="?",
                        default=os.path.join(e.TOP, "build", "bench", "kesmor"))
    parser.add_argument("runs", nargs="?", type=int, default=5)
    parser.add_argument("--baseline", help="another kesmor to measure beside the client")
    args = parser.parse_args()
    clients = [("kesmor", args.client)]
    if args.baseline:
        if not os.access(args.baseline, os.X_OK):
            sys.exit("peak_and_quit: %s is not an executable" % args.baseline)
        clients.append(("old", args.baseline))
    labels = [label for label, _ in clients]
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "TERM": "xterm",
           "LANG": "C.UTF-8", "HOME": tempfile.gettempdir()}
    root = tempfile.mkdtemp(prefix="kesmor-rss.")
    server = None
    checks = []  # (title, workload, new/old, text)
    try:
        workloads = e.make_workloads(os.path.join(root, "gopher"), 70)
        port, server = e.start_server(os.path.join(root, "gopher"))
        base = "gopher://127.0.0.1:%d/" % port
        rows = {}
        for kind, mark, sel in (("text", e.TEXT_MARK, "0/texts/1mb.bin"),
                                ("menu", e.MENU_MARK, "1/menus/1k.bin")):
            for label, path in clients + [("sacc", "sacc")]:
                rows[(label, kind)] = e.rows_shown([path, base + sel], env, mark)

        # Per measure: the client, [old, new/old,] sacc, new/sacc.
        def columns(unit):
            names = [("kesmor " + unit, 12)]
            if args.baseline:
                names += [("old " + unit, 12), ("x old", 8)]
            return names + [("sacc " + unit, 12), ("x", 8)]

        if args.baseline:
            print("Medians of %d runs; x old: new/old (for the quit times the median of the "
                  "paired ratios: the two take turns); x: new/sacc (quit: menus only)."
                  % args.runs)
        print("%-20s" % "workload" + "".join(" %*s" % (width, name)
                                             for name, width in columns("MiB") + columns("quit")))
        for w in workloads:
            url = base + w["url_type"] + w["selector"]
            mark = e.TEXT_MARK if w["kind"] == "text" else e.MENU_MARK
            menu = w["kind"] == "menu"
            peaks = {label: [] for label in labels + ["sacc"]}
            quits = {label: [] for label in labels + ["sacc"]}
            for run in range(args.runs):
                for label in e.turns(labels, run) + ["sacc"]:
                    path = dict(clients).get(label, "sacc")
                    p, q = one([path, url], env, mark, min(rows[(label, w["kind"])], w["lines"]),
                               menu or label != "sacc")
                    peaks[label].append(p)
                    quits[label].append(q)
            k, s = (statistics.median(peaks[label]) / 1024 for label in ("kesmor", "sacc"))
            cells = ["%12.1f" % k]
            if args.baseline:
                o = statistics.median(peaks["old"]) / 1024
                cells += ["%12.1f" % o, "%8.2f" % (k / o)]
                checks.append(("peak RSS <= %.1fx old" % e.BASELINE_TOLERANCE, w["name"],
                               k / o <= e.BASELINE_TOLERANCE,
                               "%.2fx (%.1f MiB against %.1f MiB)" % (k / o, k, o)))
            cells += ["%12.1f" % s, "%8.2f" % (k / s)]
            a = statistics.median(quits["kesmor"]) * 1000
            cells += ["%10.1fms" % a]
            if args.baseline:
                x = statistics.median(n / o for n, o in zip(quits["kesmor"], quits["old"]))
                b = statistics.median(quits["old"]) * 1000
                cells += ["%10.1fms" % b, "%8.2f" % x]
                # Quits take a few milliseconds: a tenth of that is below the noise, so a
                # millisecond more than the old build's median is allowed too.
                checks.append(("quit <= %.1fx or +%.0f ms old" % (e.BASELINE_TOLERANCE,
                                                                  QUIT_ALLOWANCE_MS),
                               w["name"],
                               x <= e.BASELINE_TOLERANCE or a - b <= QUIT_ALLOWANCE_MS,
                               "%.2fx (%.1f ms against %.1f ms)" % (x, a, b)))
            if menu:
                b = statistics.median(quits["sacc"]) * 1000
                cells += ["%10.1fms" % b, "%8.2f" % (a / b)]
            print("%-20s " % w["name"] + " ".join(cells), flush=True)
    finally:
        if server:
            e.stop_server(server)
        shutil.rmtree(root, ignore_errors=True)

    if not checks:
        return
    print()
    print("Targets against the baseline (new/old at most %.1f: the same, give or take the noise):"
          % e.BASELINE_TOLERANCE)
    failed = 0
    for title, name, ok, text in checks:
        failed += not ok
        print("  %-4s %-25s %-20s %s" % (e.verdict(ok), title, name, text))
    print()
    print("%d passed, %d failed" % (len(checks) - failed, failed))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
