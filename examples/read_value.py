#!/usr/bin/env python3
"""Reads the measured value of one load cell through libtavrin.so, as a bench script would.

The control is created by its class name, set up for input registers 30001-30002
(function 4, two registers), started with AsyncRefresh, and its Complete event is awaited
on the library's notification descriptor. Prints Result, ResultString and the value.

    examples/read_value.py [--adapter 5] [--settings 9600,E,8,1] [--node 1]

COMn is the link COMn in the ports folder ($TAVRIN_PORTS, default
~/.config/tavrin/ports), e.g. the one `dlcsim --link COM5` makes (COMn without a link is
/dev/ttyS<n-1>). Exit status 0 when the
transaction succeeded, 1 when it completed with an error Result, 2 when nothing completed.
"""

import argparse
import ctypes
import os
import select
import struct
import sys
import time
from ctypes import (CFUNCTYPE, POINTER, Structure, Union, byref, c_char_p, c_double,
                    c_float, c_int, c_int16, c_int32, c_size_t, c_uint16, c_uint32,
                    c_void_p)

# Tavrin.h, transcribed.
VT_EMPTY, VT_I2, VT_I4, VT_R4, VT_R8, VT_BSTR, VT_BOOL = 0, 2, 3, 4, 5, 8, 11
INVOKE_METHOD, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT = 1, 2, 4


class Value(Union):
    _fields_ = [("i2", c_int16), ("i4", c_int32), ("r4", c_float), ("r8", c_double),
                ("boolean", c_int16), ("scode", c_int32), ("str", c_void_p)]


class Variant(Structure):
    _fields_ = [("vt", c_uint16), ("reserved", c_uint16), ("length", c_uint32),
                ("value", Value)]


class Control(Structure):
    pass


ControlP = POINTER(Control)
EventFn = CFUNCTYPE(None, c_void_p, c_int32, POINTER(Variant), c_uint32)


class EventSink(Structure):
    _fields_ = [("context", c_void_p), ("OnEvent", EventFn)]


class ControlVtbl(Structure):
    _fields_ = [
        ("AddRef", CFUNCTYPE(c_uint32, ControlP)),
        ("Release", CFUNCTYPE(c_uint32, ControlP)),
        ("GetIDOfName", CFUNCTYPE(c_int32, ControlP, c_char_p, POINTER(c_int32))),
        ("GetEventIDOfName", CFUNCTYPE(c_int32, ControlP, c_char_p, POINTER(c_int32))),
        ("Invoke", CFUNCTYPE(c_int32, ControlP, c_int32, c_int32, POINTER(Variant), c_uint32,
                             POINTER(Variant), POINTER(c_void_p))),
        ("Advise", CFUNCTYPE(c_int32, ControlP, POINTER(EventSink))),
        ("SetSite", CFUNCTYPE(c_int32, ControlP, c_void_p)),
        ("Save", CFUNCTYPE(c_int32, ControlP, POINTER(c_void_p), POINTER(c_size_t))),
        ("Load", CFUNCTYPE(c_int32, ControlP, c_void_p, c_size_t)),
        ("IsModified", CFUNCTYPE(c_int32, ControlP)),
    ]


Control._fields_ = [("vtbl", POINTER(ControlVtbl))]


class Factory(Structure):
    pass


FactoryP = POINTER(Factory)


class FactoryVtbl(Structure):
    _fields_ = [
        ("AddRef", CFUNCTYPE(c_uint32, FactoryP)),
        ("Release", CFUNCTYPE(c_uint32, FactoryP)),
        ("CreateInstance", CFUNCTYPE(c_int32, FactoryP, POINTER(ControlP))),
        ("LockServer", CFUNCTYPE(c_int32, FactoryP, c_int32)),
    ]


Factory._fields_ = [("vtbl", POINTER(FactoryVtbl))]


class AutomationError(Exception):
    pass


