"""The frame tap: every frame the calling thread's controls put on the line, and every reply."""

import datetime
import threading
from ctypes import (CFUNCTYPE, POINTER, Structure, byref, c_char_p, c_int32, c_int64, c_uint8,
                    c_uint16, c_uint32, c_uint64, c_void_p)
from typing import Callable, NamedTuple, Optional

from . import _capi
from ._control import DEFAULT_CLASS
from .errors import LibraryError, WrongThreadError

# Tavrin.h: direction and flags of a frame.
FRAME_SENT, FRAME_RECEIVED = 1, 2
FRAME_BROADCAST, FRAME_TIMEOUT, FRAME_ASCII, FRAME_TRUNCATED = 0x1, 0x2, 0x4, 0x8


class _FrameStruct(Structure):
    _fields_ = [("timeUs", c_int64), ("sequence", c_uint64), ("bytes", POINTER(c_uint8)),
                ("port", c_char_p), ("resultText", c_char_p), ("length", c_uint32),
                ("result", c_int32), ("direction", c_uint16), ("flags", c_uint16),
                ("node", c_uint16), ("function", c_uint16)]


_FrameFn = CFUNCTYPE(None, c_void_p, POINTER(_FrameStruct))


class _TapStruct(Structure):
    _fields_ = [("context", c_void_p), ("OnFrame", _FrameFn)]


class Frame(NamedTuple):
    """One frame on the line, as the control wrote or read it."""
    time_us: int       # system clock, microseconds since 1970-01-01 UTC
    sequence: int      # 1, 2, ... per thread, in line order (a gap: frames were dropped)
    port: str          # "COM5"
    sent: bool         # written to the line; False: read from it
    timeout: bool      # a reply that did not come whole in time (data: what had arrived)
    broadcast: bool
    ascii: bool        # ASCII framing: data holds its characters
    truncated: bool    # more arrived than the 1024 bytes kept
    node: int          # the request's slave address
    function: int      # the request's Modbus function code
    data: bytes
    result: int        # sent: 0 or the write's failure; received: the transaction's Result
    result_text: str

    @property
    def time(self) -> datetime.datetime:
        return datetime.datetime.fromtimestamp(self.time_us / 1e6)

    def __str__(self) -> str:
        stamp = self.time.strftime("%Y-%m-%d %H:%M:%S.") + f"{self.time_us % 1_000_000:06d}"
        direction = "sent" if self.sent else "timeout" if self.timeout else "received"
        return (f"{stamp} #{self.sequence} {self.port} {direction:<8} node {self.node} "
                f"fn {self.function} | {self.data.hex(' ').upper()} | {self.result} "
                f"{self.result_text}")


def _copy(f: _FrameStruct) -> Frame:
    # The structure is valid only during the call.
    text = lambda raw: raw.decode("utf-8", "replace") if raw else ""  # noqa: E731
    return Frame(f.timeUs, f.sequence, text(f.port), f.direction == FRAME_SENT,
                 bool(f.flags & FRAME_TIMEOUT), bool(f.flags & FRAME_BROADCAST),
                 bool(f.flags & FRAME_ASCII), bool(f.flags & FRAME_TRUNCATED), f.node,
                 f.function, bytes(f.bytes[:f.length]) if f.length else b"", f.result,
                 text(f.resultText))


# The tap each loaded library calls on this thread, by its handle. The library keeps only a pointer
# to the callback, so the tap is held here, not by its creator: one that is dropped unclosed
# goes on until this thread sets another (or ends), and is never freed under the library.
_current = threading.local()


def _taps() -> dict:
    taps = getattr(_current, "taps", None)
    if taps is None:
        taps = _current.taps = {}
    return taps


class FrameTap:
    """Hands `callback` every frame of the controls created on this thread, from inside their
    waits (``refresh``, ``wait``, ``auto_poll``), in line order; a transaction's frames come
    before its Complete. Registered on creation, removed by ``close()`` (on the same thread)
    or at the end of a ``with`` block. A thread has one tap: a new one replaces it, and closing
    the replaced one changes nothing. Without a tap the library records nothing::

        with tavrin.FrameTap(print), tavrin.Control(Adapter=5, ...) as cell:
            cell.refresh()
    """

    def __init__(self, callback: Callable[[Frame], None], *, library: Optional[str] = None,
                 class_name: str = DEFAULT_CLASS):
        self._library = _capi.load(class_name, library)
        self._set = self._library.optional("TavrinSetFrameTap")
        self._dropped = self._library.optional("TavrinGetFramesDropped")
        if self._set is None or self._dropped is None:
            raise LibraryError(None, f"{self._library.path} has no frame tap (interface "
                                     f"{self._library.version[0]}.{self._library.version[1]})")
        self._set.restype, self._set.argtypes = c_int32, [POINTER(_TapStruct)]
        self._dropped.restype, self._dropped.argtypes = c_uint64, []
        self._callback = callback

        def on_frame(_context, frame):
            # Called from inside the library's pump: it must not raise.
            try:
                self._callback(_copy(frame.contents))
            except Exception:
                pass

        self._on_frame = _FrameFn(on_frame)
        self._tap = _TapStruct(None, self._on_frame)
        self._thread = threading.get_ident()
        self._open = False
        rc = self._set(byref(self._tap))
        if rc != 0:
            raise LibraryError(rc, "the frame tap cannot be set on this thread")
        self._open = True
        # The one it replaces is not called again and may go.
        _taps()[self._library.dll._handle] = self

    @property
    def dropped(self) -> int:
        """Frames this thread's tap lost because too many waited for a pump."""
        return int(self._dropped())

    def close(self) -> None:
        """Removes the tap, if it is still this thread's; frames still waiting are dropped.
        Closing a closed tap does nothing."""
        if threading.get_ident() != self._thread:
            raise WrongThreadError(None, "a frame tap is closed on the thread that set it")
        if not self._open:
            return
        self._open = False
        taps = _taps()
        if taps.get(self._library.dll._handle) is self:
            self._set(None)
            del taps[self._library.dll._handle]

    def __enter__(self) -> "FrameTap":
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()
