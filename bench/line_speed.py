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
    """Starts a pacing camera, runs the client, returns (active/modelled,
    wall/modelled, client CPU / client wall)."""
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
    return stats["active_seconds"] / modelled, wall / modelled, cpu / wall, modelled


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build")
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    names = table_names()
    ctl = os.path.join(build, "tools/kestrelctl")
    if not os.access(ctl, os.X_OK):
        print("line speed: %s not built, skipped" % ctl)
        return 0
    kestrel = lambda port: [ctl, "--port", port, "--baud", "115200", "query"] + names
    peer = lambda port: ["/usr/bin/python3", "-c", PEER, port] + names
    results = {"kestrelctl": [], "pyserial": []}
    for _ in range(rounds):  # alternate, so both see the same machine load
        results["kestrelctl"].append(run_once(build, kestrel))
        results["pyserial"].append(run_once(build, peer))
    med = {k: [statistics.median(r[i] for r in v) for i in range(4)] for k, v in results.items()}
    print("line speed: %d table queries at 115200 bit/s, camera pacing the line, "
          "median of %d rounds" % (len(names), rounds))
    print("  modelled wire-plus-latency time %.3f s" % med["kestrelctl"][3])
    print("  %-28s %12s %12s" % ("time / modelled limit", "kestrelctl", "pyserial"))
    print("  %-28s %11.3fx %11.3fx" % ("line busy (first to last byte)", med["kestrelctl"][0],
                                       med["pyserial"][0]))
    print("  %-28s %11.3fx %11.3fx" % ("whole process", med["kestrelctl"][1],
                                       med["pyserial"][1]))
    print("  %-28s %11.1f%% %11.1f%%" % ("CPU time / wall time", 100 * med["kestrelctl"][2],
                                          100 * med["pyserial"][2]))
    print("  targets: kestrelctl at most 1.10x, no slower than pyserial, CPU at most 5 %")
    return 0


if __name__ == "__main__":
    sys.exit(main())
