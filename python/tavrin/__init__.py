"""The Modbus serial master control (libtavrin.so) from Python.

A control is one Modbus conversation: set the properties of a transaction, run it, read the
Result and the data. Reading the measured value of load cell 1 on port COM5::

    import tavrin

    with tavrin.Control(Adapter=5, CommSettings="38400,E,8,1", NodeAddress="1",
                        Function=tavrin.FUNC_MB_READ_INPUT_REGISTERS,
                        MemStart="30001", MemQty=2, TimeoutTrans=500) as cell:
        if cell.refresh() == 0:
            print(cell.DataFloatSwap[0])
        else:
            print(cell.ResultString)

    # every 100 ms, ten times
    with tavrin.Control(Adapter=5, MemStart="30001", Function=4, MemQty=2) as cell:
        for done in cell.auto_poll(100, count=10):
            print(done.result, cell.DataFloatSwap[0])

Every frame the thread's controls write and read can be watched: ``with
tavrin.FrameTap(print):`` around the transactions prints each one (see ``FrameTap``).

Transactions report their outcome as a number (``Result``: 0 success, 1-255 the slave's
exception code, multiples of 256 the control's own, e.g. 256 no reply, 1280 the port cannot
be opened); property writes the control refuses, unknown members, data indexes out of range
and faults of the library raise TavrinError, which carries the automation error number and
the control's message.

The library is found as ``find_library`` says: the path given as ``library=``, else
``$TAVRIN_LIBRARY``, else the registry file of the control's self-registration
(``~/.config/tavrin/registry``), else the library installed with this module, else
``build/lib`` of the source tree this module lies in, else the system's library path.
"""

from ._capi import find_library as _find_library
from ._capi import load as _load
from ._control import DEFAULT_CLASS, Completion, Control, DataView
from .enums import (AddressType, DataMode, Function, ModemResult, ModemStatus, Result,
                    RESULT_DEVICE_BUSY)
from .enums import PUBLISHED as _PUBLISHED
from ._frames import Frame, FrameTap
from .errors import (IndexOutOfRange, LibraryError, MemberNotFound, ReleasedError, TavrinError,
                     TavrinTimeout, WrongThreadError)

__version__ = "0.1"

# The published constants under their own names: tavrin.FUNC_MB_READ_INPUT_REGISTERS.
for _enum in _PUBLISHED.values():
    globals().update(_enum.__members__)
del _enum


def find_library(class_name: str = DEFAULT_CLASS, library: "str | None" = None) -> str:
    """The path of the control library a Control of `class_name` would load."""
    return _find_library(class_name, library)[0]


def constant(name: str, library: "str | None" = None) -> int:
    """A constant the library publishes, by name in any case (``"RES_AX_COMM_TIMEOUT"``)."""
    return _load(DEFAULT_CLASS, library).constant(name)


__all__ = [
    "Control", "Completion", "DataView", "DEFAULT_CLASS", "find_library", "constant",
    "Frame", "FrameTap",
    "TavrinError", "LibraryError", "MemberNotFound", "IndexOutOfRange", "ReleasedError",
    "WrongThreadError", "TavrinTimeout",
    "Function", "DataMode", "AddressType", "Result", "ModemResult", "ModemStatus",
    "RESULT_DEVICE_BUSY",
]
