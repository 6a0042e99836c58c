"""One control: properties by name, refresh and its Complete event, data views, auto-poll."""

import ctypes
import select
import threading
import time
import warnings
from collections import deque
from ctypes import byref, c_int32, c_void_p
from typing import (Any, Deque, Generic, Iterator, List, NamedTuple, Optional, Tuple, TypeVar,
                    Union, overload)

from . import _capi
from ._capi import (INVOKE_METHOD, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT, VARIANT_TRUE,
                    VT_BOOL, VT_BSTR, VT_EMPTY, VT_ERROR, VT_I2, VT_I4, VT_R4, VT_R8,
                    ControlP, EventFn, EventSink, Variant)
from .errors import (LibraryError, ReleasedError, TavrinTimeout, WrongThreadError,
                     automation_error)

DEFAULT_CLASS = "TAVRINLib.TAVRIN"

# Event numbers of the control's event interface; they never change.
_COMPLETE = 1

# Controls dropped on a thread other than their own: only that thread may release them, and
# its pumps may still call their event sinks. Their pointers and sinks are kept here for the
# life of the process, a small leak, so that nothing the library can call is ever freed.
_orphans: List[Tuple[Any, ...]] = []


T = TypeVar("T")
Value = Union[None, bool, int, float, str, bytes]


class Completion(NamedTuple):
    """One ``Complete`` event: the transaction's Result and when it arrived
    (``time.monotonic()``)."""
    result: int
    time: float

    @property
    def ok(self) -> bool:
        """True for Result 0, a successful transaction."""
        return self.result == 0


def _to_variant(value: Value, keep: List[Any], member: str) -> Variant:
    v = Variant()
    if value is None:
        v.vt = VT_EMPTY
    elif isinstance(value, bool):
        v.vt, v.value.boolean = VT_BOOL, VARIANT_TRUE if value else 0
    elif isinstance(value, int):
        if -2**31 <= value < 2**31:
            v.vt, v.value.i4 = VT_I4, int(value)  # the control converts to the member's type
        else:
            try:
                v.vt, v.value.r8 = VT_R8, float(value)  # the control reports the overflow
            except OverflowError:
                raise automation_error(6, "Overflow", member) from None
    elif isinstance(value, float):
        v.vt, v.value.r8 = VT_R8, value
    elif isinstance(value, (str, bytes, bytearray)):
        data = value.encode("utf-8", "surrogateescape") if isinstance(value, str) else bytes(value)
        buf = ctypes.create_string_buffer(data, len(data) + 1)
        keep.append(buf)
        v.vt, v.value.str, v.length = VT_BSTR, ctypes.addressof(buf), len(data)
    else:
        raise automation_error(13, f"Type mismatch: a {type(value).__name__} cannot be passed "
                                   f"to the control", member)
    return v


def _from_variant(v: Variant) -> Value:
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
        return ctypes.string_at(v.value.str, v.length).decode("utf-8", "surrogateescape") \
            if v.value.str else ""
    if v.vt == VT_ERROR:
        return v.value.scode
    return None


class _Property(Generic[T]):
    """A property of the control, reached late-bound by its name."""

    def __init__(self, doc: str):
        self.__doc__ = doc
        self.name = ""

    def __set_name__(self, owner: type, name: str) -> None:
        self.name = name

    @overload
    def __get__(self, control: None, owner: type) -> "_Property[T]": ...
    @overload
    def __get__(self, control: "Control", owner: type) -> T: ...

    def __get__(self, control, owner):
        if control is None:
            return self
        return control.get(self.name)

    def __set__(self, control: "Control", value: T) -> None:
        control.set(self.name, value)


