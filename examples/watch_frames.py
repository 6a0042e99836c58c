#!/usr/bin/env python3
"""Prints every frame that reads of one load cell put on the line, and every reply.

Sets the control library's frame tap for this thread, then reads input registers
30001-30002 of the cell as read_value.py does, --count times. Each frame is printed when the
control hands it over, one line each:

    2024-05-01 12:00:00.123456 #1 COM5 sent     node 1 fn 4 | 01 04 00 00 00 02 71 CB | 0 Successful transaction!
    2024-05-01 12:00:00.125902 #2 COM5 received node 1 fn 4 | 01 04 04 42 C5 2B F0 ... | 0 Successful transaction!

A reply that did not come in time is printed as "timeout" with what had arrived.

    examples/watch_frames.py [--adapter 5] [--node 1] [--count 3]

Exit status 0 when every read succeeded, 1 when one completed with an error Result, 2 when
one did not complete or the control could not be used.
"""

import argparse
import os
import sys

# From the source tree the module beside this folder is used, else the installed one.
_here = os.path.dirname(os.path.abspath(__file__))
if os.path.isdir(os.path.join(_here, "..", "python", "tavrin")):
    sys.path.insert(0, os.path.join(_here, "..", "python"))

import tavrin  # noqa: E402


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lib", help="the control library (default: see help(tavrin))")
    parser.add_argument("--prefix", default="COM", help="port name prefix (AdapterPrefix)")
    parser.add_argument("--adapter", type=int, default=5, help="port number n of COMn")
    parser.add_argument("--settings", default="9600,E,8,1", help="baud,parity,data,stop")
    parser.add_argument("--node", default="1", help="slave address of the load cell")
    parser.add_argument("--timeout-ms", type=int, default=500, help="reply time-out")
    parser.add_argument("--count", type=int, default=3, help="how many reads")
    args = parser.parse_args()

    try:
        with tavrin.FrameTap(lambda frame: print(frame, flush=True), library=args.lib) as tap, \
                tavrin.Control(library=args.lib, AdapterPrefix=args.prefix,
                               Adapter=args.adapter, CommSettings=args.settings,
                               NodeAddress=args.node, TimeoutTrans=args.timeout_ms,
                               Function=tavrin.FUNC_MB_READ_INPUT_REGISTERS,
                               MemStart="30001", MemQty=2) as cell:
            status = 0
            for _ in range(args.count):
                if cell.refresh() != 0:
                    status = 1
            if tap.dropped:
                print(f"{tap.dropped} frames dropped", file=sys.stderr)
            return status
    except tavrin.TavrinTimeout as e:
        print(f"no Complete event: {e}", file=sys.stderr)
    except tavrin.TavrinError as e:
        print(e, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
