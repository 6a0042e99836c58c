#!/usr/bin/env python3
"""Reads the measured value of one load cell through the control, as a bench script would.

Input registers 30001-30002 (function 4, two registers, a float sent high register first)
of the cell at --node on port COMn; prints Result, ResultString and the value.

    examples/read_value.py [--adapter 5] [--settings 9600,E,8,1] [--node 1]

COMn is the link COMn in the ports folder ($TAVRIN_PORTS, default ~/.config/tavrin/ports),
e.g. the one `dlcsim --link COM5` makes (COMn without a link is /dev/ttyS<n-1>). Exit status
0 when the transaction succeeded, 1 when it completed with an error Result, 2 when nothing
completed or the control could not be used.
"""

import argparse
import os
import struct
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
    args = parser.parse_args()

    try:
        with tavrin.Control(library=args.lib, AdapterPrefix=args.prefix, Adapter=args.adapter,
                            CommSettings=args.settings, NodeAddress=args.node,
                            TimeoutTrans=args.timeout_ms,
                            Function=tavrin.FUNC_MB_READ_INPUT_REGISTERS,
                            MemStart="30001", MemQty=2) as cell:
            result = cell.refresh()
            print(f"Result: {result}")
            print(f"ResultString: {cell.ResultString}")
            if result != 0:
                return 1
            raw = cell.DataLongSwap[0]
            print(f"Value: {cell.DataFloatSwap[0]:g} (registers 0x{struct.pack('>i', raw).hex()})")
            return 0
    except tavrin.TavrinTimeout as e:
        print(f"no Complete event: {e}", file=sys.stderr)
    except tavrin.TavrinError as e:
        print(e, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
