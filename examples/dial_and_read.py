#!/usr/bin/env python3
"""Dials a load cell's modem through the control, reads its measured value over the call and hangs up.

ModemDial brings the call up (its DialComplete event says whether it did), then input
registers 30001-30002 (function 4, two registers) of one cell are read across the call,
and ModemHangup ends it (HangupComplete). ModemStatusChange events (the modem's lines) are
printed as they come.

    examples/dial_and_read.py [--adapter 6] [--number 5551234] [--node 1]

Exit status 0 when the call, the read and the hang-up succeeded, 1 when one of them
reported an error, 2 when an event did not come or the control could not be used.
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


def describe(value: int) -> str:
    """A modem result as 'number (name)'; events carry it as a 16-bit signed number. The
    port and thread failures (1280, 8192) are named among the transaction results."""
    value &= 0xFFFF
    for enum in (tavrin.ModemResult, tavrin.Result):
        if value and value in enum._value2member_map_:
            return f"{value} ({enum(value).name})"
    return str(value)


def show_lines(cell: tavrin.Control) -> None:
    status = cell.event_id("ModemStatusChange")
    for number, values, _when in cell.events():
        if number == status:
            bits = int(values[0]) & 0xFF
            on = " ".join(line.name[3:-3] for line in tavrin.ModemStatus if bits & line)
            print(f"ModemStatusChange: 0x{bits:02x} ({on or 'none'})")


def dial_read_hang_up(cell: tavrin.Control, args: argparse.Namespace) -> int:
    cell.call("ModemDial", args.init1, args.init2, args.phone_system, args.number)
    try:
        dialled = cell.wait_event("DialComplete", args.dial_timeout)
    except tavrin.TavrinTimeout:
        cell.call("ModemCancel")
        dialled = cell.wait_event("DialComplete", 30)
    result = int(dialled[0]) & 0xFFFF
    print(f"DialComplete: {describe(result)}")
    show_lines(cell)
    if result != 0:
        return 1  # the control has hung the modem up again

    status = 0
    try:
        read = cell.refresh()
        print(f"Result: {read}")
        print(f"ResultString: {cell.ResultString}")
        if read == 0:
            raw = cell.DataLongSwap[0]
            print(f"Value: {cell.DataFloatSwap[0]:g} "
                  f"(registers 0x{struct.pack('>i', raw).hex()})")
        else:
            status = 1
    except tavrin.TavrinTimeout as e:
        print(f"no Complete event: {e}", file=sys.stderr)
        status = 2
    show_lines(cell)

    cell.call("ModemHangup")
    hung_up = int(cell.wait_event("HangupComplete", 60)[0]) & 0xFFFF
    print(f"HangupComplete: {describe(hung_up)}")
    show_lines(cell)
    return status if hung_up == 0 else max(status, 1)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lib", help="the control library (default: see help(tavrin))")
    parser.add_argument("--prefix", default="COM", help="port name prefix (AdapterPrefix)")
    parser.add_argument("--adapter", type=int, default=6, help="port number n of COMn")
    parser.add_argument("--settings", default="9600,E,8,1", help="baud,parity,data,stop")
    parser.add_argument("--init1", default="", help="first initialisation string "
                        "(default: the control's own)")
    parser.add_argument("--init2", default="", help="second initialisation string")
    parser.add_argument("--phone-system", default="T", help="T tone, P pulse")
    parser.add_argument("--number", default="", help="the number to dial")
    parser.add_argument("--node", default="1", help="slave address of the load cell")
    parser.add_argument("--timeout-ms", type=int, default=1000, help="reply time-out")
    parser.add_argument("--dial-timeout", type=float, default=120,
                        help="seconds to wait for the call before ModemCancel")
    args = parser.parse_args()

    try:
        with tavrin.Control(library=args.lib, AdapterPrefix=args.prefix, Adapter=args.adapter,
                            CommSettings=args.settings, NodeAddress=args.node,
                            TimeoutTrans=args.timeout_ms,
                            Function=tavrin.FUNC_MB_READ_INPUT_REGISTERS,
                            MemStart="30001", MemQty=2) as cell:
            return dial_read_hang_up(cell, args)
    except tavrin.TavrinTimeout as e:
        print(f"an event did not come: {e}", file=sys.stderr)
    except tavrin.TavrinError as e:
        print(e, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
