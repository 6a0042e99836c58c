#!/usr/bin/env python3
"""Prints every frame that reads of one load cell put on the line, and every reply.

Registers the frame tap of libtavrin.so (TavrinSetFrameTap) for this thread, then reads
input registers 30001-30002 of the cell as read_value.py does, --count times. Each frame
is printed when the notification pump hands it over, one line each:

    2024-05-01 12:00:00.123456 #1 COM5 sent     node 1 fn 4 | 01 04 00 00 00 02 71 CB | 0 Successful transaction!
    2024-05-01 12:00:00.125902 #2 COM5 received node 1 fn 4 | 01 04 04 42 C5 2B F0 ... | 0 Successful transaction!

A reply that did not come in time is printed as "timeout" with what had arrived.

    examples/watch_frames.py [--adapter 5] [--node 1] [--count 3]

Exit status 0 when every read succeeded, 1 when one completed with an error Result, 2 when
one did not complete.
"""

import argparse
import ctypes
import datetime
import os
import sys
from ctypes import CFUNCTYPE, POINTER, Structure, c_char_p, c_int32, c_int64, c_uint16, c_uint32
from ctypes import c_uint64, c_uint8, c_void_p

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from read_value import Tavrin  # noqa: E402  (the control, transcribed from Tavrin.h)

# Tavrin.h, transcribed: the frame tap.
FRAME_SENT, FRAME_RECEIVED = 1, 2
FRAME_BROADCAST, FRAME_TIMEOUT, FRAME_ASCII, FRAME_TRUNCATED = 0x1, 0x2, 0x4, 0x8


class Frame(Structure):
    _fields_ = [("timeUs", c_int64), ("sequence", c_uint64), ("bytes", POINTER(c_uint8)),
                ("port", c_char_p), ("resultText", c_char_p), ("length", c_uint32),
                ("result", c_int32), ("direction", c_uint16), ("flags", c_uint16),
                ("node", c_uint16), ("function", c_uint16)]


FrameFn = CFUNCTYPE(None, c_void_p, POINTER(Frame))


class FrameTap(Structure):
    _fields_ = [("context", c_void_p), ("OnFrame", FrameFn)]


def describe(frame):
    """One line for a frame; the structure is valid only during the call, so copy now."""
    stamp = datetime.datetime.fromtimestamp(frame.timeUs / 1e6)
    stamp = stamp.strftime("%Y-%m-%d %H:%M:%S.") + f"{frame.timeUs % 1_000_000:06d}"
    if frame.direction == FRAME_SENT:
        direction = "sent"
    else:
        direction = "timeout" if frame.flags & FRAME_TIMEOUT else "received"
    data = bytes(frame.bytes[k] for k in range(frame.length)).hex(" ").upper()
    return (f"{stamp} #{frame.sequence} {frame.port.decode()} {direction:<8} "
            f"node {frame.node} fn {frame.function} | {data} | "
            f"{frame.result} {frame.resultText.decode()}")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lib", default=os.path.join(here, "..", "build", "lib", "libtavrin.so"))
    parser.add_argument("--prefix", default="COM", help="port name prefix (AdapterPrefix)")
    parser.add_argument("--adapter", type=int, default=5, help="port number n of COMn")
    parser.add_argument("--settings", default="9600,E,8,1", help="baud,parity,data,stop")
    parser.add_argument("--node", default="1", help="slave address of the load cell")
    parser.add_argument("--timeout-ms", type=int, default=500, help="reply time-out")
    parser.add_argument("--count", type=int, default=3, help="how many reads")
    args = parser.parse_args()

    lib = ctypes.CDLL(args.lib)
    lib.TavrinSetFrameTap.argtypes = [POINTER(FrameTap)]
    lib.TavrinSetFrameTap.restype = c_int32
    lib.TavrinGetFramesDropped.restype = c_uint64
    # Kept referenced: the library calls it until the tap is removed.
    on_frame = FrameFn(lambda _context, frame: print(describe(frame.contents), flush=True))
    tap = FrameTap(None, on_frame)
    ctrl = Tavrin(lib)
    status = 0
    try:
        if lib.TavrinSetFrameTap(ctypes.byref(tap)) != 0:
            print("no frame tap on this thread", file=sys.stderr)
            return 2
        ctrl.put("AdapterPrefix", args.prefix)
        ctrl.put("Adapter", args.adapter)
        ctrl.put("CommSettings", args.settings)
        ctrl.put("NodeAddress", args.node)
        ctrl.put("TimeoutTrans", args.timeout_ms)
        ctrl.put("Function", 4)
        ctrl.put("MemStart", "30001")
        ctrl.put("MemQty", 2)
        complete = ctrl.event_id("Complete")
        for _ in range(args.count):
            ctrl.events.clear()
            ctrl.call("AsyncRefresh")
            if ctrl.wait_for_event(complete, args.timeout_ms / 1000 + 5) is None:
                print("no Complete event", file=sys.stderr)
                return 2
            if ctrl.get("Result") != 0:
                status = 1
        dropped = lib.TavrinGetFramesDropped()
        if dropped:
            print(f"{dropped} frames dropped", file=sys.stderr)
        return status
    finally:
        lib.TavrinSetFrameTap(None)
        ctrl.release()


if __name__ == "__main__":
    sys.exit(main())
