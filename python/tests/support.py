"""Test support: a dlcsim serving a port of its own, and the paths ctest hands over."""

import itertools
import os
import select
import shutil
import signal
import subprocess
import tempfile
import time
from typing import List, Optional

import tavrin

DLCSIM = os.environ.get("TAVRIN_TEST_DLCSIM", "")
LIBRARY = os.environ.get("TAVRIN_TEST_LIBRARY", "")
OTHER_VERSION = os.environ.get("TAVRIN_TEST_OTHER_VERSION", "")

_sequence = itertools.count()


def _letters(value: int) -> str:
    text = ""
    while True:
        text += chr(ord("a") + value % 26)
        value //= 26
        if value == 0:
            return text


class PortsFolder:
    """A ports folder of its own ($TAVRIN_PORTS) and a port prefix no other process uses:
    the named objects of port sharing are system-wide."""

    def __init__(self, prefix_head: str = "PY"):
        self.path = tempfile.mkdtemp(prefix="tavrin-py-ports-")
        os.environ["TAVRIN_PORTS"] = self.path
        self.prefix = f"{prefix_head}{_letters(os.getpid())}x{_letters(next(_sequence))}P"

    def remove(self) -> None:
        shutil.rmtree(self.path, ignore_errors=True)


class Simulator:
    """A dlcsim linked as <prefix>1 in a ports folder; the ready line is awaited with a
    deadline."""

    def __init__(self, ports: PortsFolder, *args: str, number: int = 1):
        self.name = f"{ports.prefix}{number}"
        env = dict(os.environ, TAVRIN_PORTS=ports.path)
        # A sanitizer runtime preloaded for the interpreter must not reach an instrumented
        # simulator.
        env.pop("LD_PRELOAD", None)
        self.proc = subprocess.Popen([DLCSIM, "--link", self.name, *args],
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=env)
        line = self._line(deadline=20.0)
        if " -> " not in line:
            self.stop()
            raise RuntimeError(f"dlcsim did not get ready: {line!r}")

    def _line(self, deadline: float) -> str:
        end = time.monotonic() + deadline
        data = b""
        while not data.endswith(b"\n"):
            left = end - time.monotonic()
            if left <= 0 or not select.select([self.proc.stdout], [], [], left)[0]:
                break
            chunk = os.read(self.proc.stdout.fileno(), 1)
            if not chunk:
                break
            data += chunk
        return data.decode("utf-8", "replace")

    def stop(self) -> str:
        """Ends the simulator and returns the rest of its output (its frame summary)."""
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
        out, _ = self.proc.communicate(timeout=20)
        return out.decode("utf-8", "replace")

    @staticmethod
    def answered(output: str) -> Optional[int]:
        for line in output.splitlines():
            if line.startswith("dlcsim: frames received"):
                return int(line.split("answered ")[1].split(",")[0])
        return None


def settings(ports: PortsFolder, **extra) -> dict:
    """The properties of a read of cell 1's measured value on <prefix>1 at dlcsim's line
    settings, with `extra` on top."""
    props = dict(library=LIBRARY, AdapterPrefix=ports.prefix, Adapter=1,
                 CommSettings="38400,E,8,1", NodeAddress="1", TimeoutTrans=1000,
                 Function=tavrin.FUNC_MB_READ_INPUT_REGISTERS,
                 MemStart="30001", MemQty=2)
    props.update(extra)
    return props


def args_of(values: List[float]) -> List[str]:
    return ["--value", ",".join(str(v) for v in values)]
