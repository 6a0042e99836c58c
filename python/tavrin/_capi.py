"""The C interface of libtavrin.so (control/include/tavrin/Tavrin.h) in ctypes, and where the
library is found."""

import ctypes
import os
import threading
from ctypes import (CFUNCTYPE, POINTER, Structure, Union, byref, c_char_p, c_double, c_float,
                    c_int, c_int16, c_int32, c_size_t, c_uint16, c_uint32, c_void_p)
from typing import Dict, List, Optional, Tuple

from .errors import LibraryError

INTERFACE_MAJOR = 2  # TAVRIN_INTERFACE_VERSION >> 16 of the header this module follows

VT_EMPTY, VT_I2, VT_I4, VT_R4, VT_R8, VT_BSTR, VT_ERROR, VT_BOOL = 0, 2, 3, 4, 5, 8, 10, 11
VARIANT_TRUE = -1
INVOKE_METHOD, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT = 1, 2, 4

TAVRIN_OK = 0
RETURN_CODES = {
    -1: "a null pointer or a malformed argument",
    -2: "unknown name",
    -3: "no memory or descriptor for the object",
    -4: "class not available",
    -5: "a saved property stream that cannot be read",
    -6: "the registry file cannot be written",
}


class Value(Union):
    _fields_ = [("i2", c_int16), ("i4", c_int32), ("r4", c_float), ("r8", c_double),
                ("boolean", c_int16), ("scode", c_int32), ("str", c_void_p)]


class Variant(Structure):
    _fields_ = [("vt", c_uint16), ("reserved", c_uint16), ("length", c_uint32),
                ("value", Value)]


class ControlStruct(Structure):
    pass


ControlP = POINTER(ControlStruct)
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


ControlStruct._fields_ = [("vtbl", POINTER(ControlVtbl))]


class FactoryStruct(Structure):
    pass


FactoryP = POINTER(FactoryStruct)


class FactoryVtbl(Structure):
    _fields_ = [
        ("AddRef", CFUNCTYPE(c_uint32, FactoryP)),
        ("Release", CFUNCTYPE(c_uint32, FactoryP)),
        ("CreateInstance", CFUNCTYPE(c_int32, FactoryP, POINTER(ControlP))),
        ("LockServer", CFUNCTYPE(c_int32, FactoryP, c_int32)),
    ]


FactoryStruct._fields_ = [("vtbl", POINTER(FactoryVtbl))]

# name: (result type, argument types). Every one must exist in a library of this major
# version. Entry points a later minor version adds (a frame tap, say) are looked up with
# Library.optional() where they are used, so the module still works with a library that lacks
# them; their callbacks arrive through the same TavrinPumpNotifications as the events.
_ENTRY_POINTS = {
    "TavrinInterfaceVersion": (c_int, []),
    "DllGetClassObject": (c_int32, [c_char_p, POINTER(FactoryP)]),
    "TavrinGetNotifyFd": (c_int, []),
    "TavrinPumpNotifications": (c_int32, []),
    "TavrinFindConstant": (c_int32, [c_char_p, POINTER(c_int32)]),
    "TavrinGetEnumMember": (c_int32, [c_char_p, c_uint32, POINTER(c_char_p), POINTER(c_int32)]),
    "TavrinVariantClear": (None, [POINTER(Variant)]),
    "TavrinFreeMemory": (None, [c_void_p]),
}


