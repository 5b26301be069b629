#!/usr/bin/python3
"""Reads every table command once at 115200 bit/s from a camera simulator that
paces the line, first with kestrelctl and then with a plain pyserial script,
and prints each one's time as a ratio to the simulator's modelled wire time.

Usage: line_speed.py BUILD_DIR [ROUNDS]
"""
import json
import os
import re
import resource
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def table_names():
    """The query names of all 301 rows, NAME?INDEX for the indexed ones."""
    src = open(os.path.join(ROOT, "src/protocol/command_table.cpp")).read()
    block = re.search(r"kMnemonics\[[^\]]*\]\s*=\s*\{(.*?)\};", src, re.S).group(1)
    names = re.findall(r'"([A-Z0-9]+)"', block)
    out, seen = [], {}
    for i, n in enumerate(names):
        repeated = names.count(n) > 1
        k = seen.get(n, 0)
        seen[n] = k + 1
        out.append(f"{n}?{k}" if repeated else n)
    # SDDS is both the shading store command and the shading slope's data
    # command; the camera answers its query with a three-value group, which no
    # table query can take. It is the one row left out.
    return [n for n in out if n != "SDDS"]


PEER = r"""
import serial, sys
names = sys.argv[2:]
port = serial.Serial(sys.argv[1], 115200, timeout=3)
for n in names:
    name, _, index = n.partition("?")
    port.write((name + "?" + index + "\r\n").encode())
    reply = port.readline()
    if not reply.startswith((name + "=").encode()):
        sys.exit("bad reply to %s: %r" % (n, reply))
"""


def children_cpu():
    u = resource.getrusage(resource.RUSAGE_CHILDREN)
    return u.ru_utime + u.ru_stime


def run_once(build, argv_for_port):
    """Starts a pacing camera and runs the client. Returns the busy line time
    and the process time as ratios to the modelled limit, the CPU share, the
    modelled limit, the client's wall time and its CPU time."""
    with tempfile.TemporaryDirectory() as tmp:
        stats_path = os.path.join(tmp, "stats.json")
        sim = subprocess.Popen(
            [os.path.join(build, "tools/kestrel-camsim"), "--pace", "--baud", "115200",
             "--no-link", "--stats", stats_path],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        port = sim.stdout.readline().strip()
        cpu0 = children_cpu()
        t0 = time.perf_counter()
        client = subprocess.run(argv_for_port(port), stdout=subprocess.DEVNULL)
        wall = time.perf_counter() - t0
        cpu = children_cpu() - cpu0
        sim.terminate()
        sim.wait()
        if client.returncode != 0:
            raise SystemExit("client failed: %s" % " ".join(argv_for_port(port)[:3]))
        stats = json.load(open(stats_path))
    modelled = stats["modelled_seconds"]
    return stats["active_seconds"] / modelled, wall / modelled, cpu / wall, modelled, wall, cpu


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build")
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    names = table_names()
    ctl = os.path.join(build, "tools/kestrelctl")
    if not os.access(ctl, os.X_OK):
        print("line speed: %s not built, skipped" % ctl)
        return 0
    # The minimal C client, built here: the lower bound of a query exchange.
    cclient = os.path.join(tempfile.mkdtemp(), "line_client")
    subprocess.run(["cc", "-O2", "-o", cclient, os.path.join(ROOT, "bench/line_client.c")],
                   check=True)
    clients = {
        "kestrelctl": lambda port, ns: [ctl, "--port", port, "--baud", "115200", "query"] + ns,
        "C client": lambda port, ns: [cclient, port] + ns,
        "pyserial": lambda port, ns: ["/usr/bin/python3", "-c", PEER, port] + ns,
    }
    rows = {k: [] for k in clients}
    for _ in range(rounds):  # alternate, so both see the same machine load
        for name, argv in clients.items():
            busy, whole, cpu_share, modelled, wall, cpu = run_once(build, lambda p: argv(p, names))
            # The same client with one query: its start-up and exit, taken out
            # of the CPU share so that what remains is the CPU of the queries.
            _, _, _, _, wall1, cpu1 = run_once(build, lambda p: argv(p, names[:1]))
            query_cpu = max(0.0, cpu - cpu1) / max(1e-9, wall - wall1)
            rows[name].append((busy, whole, cpu_share, query_cpu, modelled))
    med = {k: [statistics.median(r[i] for r in v) for i in range(5)] for k, v in rows.items()}
    print("line speed: %d table queries at 115200 bit/s, camera pacing the line, "
          "median of %d rounds" % (len(names), rounds))
    print("  modelled wire-plus-latency time %.3f s" % med["kestrelctl"][4])
    clients_ = list(clients)
    print("  %-34s" % "" + "".join(" %11s" % n for n in clients_))
    labels = ["line busy / modelled limit", "whole process / modelled limit"]
    for i, label in enumerate(labels):
        print("  %-34s" % label + "".join(" %10.3fx" % med[n][i] for n in clients_))
    # On a shared machine the least disturbed round is the best estimate.
    best = {k: min(r[0] for r in v) for k, v in rows.items()}
    print("  %-34s" % "line busy, best round" + "".join(" %10.3fx" % best[n] for n in clients_))
    labels = ["CPU / wall, whole process", "CPU / wall, the queries alone"]
    for i, label in enumerate(labels, start=2):
        print("  %-34s" % label + "".join(" %10.1f%%" % (100 * med[n][i]) for n in clients_))
    print("  targets: kestrelctl within 0.03 of the C client, no slower than pyserial, "
          "CPU at most 5 %")
    return 0


if __name__ == "__main__":
    sys.exit(main())
