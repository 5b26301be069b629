#!/usr/bin/python3
"""How soon the panel and kestrelctl are usable, whichever speed the camera
was left at, against a camera simulator that paces the line.

Panel: `kestrel --port PTY --screenshot FILE` on the offscreen platform, the
camera at 9600 or 115200 bit/s and the settings file remembering 9600 or
115200 (a wrong remembered speed costs one probe). The communication log
(KESTREL_TRACE=1, stamped as it arrives) splits the time from the program's
start to the last reply of the first full refresh into start-up, speed search
and switch, and refresh. The screenshot run's own queries (MD, VN) follow the
refresh and are not counted.

kestrelctl: `query MD` right after `read-all` left the camera at 115200,
against the same query with the speed given (`--baud 115200`, no search).

Usage: start_to_ready.py BUILD_DIR [ROUNDS]
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

TARGET_SECONDS = 1.0
INDEX_OF_BAUD = {9600: 0, 115200: 4}
# The commands of the start-up sequence; the refresh begins with the first other one.
CONNECT_COMMANDS = ("Tx: EA?", "Tx: CBDRT=")


class Camera:
    """kestrel-camsim pacing the line, started at `baud`, on a fresh pseudo-terminal."""

    def __init__(self, build, baud):
        self.proc = subprocess.Popen(
            [os.path.join(build, "tools/kestrel-camsim"), "--pace", "--baud", str(baud),
             "--no-link"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.port = self.proc.stdout.readline().strip()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.proc.terminate()
        self.proc.wait()


def write_settings(folder, baud_index):
    path = os.path.join(folder, "kestrel.ini")
    with open(path, "w") as f:
        if baud_index is not None:
            f.write("[General]\nBaud%%20Rate=%d\n" % baud_index)
    return path


def stamped_lines(proc, t0):
    """The process's stderr as (seconds since t0, line), each stamped when its
    chunk arrived (never earlier than the line was written)."""
    out, pending = [], b""
    fd = proc.stderr.fileno()
    while True:
        chunk = os.read(fd, 65536)
        now = time.perf_counter() - t0
        if not chunk:
            break
        pending += chunk
        *lines, pending = pending.split(b"\n")
        out.extend((now, line.decode(errors="replace")) for line in lines)
    return out


def panel_start(build, camera_baud, remembered_baud):
    """One start of the panel. Returns (start-up, search and switch, refresh,
    ready, whole run) in seconds."""
    with tempfile.TemporaryDirectory() as tmp, Camera(build, camera_baud) as cam:
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", KESTREL_TRACE="1",
                   KESTREL_CONFIG=write_settings(tmp, INDEX_OF_BAUD[remembered_baud]))
        t0 = time.perf_counter()
        proc = subprocess.Popen(
            [os.path.join(build, "src/kestrel"), "--port", cam.port,
             "--screenshot", os.path.join(tmp, "panel.png")],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
        log = stamped_lines(proc, t0)
        summary = proc.stdout.read().decode()
        proc.wait()
        whole = time.perf_counter() - t0
    if proc.returncode != 0 or "Camera on" not in summary:
        raise SystemExit("panel did not find the camera at %d bit/s (remembered %d):\n%s"
                         % (camera_baud, remembered_baud, summary))
    traffic = [(t, line) for t, line in log if line.startswith(("Tx: ", "Rx: "))]
    summary_query = next(i for i, (_, line) in enumerate(traffic) if line == "Tx: MD?")
    first_tx = traffic[0][0]
    refresh_start = next(t for t, line in traffic
                         if line.startswith("Tx: ") and not line.startswith(CONNECT_COMMANDS))
    ready = traffic[summary_query - 1][0]
    return first_tx, refresh_start - first_tx, ready - refresh_start, ready, whole


def timed(argv, env):
    t0 = time.perf_counter()
    run = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, text=True)
    wall = time.perf_counter() - t0
    if run.returncode != 0:
        raise SystemExit("%s failed: %s" % (" ".join(argv[1:]), run.stderr.strip()))
    return wall, run.stdout


def query_after_read_all(build):
    """`query MD` after `read-all` (the camera powered on at 9600), and the same
    query with --baud 115200. Returns both wall times."""
    ctl = os.path.join(build, "tools/kestrelctl")
    with tempfile.TemporaryDirectory() as tmp, Camera(build, 9600) as cam:
        env = dict(os.environ, KESTREL_CONFIG=write_settings(tmp, None))
        timed([ctl, "--port", cam.port, "read-all"], env)
        searched, out = timed([ctl, "--port", cam.port, "query", "MD"], env)
        given, _ = timed([ctl, "--port", cam.port, "--baud", "115200", "query", "MD"], env)
    if "HX-9302" not in out:
        raise SystemExit("query MD after read-all gave %r" % out)
    return searched, given


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    cells = [(c, r) for c in (9600, 115200) for r in (115200, 9600)]
    panel = {cell: [] for cell in cells}
    ctl = []
    for _ in range(rounds):  # interleaved, so every case sees the same machine load
        for cell in cells:
            panel[cell].append(panel_start(build, *cell))
        ctl.append(query_after_read_all(build))

    print("panel start to first full refresh, camera simulator pacing the line, "
          "the median of %d starts" % rounds)
    print("  %-9s %-10s %9s %9s %9s %9s %8s %9s" % (
        "camera", "remembered", "start-up", "search", "refresh", "ready", "/ 1 s", "whole run"))
    worst = {}
    for (camera, remembered), runs in panel.items():
        # The start whose ready time is the median, so that its parts add up.
        med = sorted(runs, key=lambda r: r[3])[len(runs) // 2]
        worst[camera] = max(worst.get(camera, 0.0), med[3])
        print("  %-9d %-10d %8.3fs %8.3fs %8.3fs %8.3fs %7.2fx %8.3fs" % (
            camera, remembered, med[0], med[1], med[2], med[3], med[3] / TARGET_SECONDS, med[4]))
    print("  ready, worse remembered speed: camera at 9600 %.2fx, at 115200 %.2fx the 1 s target"
          % (worst[9600] / TARGET_SECONDS, worst[115200] / TARGET_SECONDS))
    searched = statistics.median(s for s, _ in ctl)
    given = statistics.median(g for _, g in ctl)
    print("kestrelctl query MD after read-all, median of %d" % rounds)
    print("  %.3f s wall = %.2fx the same query with --baud 115200 (%.3f s)"
          % (searched, searched / given, given))
    return 0


if __name__ == "__main__":
    sys.exit(main())
