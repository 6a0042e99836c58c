"""dlcsim in ASCII mode against pymodbus's ASCII framer (libmodbus and mbpoll have none).

Usage: ascii_pymodbus.py PATH_TO_DLCSIM
"""
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import tty

from pymodbus.client import ModbusSerialClient
from pymodbus.framer.ascii_framer import ModbusAsciiFramer
from pymodbus.utilities import computeLRC

DLCSIM = sys.argv[1]
FAILURES = []


def check(condition, what):
    if not condition:
        FAILURES.append(what)
        print("FAIL:", what)


class Simulator:
    """A dlcsim with its own ports folder; the ready line is awaited with a deadline."""

    def __init__(self, *args):
        self.root = tempfile.mkdtemp(prefix="dlcsim-ascii-")
        env = dict(os.environ, TAVRIN_PORTS=os.path.join(self.root, "ports"))
        self.proc = subprocess.Popen(
            [DLCSIM, "--link", "COM5", "--mode", "ascii", "--log",
             os.path.join(self.root, "frames.log"), *args],
            stdout=subprocess.PIPE, env=env)
        ready, _, _ = select.select([self.proc.stdout], [], [], 10)
        line = self.proc.stdout.readline().decode() if ready else ""
        if " -> " not in line:
            self.stop()
            raise RuntimeError("dlcsim did not get ready: %r" % line)
        self.link = os.path.join(self.root, "ports", "COM5")

    def stop(self):
        self.proc.send_signal(signal.SIGTERM)
        out, _ = self.proc.communicate(timeout=10)
        shutil.rmtree(self.root, ignore_errors=True)
        return self.proc.returncode, out.decode()

    def client(self, timeout=1.0):
        # broadcast_enable: send broadcasts without waiting for a reply that never comes.
        c = ModbusSerialClient(port=self.link, framer=ModbusAsciiFramer, baudrate=38400,
                               parity="E", bytesize=8, stopbits=1, timeout=timeout,
                               broadcast_enable=True)
        if not c.connect():
            raise RuntimeError("cannot open " + self.link)
        return c


def read_float(client, slave):
    try:
        r = client.read_input_registers(0, 2, slave=slave)
    except Exception:  # this pymodbus raises on some malformed replies
        return None
    if r.isError():
        return None
    return struct.unpack(">f", struct.pack(">HH", *r.registers))[0]


def raw_exchange(sim, request, deadline=5.0):
    """Writes a request on the line and returns what comes back up to CR LF."""
    fd = os.open(sim.link, os.O_RDWR | os.O_NOCTTY)
    try:
        tty.setraw(fd)
        os.write(fd, request)
        got = b""
        end = time.monotonic() + deadline
        while not got.endswith(b"\r\n") and time.monotonic() < end:
            ready, _, _ = select.select([fd], [], [], end - time.monotonic())
            if ready:
                got += os.read(fd, 256)
        return got
    finally:
        os.close(fd)


def text(registers):
    return b"".join(struct.pack(">H", r) for r in registers).decode("latin-1")


def main():
    # Measured values, texts and the serial number over ASCII.
    sim = Simulator("--cells", "3", "--value", "1.5,2.5,-8", "--serials", "7,8,12345678",
                    "--model", "ASCII MODEL")
    try:
        c = sim.client()
        check([read_float(c, s) for s in (1, 2, 3)] == [1.5, 2.5, -8.0], "values over ASCII")
        r = c.read_input_registers(7, 20, slave=1)
        check(not r.isError() and text(r.registers) == "ASCII MODEL".ljust(40), "model text")
        r = c.read_input_registers(5, 2, slave=3)
        check(not r.isError() and r.registers == [0x00BC, 0x614E], "serial number")
        r = c.read_input_registers(99, 2, slave=1)
        check(r.isError() and getattr(r, "exception_code", None) == 2, "exception 2")
        # A broadcast assignment gives serial 8 (0x00000008) address 20.
        c.write_registers(0, [20, 0, 8], slave=0)
        v = read_float(c, 20)
        check(v == 2.5, "read at the assigned address: %r" % v)
        check(read_float(c, 1) == 1.5, "other cells keep their address")
        c.close()
    finally:
        code, out = sim.stop()
    check(code == 0 and "broadcasts 1" in out, "summary: %r" % out)

    # Noise before an intact reply. This pymodbus does not skip it, so the line is read raw;
    # the LRCs come from pymodbus.
    sim = Simulator("--cells", "1", "--value", "4", "--fault", "garbage=1")
    try:
        request = b":010400000002%02X\r\n" % computeLRC(bytes([1, 4, 0, 0, 0, 2]))
        reply = bytes([1, 4, 4]) + struct.pack(">f", 4.0)
        clean = b":" + (reply.hex().upper() + "%02X" % computeLRC(reply)).encode() + b"\r\n"
        got = raw_exchange(sim, request)
        check(got.endswith(clean) and 1 <= len(got) - len(clean) <= 4,
              "noise then an intact reply: %r" % got)
    finally:
        sim.stop()
    sim = Simulator("--cells", "1", "--value", "4", "--fault", "crc=1")
    try:
        c = sim.client(timeout=0.3)
        check(read_float(c, 1) is None, "wrong LRC refused")
        c.close()
    finally:
        sim.stop()

    if FAILURES:
        print("%d check(s) failed" % len(FAILURES))
        return 1
    print("all ASCII checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
