#!/usr/bin/env python3
"""Dials a load cell's modem through libtavrin.so, reads its measured value over the call and hangs up.

The control is created by its class name (as in read_value.py, whose Tavrin class this
script uses), told which port the modem is on, and asked to dial with ModemDial; its
DialComplete event says whether the call came up. Then it reads input registers
30001-30002 (function 4, two registers) of one cell across the call, and ends the call
with ModemHangup (HangupComplete). ModemStatusChange events (the modem's lines) are
printed as they come.

    examples/dial_and_read.py [--adapter 6] [--number 5551234] [--node 1]

Exit status 0 when the call, the read and the hang-up succeeded, 1 when one of them
reported an error, 2 when an event did not come.
"""

import argparse
import ctypes
import os
import struct
import sys
from ctypes import POINTER, byref, c_char_p, c_int32, c_uint32

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from read_value import Tavrin  # noqa: E402  (beside this script)

LINES = [(16, "CTS"), (32, "DSR"), (64, "RING"), (128, "RLSD")]  # enumTavrinModemStatus


def constant_name(lib, enum_name, value):
    """The published name of a modem result, from the control's type library."""
    lib.TavrinGetEnumMember.argtypes = [c_char_p, c_uint32, POINTER(c_char_p),
                                        POINTER(c_int32)]
    lib.TavrinGetEnumMember.restype = c_int32
    name, member, index = c_char_p(), c_int32(), 0
    while lib.TavrinGetEnumMember(enum_name.encode(), index, byref(name), byref(member)) == 0:
        if member.value == value:
            return name.value.decode()
        index += 1
    return None


def describe(lib, value):
    """A modem result as 'number (name)'; events carry it as a 16-bit signed number. The
    port and thread failures (1280, 8192) are named among the transaction results."""
    value &= 0xFFFF
    name = None
    if value:
        name = (constant_name(lib, "enumTavrinModemResult", value)
                or constant_name(lib, "enumTavrinResult", value))
    return f"{value} ({name})" if name else str(value)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lib", default=os.path.join(here, "..", "build", "lib", "libtavrin.so"))
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

    lib = ctypes.CDLL(args.lib)
    ctrl = Tavrin(lib)
    shown = 0

    def show_lines():
        nonlocal shown
        status_id = ctrl.event_id("ModemStatusChange")
        for dispid, values in ctrl.events[shown:]:
            if dispid == status_id:
                bits = values[0] & 0xFF
                on = " ".join(name for bit, name in LINES if bits & bit) or "none"
                print(f"ModemStatusChange: 0x{bits:02x} ({on})")
        shown = len(ctrl.events)

    try:
        ctrl.put("AdapterPrefix", args.prefix)
        ctrl.put("Adapter", args.adapter)
        ctrl.put("CommSettings", args.settings)

        ctrl.call("ModemDial", args.init1, args.init2, args.phone_system, args.number)
        event = ctrl.wait_for_event(ctrl.event_id("DialComplete"), args.dial_timeout)
        if event is None:
            ctrl.call("ModemCancel")
            event = ctrl.wait_for_event(ctrl.event_id("DialComplete"), 30)
        if event is None:
            print("no DialComplete event", file=sys.stderr)
            return 2
        dialled = event[1][0] & 0xFFFF
        print(f"DialComplete: {describe(lib, dialled)}")
        show_lines()
        if dialled != 0:
            return 1  # the control has hung the modem up again

        ctrl.put("NodeAddress", args.node)
        ctrl.put("TimeoutTrans", args.timeout_ms)
        ctrl.put("Function", 4)        # read input registers
        ctrl.put("MemStart", "30001")  # the measured value
        ctrl.put("MemQty", 2)          # 32 bits, high register first
        ctrl.call("AsyncRefresh")
        status = 0
        if ctrl.wait_for_event(ctrl.event_id("Complete"), args.timeout_ms / 1000 + 5) is None:
            print("no Complete event", file=sys.stderr)
            status = 2
        else:
            result = ctrl.get("Result")
            print(f"Result: {result}")
            print(f"ResultString: {ctrl.get('ResultString')}")
            if result == 0:
                value = ctrl.call("GetDataFloatSwapM", 0)
                raw = ctrl.call("GetDataLongSwapM", 0)
                print(f"Value: {value:g} (registers 0x{struct.pack('>i', raw).hex()})")
            else:
                status = 1
        show_lines()

        ctrl.call("ModemHangup")
        event = ctrl.wait_for_event(ctrl.event_id("HangupComplete"), 60)
        if event is None:
            print("no HangupComplete event", file=sys.stderr)
            return 2
        hung_up = event[1][0] & 0xFFFF
        print(f"HangupComplete: {describe(lib, hung_up)}")
        show_lines()
        return status if hung_up == 0 else max(status, 1)
    finally:
        ctrl.release()


if __name__ == "__main__":
    sys.exit(main())
