"""The Python module against kestrel-camsim: directly and through ser2net."""

import os
import shutil
import socket
import subprocess
import threading
import time

import pytest

import kestrel


def start_camsim(*options):
    process = subprocess.Popen([os.environ["KESTREL_CAMSIM"], "--no-link", *options],
                               stdout=subprocess.PIPE, text=True)
    return process, process.stdout.readline().strip()


@pytest.fixture
def camsim(request):
    process, path = start_camsim(*getattr(request, "param", ()))
    yield path
    process.terminate()
    process.wait()


def test_values_round_trip_and_the_panel_reads_them_all(camsim, tmp_path):
    with kestrel.Camera(camsim) as cam:
        for name, value in [("LR", 1000), ("CABN1", "Wide, 35mm"), ("CABT2?2", 5), ("BL1S", -5)]:
            cam.set(name, value)
            assert cam.query(name) == value
        values = cam.read_all(factory=True)
        assert (len(values), values["LR"], values["CABT2"][2]) == (208, 1000, 5)
        assert cam.baud == 115200  # moved, as the panel does
        golden = tmp_path / "golden.cam"
        golden.write_text("LR=1000\r\nCABN1=Wide, 35mm\r\n")
        assert cam.diff(str(golden)) == []
        cam.set("LR", 999)
        assert cam.diff(str(golden))[0]["camera"] == "999"
        cam.apply(str(golden))
        assert cam.query("LR") == 1000
        slope = [i - 300 for i in range(768)]
        cam.correction_write("shading-slope", 1, slope)
        assert cam.correction_read("shading-slope", 1) == slope
        lut = [4095 - i * 16 for i in range(256)]
        cam.lut_write(1, lut)
        assert cam.lut_read(1) == lut
        assert cam.info()["model_name"] == "HX-9302"
        assert set(cam.temperature()) == {"sensor1", "sensor2"}


@pytest.mark.parametrize("camsim", [("--reject", "CBDRT")], indirect=True)
def test_failures_raise_by_kind_and_bad_input_sends_nothing(camsim):
    with kestrel.Camera(camsim, baud=9600, timeout_ms=300) as cam:
        with pytest.raises(kestrel.Rejected) as rejected:
            cam.set("CBDRT", 16)
        assert rejected.value.reply.startswith("ERROR")
        for call in [lambda: cam.query("NOPE"), lambda: cam.set("GM", "x"),
                     lambda: cam.lut_write(1, [5000] * 256),
                     lambda: cam.correction_write("pixel-gain", 1, [1])]:
            with pytest.raises(kestrel.BadInput):
                call()
        assert cam.baud == 9600 and cam.read_all()["LR"] == 170  # given: never moved
    with pytest.raises(kestrel.Lost):
        kestrel.Camera("/dev/kestrel-no-such-port")
    with pytest.raises(kestrel.BadInput):
        kestrel.Camera("rfc2217://localhost")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def slow_link(port, delay):
    """A port that forwards to `port` with `delay` seconds added each way; returns its number."""
    listener = socket.create_server(("127.0.0.1", 0))

    def carry(source, sink):
        while data := source.recv(4096):
            threading.Timer(delay, sink.sendall, (data,)).start()  # in order: one timer each

    def serve():
        while True:  # every open of the search is a connection of its own
            near, _ = listener.accept()
            far = socket.create_connection(("127.0.0.1", port))
            for source, sink in [(near, far), (far, near)]:
                threading.Thread(target=carry, args=(source, sink), daemon=True).start()

    threading.Thread(target=serve, daemon=True).start()
    return listener.getsockname()[1]


@pytest.mark.skipif(not shutil.which("ser2net", path="/usr/sbin:/usr/bin"),
                    reason="ser2net is not installed")
@pytest.mark.parametrize("camsim,scheme,moved,delay",
                         [((), "tcp", False, 0), ((), "rfc2217", True, 0),
                          (("--baud", "115200"), "rfc2217", True, 0.15)], indirect=["camsim"])
def test_through_ser2net_with_a_restart_in_between(camsim, tmp_path, scheme, moved, delay):
    port = free_port()
    accepter = "telnet(rfc2217),tcp" if scheme == "rfc2217" else "tcp"
    config = tmp_path / "ser2net.yaml"
    config.write_text(f"connection: &camera\n  accepter: {accepter},127.0.0.1,{port}\n"
                      f"  connector: serialdev,{camsim},9600n81,local\n"
                      "  options:\n    kickolduser: true\n    chardelay: false\n")

    def relay():
        process = subprocess.Popen(["ser2net", "-n", "-u", "-c", str(config)],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(500):
            try:
                socket.create_connection(("127.0.0.1", port)).close()
                return process
            except OSError:
                if process.poll() is not None:
                    pytest.skip("ser2net does not run here")
                time.sleep(0.01)
        pytest.skip("ser2net does not listen")

    server = relay()
    try:
        if delay:  # found at 115200 across a slow link: the probes wait for the round trip
            with kestrel.Camera(f"{scheme}://127.0.0.1:{slow_link(port, delay)}") as cam:
                assert (cam.baud, cam.query("CBDRT")) == (115200, 16)
            return
        with kestrel.Camera(f"{scheme}://127.0.0.1:{port}") as cam:
            assert len(cam.read_all(factory=True)) == 208
            assert cam.query("CBDRT") == (16 if moved else 1)
            server.terminate()
            server.wait()
            with pytest.raises(kestrel.Lost):
                cam.query("LR")
            server = relay()
            assert cam.query("MD") == "HX-9302"  # reconnected
    finally:
        server.terminate()
        server.wait()


def test_a_truncated_backup_is_refused_with_nothing_sent(camsim, tmp_path):
    # A whole backup is slow (the arrays are paced); a file cut short must
    # fail before anything reaches the camera, which keeps its line rate.
    cut = tmp_path / "cut.kbak"
    cut.write_bytes(b"manifest.txt".ljust(512, b"\0") * 3)
    with kestrel.Camera(camsim) as cam:
        cam.set("LR", 1234)
        with pytest.raises(kestrel.Error, match="nothing was sent"):
            cam.restore(str(cut))
        assert cam.query("LR") == 1234