class DataView(Generic[T]):
    """The control's data area seen as one kind of element: ``view[i]`` reads element i,
    ``view[i] = x`` writes it, slices read and write several (``view[0:4]``). Indexes are the
    control's, from 0; one outside the view's range raises IndexOutOfRange (error 381), so
    ``list(view)`` gives every element."""

    def __init__(self, control: "Control", name: str):
        self._control = control
        self._name = name

    @staticmethod
    def _indexes(key: slice) -> range:
        if key.stop is None:
            raise TypeError("a slice of a data view needs its end")
        return range(key.start or 0, key.stop, key.step or 1)

    @overload
    def __getitem__(self, key: int) -> T: ...
    @overload
    def __getitem__(self, key: slice) -> List[T]: ...

    def __getitem__(self, key):
        if isinstance(key, slice):
            return [self._control.get(self._name, i) for i in self._indexes(key)]
        return self._control.get(self._name, key)

    def __setitem__(self, key: Union[int, slice], value: Any) -> None:
        if isinstance(key, slice):
            indexes, values = self._indexes(key), list(value)
            if len(indexes) != len(values):
                raise ValueError(f"{len(values)} values for {len(indexes)} elements")
            for i, v in zip(indexes, values):
                self._control._invoke(self._name, INVOKE_PROPERTYPUT, [i, v])
        else:
            self._control._invoke(self._name, INVOKE_PROPERTYPUT, [key, value])

    def __repr__(self) -> str:
        return f"<{self._name} of {self._control!r}>"


class _View(Generic[T]):
    def __init__(self, doc: str):
        self.__doc__ = doc
        self.name = ""

    def __set_name__(self, owner: type, name: str) -> None:
        self.name = name

    @overload
    def __get__(self, control: None, owner: type) -> "_View[T]": ...
    @overload
    def __get__(self, control: "Control", owner: type) -> DataView[T]: ...

    def __get__(self, control, owner):
        return self if control is None else DataView(control, self.name)