class Library:
    """One loaded control library and its entry points."""

    def __init__(self, path: str, found_by: str):
        self.path = path
        self.found_by = found_by
        try:
            # RTLD_LOCAL: the library's symbols stay its own, as the operator program loads it.
            self.dll = ctypes.CDLL(path, mode=os.RTLD_NOW | os.RTLD_LOCAL)
        except OSError as e:
            raise LibraryError(None, f"cannot load the control library {path} ({found_by}): "
                                     f"{e}") from None
        # The version first: another major version may lack or change any other entry point.
        for name, (restype, argtypes) in _ENTRY_POINTS.items():
            fn = self.optional(name)
            if fn is None:
                raise LibraryError(None, f"{path} ({found_by}) is not the control library: it "
                                         f"has no entry point {name}")
            fn.restype, fn.argtypes = restype, argtypes
            if name == "TavrinInterfaceVersion":
                version = fn()
                self.version = (version >> 16, version & 0xFFFF)
                if self.version[0] != INTERFACE_MAJOR:
                    raise LibraryError(None, f"{path} ({found_by}) has interface version "
                                             f"{self.version[0]}.{self.version[1]}; this module "
                                             f"needs {INTERFACE_MAJOR}.x")

    def optional(self, name: str):
        """The entry point `name`, or None when this library has none."""
        try:
            return getattr(self.dll, name)
        except AttributeError:
            return None

    def factory(self, class_name: str) -> "ctypes._Pointer":
        factory = FactoryP()
        rc = self.dll.DllGetClassObject(class_name.encode("utf-8", "surrogateescape"),
                                        byref(factory))
        if rc != TAVRIN_OK or not factory:
            raise LibraryError(rc, f"class {class_name} is not available in {self.path}")
        return factory

    def constant(self, name: str) -> int:
        value = c_int32()
        rc = self.dll.TavrinFindConstant(name.encode("ascii", "replace"), byref(value))
        if rc != TAVRIN_OK:
            raise LibraryError(rc, f"no published constant named {name}")
        return value.value

    def enum_members(self, enum_name: str) -> List[Tuple[str, int]]:
        members = []
        name, value = c_char_p(), c_int32()
        while self.dll.TavrinGetEnumMember(enum_name.encode("ascii"), len(members),
                                           byref(name), byref(value)) == TAVRIN_OK:
            members.append((name.value.decode("ascii"), value.value))
        return members


_loaded: Dict[str, Library] = {}
_loaded_lock = threading.Lock()


def registry_file() -> Optional[str]:
    """$XDG_CONFIG_HOME/tavrin/registry (an absolute XDG_CONFIG_HOME only), else
    ~/.config/tavrin/registry: where the control's self-registration writes."""
    config = os.environ.get("XDG_CONFIG_HOME", "")
    if config.startswith("/"):
        return os.path.join(config, "tavrin", "registry")
    home = os.environ.get("HOME", "")
    return os.path.join(home, ".config", "tavrin", "registry") if home else None


def registered_library(class_name: str, registry: Optional[str]) -> Optional[str]:
    """The library registered for `class_name` ("name=path" lines, the name compared without
    regard to case, the first match wins), or None."""
    if not registry:
        return None
    try:
        with open(registry, "rb") as f:
            lines = f.read().decode("utf-8", "surrogateescape").splitlines()
    except OSError:
        return None
    for line in lines:
        line = line.strip()
        name, eq, path = line.partition("=")
        if line.startswith("#") or not eq or not name.strip():
            continue
        if name.strip().lower() == class_name.lower():
            return path.strip()
    return None


def _installed_library() -> Optional[str]:
    try:
        from . import _installed  # written by the install, beside this file
    except ImportError:
        return None
    return os.path.normpath(os.path.join(os.path.dirname(__file__), _installed.LIBRARY))


def _source_tree_library() -> str:
    return os.path.normpath(os.path.join(os.path.dirname(__file__), "..", "..", "build", "lib",
                                         "libtavrin.so"))


def find_library(class_name: str, library: Optional[str] = None) -> Tuple[str, str]:
    """Where the library of `class_name` is and how it was found: the path given, else
    $TAVRIN_LIBRARY, else the registry file, else the library of the install this module
    belongs to, else the build folder of the source tree it lies in, else the soname
    through the dynamic loader's search path."""
    if library:
        return library, "given"
    if os.environ.get("TAVRIN_LIBRARY"):
        return os.environ["TAVRIN_LIBRARY"], "$TAVRIN_LIBRARY"
    registry = registry_file()
    registered = registered_library(class_name, registry)
    if registered:
        return registered, f"registered for {class_name} in {registry}"
    installed = _installed_library()
    if installed:
        return installed, "installed with this module"
    source_tree = _source_tree_library()
    if os.path.exists(source_tree):
        return source_tree, "build folder of the source tree"
    return "libtavrin.so.0", "dynamic loader's search path"


def load(class_name: str, library: Optional[str] = None) -> Library:
    path, found_by = find_library(class_name, library)
    with _loaded_lock:
        key = os.path.realpath(path) if os.sep in path else path
        if key not in _loaded:
            _loaded[key] = Library(path, found_by)
        return _loaded[key]