class Tavrin:
    """One control, called late-bound by member name."""

    def __init__(self, lib, class_name="TAVRINLib.TAVRIN"):
        self.lib = lib
        lib.DllGetClassObject.argtypes = [c_char_p, POINTER(FactoryP)]
        lib.DllGetClassObject.restype = c_int32
        lib.TavrinVariantClear.argtypes = [POINTER(Variant)]
        lib.TavrinFreeMemory.argtypes = [c_void_p]
        lib.TavrinGetNotifyFd.restype = c_int
        lib.TavrinPumpNotifications.restype = c_int32
        factory = FactoryP()
        rc = lib.DllGetClassObject(class_name.encode(), byref(factory))
        if rc != 0:
            raise AutomationError(f"class {class_name} not available ({rc})")
        self.control = ControlP()
        rc = factory.contents.vtbl.contents.CreateInstance(factory, byref(self.control))
        factory.contents.vtbl.contents.Release(factory)
        if rc != 0:
            raise AutomationError(f"cannot create the control ({rc})")
        self.vtbl = self.control.contents.vtbl.contents
        self.events = []
        # Kept referenced: the library calls it for as long as the sink is advised.
        self._on_event = EventFn(self._event)
        self._sink = EventSink(None, self._on_event)
        self.vtbl.Advise(self.control, byref(self._sink))

    def _event(self, _context, dispid, args, argc):
        self.events.append((dispid, [self._from_variant(args[k]) for k in range(argc)]))

    def release(self):
        self.vtbl.Advise(self.control, None)
        self.vtbl.Release(self.control)

    def _id(self, name):
        dispid = c_int32()
        if self.vtbl.GetIDOfName(self.control, name.encode(), byref(dispid)) != 0:
            raise AutomationError(f"no member {name}")
        return dispid.value

    def event_id(self, name):
        dispid = c_int32()
        if self.vtbl.GetEventIDOfName(self.control, name.encode(), byref(dispid)) != 0:
            raise AutomationError(f"no event {name}")
        return dispid.value

    @staticmethod
    def _to_variant(value, keep):
        v = Variant()
        if isinstance(value, bool):
            v.vt, v.value.boolean = VT_BOOL, -1 if value else 0
        elif isinstance(value, int):
            v.vt, v.value.i4 = VT_I4, value  # the control coerces to its declared type
        elif isinstance(value, float):
            v.vt, v.value.r8 = VT_R8, value
        else:
            data = str(value).encode()
            buf = ctypes.create_string_buffer(data)
            keep.append(buf)
            v.vt, v.value.str, v.length = VT_BSTR, ctypes.addressof(buf), len(data)
        return v

    @staticmethod
    def _from_variant(v):
        if v.vt == VT_I2:
            return v.value.i2
        if v.vt == VT_I4:
            return v.value.i4
        if v.vt == VT_R4:
            return v.value.r4
        if v.vt == VT_R8:
            return v.value.r8
        if v.vt == VT_BOOL:
            return v.value.boolean != 0
        if v.vt == VT_BSTR:
            return ctypes.string_at(v.value.str, v.length).decode()
        return None

    def _invoke(self, name, kind, args):
        keep = []
        argv = (Variant * max(len(args), 1))(*[self._to_variant(a, keep) for a in args])
        result = Variant()
        message = c_void_p()
        rc = self.vtbl.Invoke(self.control, self._id(name), kind, argv, len(args),
                              byref(result), byref(message))
        if rc != 0:
            text = ctypes.string_at(message.value).decode() if message.value else ""
            self.lib.TavrinFreeMemory(message)
            raise AutomationError(f"{name}: error {rc}: {text}")
        value = self._from_variant(result)
        self.lib.TavrinVariantClear(byref(result))
        return value

    def get(self, name):
        return self._invoke(name, INVOKE_PROPERTYGET, [])

    def put(self, name, value):
        self._invoke(name, INVOKE_PROPERTYPUT, [value])

    def call(self, name, *args):
        return self._invoke(name, INVOKE_METHOD, list(args))

    def wait_for_event(self, dispid, timeout):
        """Watches the notification descriptor and pumps until the event has fired."""
        fd = self.lib.TavrinGetNotifyFd()
        deadline = time.monotonic() + timeout
        while not any(e[0] == dispid for e in self.events):
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            readable, _, _ = select.select([fd], [], [], left)
            if readable:
                self.lib.TavrinPumpNotifications()
        return next(e for e in self.events if e[0] == dispid)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lib", default=os.path.join(here, "..", "build", "lib", "libtavrin.so"))
    parser.add_argument("--prefix", default="COM", help="port name prefix (AdapterPrefix)")
    parser.add_argument("--adapter", type=int, default=5, help="port number n of COMn")
    parser.add_argument("--settings", default="9600,E,8,1", help="baud,parity,data,stop")
    parser.add_argument("--node", default="1", help="slave address of the load cell")
    parser.add_argument("--timeout-ms", type=int, default=500, help="reply time-out")
    args = parser.parse_args()

    ctrl = Tavrin(ctypes.CDLL(args.lib))
    try:
        ctrl.put("AdapterPrefix", args.prefix)
        ctrl.put("Adapter", args.adapter)
        ctrl.put("CommSettings", args.settings)
        ctrl.put("NodeAddress", args.node)
        ctrl.put("TimeoutTrans", args.timeout_ms)
        ctrl.put("Function", 4)       # read input registers
        ctrl.put("MemStart", "30001")  # the measured value
        ctrl.put("MemQty", 2)          # 32 bits, high register first
        ctrl.call("AsyncRefresh")
        event = ctrl.wait_for_event(ctrl.event_id("Complete"), args.timeout_ms / 1000 + 5)
        if event is None:
            print("no Complete event", file=sys.stderr)
            return 2
        result = ctrl.get("Result")
        print(f"Result: {result}")
        print(f"ResultString: {ctrl.get('ResultString')}")
        if result != 0:
            return 1
        value = ctrl.call("GetDataFloatSwapM", 0)
        raw = ctrl.call("GetDataLongSwapM", 0)
        print(f"Value: {value:g} (registers 0x{struct.pack('>i', raw).hex()})")
        return 0
    finally:
        ctrl.release()


if __name__ == "__main__":
    sys.exit(main())