class Control:
    """One Modbus master control, created by its class name from the control library.

    ``Control(class_name, library=None, **properties)`` loads the library (see
    ``tavrin.find_library``), creates a control and sets the properties given, in order.
    Properties are attributes (``c.MemStart = "30001"``) or reached by name with
    ``get``/``set``; methods with ``call``. Errors the control raises come as TavrinError
    with the automation number and message.

    A control belongs to the thread that created it: its events are delivered there, from
    inside ``wait``, ``refresh`` and ``auto_poll``. ``release()`` (or leaving a ``with``
    block) destroys it; releasing again does nothing, any other use raises ReleasedError.
    """

    AdapterPrefix: _Property[str] = _Property(
        'Port name prefix (default "COM"): the port is AdapterPrefix + Adapter, a link of '
        'that name in the ports folder ($TAVRIN_PORTS, default ~/.config/tavrin/ports); '
        'COMn without a link is /dev/ttyS<n-1>.')
    Adapter: _Property[int] = _Property('Port number n of the port name (default 1).')
    CommSettings: _Property[str] = _Property(
        'Line settings "baud,parity,data bits,stop bits" (default "9600,E,8,1"); a text '
        'that does not parse raises error 20004.')
    DataMode: _Property[int] = _Property(
        'Framing: DATA_MODE_MB_RTU (0, default) or DATA_MODE_MB_ASCII (1).')
    Function: _Property[int] = _Property(
        'Modbus function (tavrin.Function; default 1); an unknown one raises error 20002.')
    MemStart: _Property[str] = _Property(
        'Start reference, e.g. "30001" for the first input register (default "40001").')
    MemQty: _Property[int] = _Property('Number of registers or coils (default 1).')
    NodeAddress: _Property[str] = _Property(
        'Slave address as decimal text (default "1"); "0" broadcasts.')
    TimeoutTrans: _Property[int] = _Property(
        'Reply time-out in milliseconds (default 150); 0 and negative values are ignored.')
    AddressType: _Property[int] = _Property(
        'Reference convention of MemStart (tavrin.AddressType; default 0).')
    AutoPollEnabled: _Property[bool] = _Property(
        'True polls every AutoPollInterval ms, starting at once (see auto_poll()).')
    AutoPollInterval: _Property[int] = _Property(
        'Auto-poll period in milliseconds, 0 to 32000 (default 50); others raise 20011.')
    Enabled: _Property[bool] = _Property('False makes the refresh methods do nothing.')
    Busy: _Property[bool] = _Property('True while a transaction is pending (read-only).')
    Result: _Property[int] = _Property(
        'Outcome of the last transaction (read-only): 0 success, 1-255 the slave\'s '
        'exception code, multiples of 256 the control\'s own (tavrin.Result).')
    ResultString: _Property[str] = _Property('The text of the current Result (read-only).')
    DataString: _Property[str] = _Property(
        'The text in the data area: DataWord[0] characters from DataWord[1] on, each word '
        'high byte first.')
    SlaveEnabled: _Property[bool] = _Property('Stored only; no effect on communication.')
    SlaveMemStart: _Property[str] = _Property('Stored only; no effect on communication.')
    SlaveMemQty: _Property[int] = _Property('Always 0 (read-only).')
    ErrorChecking: _Property[int] = _Property('Always 0.')
    TimeoutConnect: _Property[int] = _Property('Always 0.')

    DataWord: _View[int] = _View('16-bit signed words, index 0-126.')
    DataByte: _View[int] = _View('Bytes 0-255, index 0-253 (word i is bytes 2i and 2i+1).')
    DataBit: _View[bool] = _View('Bits, index 0-2031 (bit i mod 16 of word i div 16).')
    DataLong: _View[int] = _View('32-bit integers sent low register first, index 0-62.')
    DataLongSwap: _View[int] = _View('32-bit integers sent high register first, index 0-62.')
    DataFloat: _View[float] = _View('32-bit floats sent low register first, index 0-62.')
    DataFloatSwap: _View[float] = _View(
        '32-bit floats sent high register first (as load cells send their measured value), '
        'index 0-62.')
    DataWordBCD: _View[int] = _View('Words as four BCD digits, index 0-126.')
    DataLongBCD: _View[int] = _View('32-bit values as eight BCD digits, index 0-62.')
    SlaveDataWord: _View[int] = _View('The slave area (read-only; nothing writes it).')

    def __init__(self, class_name: str = DEFAULT_CLASS, *, library: Optional[str] = None,
                 **properties: Value):
        self._control: Optional[ControlP] = None  # first: a failed start leaves nothing to free
        self._thread = threading.get_ident()
        self._class_name = class_name
        self._library = _capi.load(class_name, library)
        factory = self._library.factory(class_name)
        control = ControlP()
        try:
            rc = factory.contents.vtbl.contents.CreateInstance(factory, byref(control))
        finally:
            factory.contents.vtbl.contents.Release(factory)
        if rc != 0 or not control:
            raise LibraryError(rc, f"{self._library.path} cannot create a {class_name} control")
        self._control = control
        self._vtbl = control.contents.vtbl.contents
        self._ids: dict = {}
        self._completions: Deque[Completion] = deque()
        self._events: Deque[Tuple[int, Tuple[Value, ...], float]] = deque()
        # Referenced for as long as the sink is advised: the library calls it.
        self._on_event = EventFn(self._event)
        self._sink = EventSink(None, self._on_event)
        self._vtbl.Advise(control, byref(self._sink))
        try:
            for name, value in properties.items():
                self.set(name, value)
        except BaseException:
            self.release()
            raise

    # Members by name.

    def get(self, name: str, *index: int) -> Value:
        """The value of property `name` (of element `index` for an indexed property)."""
        return self._invoke(name, INVOKE_PROPERTYGET, list(index))

    def set(self, name: str, value: Value) -> None:
        """Sets property `name`; the control may refuse with a TavrinError."""
        self._invoke(name, INVOKE_PROPERTYPUT, [value])

    def call(self, name: str, *args: Value) -> Value:
        """Calls method `name` (``call("GetDataFloatSwapM", 0)``) and returns its result."""
        return self._invoke(name, INVOKE_METHOD, list(args))

    def __getattr__(self, name: str) -> Value:
        # Only reached for names the class does not define: members of later versions.
        if name.startswith("_"):
            raise AttributeError(name)
        return self.get(name)

    def __setattr__(self, name: str, value: Any) -> None:
        if name.startswith("_") or hasattr(type(self), name):
            object.__setattr__(self, name, value)
        else:
            self.set(name, value)  # MemberNotFound (an AttributeError) for a misspelt name

    # Transactions.

    def start(self) -> None:
        """Starts a transaction with the properties as they are (``AsyncRefresh``) and
        returns at once; ``wait()`` gives its Completion."""
        self.call("AsyncRefresh")

    def wait(self, timeout: Optional[float] = None) -> Completion:
        """The next ``Complete`` event of this control, waiting up to `timeout` seconds
        (None: TimeoutTrans plus five seconds, time enough to wait for the port too).
        Raises TavrinTimeout when none comes."""
        self._check()
        limit = self._default_timeout() if timeout is None else timeout
        deadline = time.monotonic() + limit
        while not self._completions:
            left = deadline - time.monotonic()
            if left <= 0:
                hint = "" if self.Enabled else " (Enabled is False: refreshes are ignored)"
                raise TavrinTimeout(None, f"no Complete within {limit:g} s{hint}")
            self._pump(left)
        return self._completions.popleft()

    def refresh(self, timeout: Optional[float] = None) -> int:
        """Runs one transaction and returns its Result once ``Complete`` has come (0 for
        success). A control that is still busy refuses at once with Result 1792. Raises
        TavrinTimeout when no Complete comes within `timeout` seconds (see ``wait``)."""
        self._check()
        self._pump(0)  # what has already arrived belongs to earlier transactions
        self._completions.clear()
        busy = self.Busy
        self.start()
        if busy:
            return self.Result  # refused without an event
        return self.wait(timeout).result

    def sync_refresh(self) -> int:
        """Runs one transaction on the calling thread (``SyncRefresh``) and returns its
        Result; no event fires."""
        self.call("SyncRefresh")
        return self.Result

    def auto_poll(self, interval_ms: Optional[int] = None, *, count: Optional[int] = None,
                  timeout: Optional[float] = None) -> Iterator[Completion]:
        """Polls every `interval_ms` milliseconds (None: AutoPollInterval as it is) and
        yields each transaction's Completion, `count` of them or until the loop ends; then
        the polling stops and the control is left idle. Read the data inside the loop: the
        next poll replaces it. Raises TavrinTimeout when a poll brings no Complete within
        `timeout` seconds (see ``wait``)."""
        self._check()
        if interval_ms is not None:
            self.AutoPollInterval = interval_ms
        self._pump(0)
        self._completions.clear()
        self.AutoPollEnabled = True  # the first poll starts at once
        try:
            done = 0
            while count is None or done < count:
                yield self.wait(timeout)
                done += 1
        finally:
            self._stop_polling(timeout)

    def _stop_polling(self, timeout: Optional[float]) -> None:
        if self._control is None or threading.get_ident() != self._thread:
            return
        self.AutoPollEnabled = False
        if self.Busy:
            try:
                self.wait(timeout)  # the poll in flight
            except TavrinTimeout:
                pass

    def events(self) -> List[Tuple[int, Tuple[Value, ...], float]]:
        """Events other than Complete delivered so far (event number, arguments, arrival
        time), oldest first; they are removed from the control's queue."""
        taken = list(self._events)
        self._events.clear()
        return taken

    def event_id(self, name: str) -> int:
        """The number of the event called `name` (``"DialComplete"``), as ``events()`` gives it."""
        self._check()
        dispid = c_int32()
        rc = self._vtbl.GetEventIDOfName(self._control, name.encode("utf-8", "surrogateescape"),
                                         byref(dispid))
        if rc != 0:
            raise automation_error(438, "Object doesn't support this event", name)
        return dispid.value

    def wait_event(self, name: str, timeout: float) -> Tuple[Value, ...]:
        """The arguments of the next event called `name` (not ``Complete``: see ``wait``),
        waiting up to `timeout` seconds; the other events stay for ``events()``. Raises
        TavrinTimeout when none comes."""
        dispid = self.event_id(name)
        deadline = time.monotonic() + timeout
        while True:
            for k, (number, values, _when) in enumerate(self._events):
                if number == dispid:
                    del self._events[k]
                    return values
            left = deadline - time.monotonic()
            if left <= 0:
                raise TavrinTimeout(None, f"no {name} within {timeout:g} s")
            self._pump(left)

    # Life.

    def release(self) -> None:
        """Destroys the control: a transaction in progress ends, events still queued for it
        are dropped. Releasing a released control does nothing."""
        if self._control is None:
            return
        if threading.get_ident() != self._thread:
            raise WrongThreadError(None, "a control is released on the thread that created it")
        control, self._control = self._control, None
        self._vtbl.Advise(control, None)
        self._vtbl.Release(control)

    close = release

    def __enter__(self) -> "Control":
        return self

    def __exit__(self, *exc: object) -> None:
        self.release()

    def __del__(self) -> None:
        if getattr(self, "_control", None) is None:
            return
        try:
            if threading.get_ident() == self._thread:
                self.release()
            else:
                _orphans.append((self._control, self._on_event, self._sink))
                warnings.warn("a tavrin.Control was dropped on another thread without "
                              "release()", ResourceWarning)
        except Exception:
            pass  # the interpreter is shutting down; the process's end frees the control

    def __repr__(self) -> str:
        if self._control is None:
            return f"<tavrin.Control {self._class_name}, released>"
        return f"<tavrin.Control {self._class_name} from {self._library.path}>"

    @property
    def library(self) -> str:
        """The path of the control library this control came from."""
        return self._library.path

    # The library's side.

    def _check(self) -> None:
        if self._control is None:
            raise ReleasedError()
        if threading.get_ident() != self._thread:
            raise WrongThreadError(None, "the control was created on another thread; it is "
                                         "called, waited for and released there only")

    def _id(self, name: str) -> int:
        if name not in self._ids:
            dispid = c_int32()
            rc = self._vtbl.GetIDOfName(self._control, name.encode("utf-8", "surrogateescape"),
                                        byref(dispid))
            if rc != 0:
                raise automation_error(438, "Object doesn't support this property or method",
                                       name)
            self._ids[name] = dispid.value
        return self._ids[name]

    def _invoke(self, name: str, kind: int, args: List[Value]) -> Value:
        self._check()
        dispid = self._id(name)
        keep: List[Any] = []
        argv = (Variant * max(len(args), 1))(*[_to_variant(a, keep, name) for a in args])
        result = Variant()
        message = c_void_p()
        rc = self._vtbl.Invoke(self._control, dispid, kind, argv, len(args), byref(result),
                               byref(message))
        if rc != 0:
            text = _capi.RETURN_CODES.get(rc, "failed")
            if message.value:
                text = ctypes.string_at(message.value).decode("utf-8", "replace")
                self._library.dll.TavrinFreeMemory(message)
            raise automation_error(rc, text, name)
        try:
            return _from_variant(result)
        finally:
            self._library.dll.TavrinVariantClear(byref(result))

    def _event(self, _context: Any, dispid: int, args: Any, argc: int) -> None:
        # Called by the library from inside a pump or an Invoke: it must not raise.
        try:
            values = tuple(_from_variant(args[k]) for k in range(argc))
            now = time.monotonic()
            if dispid == _COMPLETE:
                self._completions.append(Completion(int(values[0]) if values else 0, now))
            else:
                self._events.append((dispid, values, now))
        except Exception:
            pass

    def _pump(self, timeout: float) -> None:
        """Waits up to `timeout` seconds for this thread's notification descriptor and fires
        the events queued for its controls, each into its own control's queue."""
        fd = self._library.dll.TavrinGetNotifyFd()
        if fd < 0:
            raise LibraryError(None, "the control library has no notification descriptor")
        poller = select.poll()
        poller.register(fd, select.POLLIN)
        if poller.poll(max(0, int(timeout * 1000 + 0.999))):
            self._library.dll.TavrinPumpNotifications()

    def _default_timeout(self) -> float:
        return max(int(self.TimeoutTrans), 0) / 1000 + 5.0

