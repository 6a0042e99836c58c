"""The tavrin module against the real library and dlcsim on a pseudo-terminal."""

import json
import math
import os
import struct
import subprocess
import sys
import tempfile
import textwrap
import threading
import unittest

import tavrin

from support import LIBRARY, OTHER_VERSION, PortsFolder, Simulator, args_of, settings


class TwoCells(unittest.TestCase):
    """Two cells with fixed values (104.5 and -3.25) on a port of the test's own."""

    def setUp(self):
        self.ports = PortsFolder()
        self.bus = Simulator(self.ports, "--cells", "2", *args_of([104.5, -3.25]))

    def tearDown(self):
        self.bus.stop()
        self.ports.remove()


class OnTheBus(TwoCells):
    """Reads, writes and refusals on the two cells."""

    def test_read_gives_result_0_and_the_value(self):
        with tavrin.Control(**settings(self.ports, NodeAddress="2")) as cell:
            self.assertEqual(cell.refresh(), 0)
            self.assertEqual(cell.Result, tavrin.RES_AX_SUCCESS)
            self.assertEqual(cell.ResultString, "Successful transaction!")
            self.assertEqual(cell.DataFloatSwap[0], -3.25)
            self.assertEqual(struct.pack(">i", cell.DataLongSwap[0]), struct.pack(">f", -3.25))
            self.assertFalse(cell.Busy)
        self.assertEqual(Simulator.answered(self.bus.stop()), 1)

    def test_outcomes_are_results_not_exceptions(self):
        # (what is changed, Result): a reply with an exception code, a slave that never
        # answers, a port with nothing behind it.
        cases = [
            (dict(MemStart="30200"), tavrin.RES_MB_ILLEGAL_DATA_ADDRESS),
            (dict(NodeAddress="9", TimeoutTrans=200), tavrin.RES_AX_COMM_TIMEOUT),
            (dict(Adapter=2), tavrin.RES_AX_COMM_OPEN),
        ]
        for change, result in cases:
            with self.subTest(change=change), tavrin.Control(**settings(self.ports,
                                                                        **change)) as cell:
                self.assertEqual(cell.refresh(), result)
                self.assertEqual(cell.Result, result)
                self.assertNotEqual(cell.ResultString, "Successful transaction!")

    def test_no_complete_within_the_time_out_raises_and_the_late_one_still_comes(self):
        with tavrin.Control(**settings(self.ports, NodeAddress="9", TimeoutTrans=3000)) as cell:
            with self.assertRaises(tavrin.TavrinTimeout) as raised:
                cell.refresh(timeout=0.05)
            self.assertIsInstance(raised.exception, TimeoutError)
            self.assertTrue(cell.Busy)
            # Refused while busy: at once, without an event.
            self.assertEqual(cell.refresh(), tavrin.RESULT_DEVICE_BUSY)
            self.assertEqual(cell.wait(timeout=20).result, tavrin.RES_AX_COMM_TIMEOUT)
            self.assertFalse(cell.Busy)

    def test_a_disabled_control_never_completes_and_the_time_out_says_why(self):
        with tavrin.Control(**settings(self.ports, Enabled=False)) as cell:
            with self.assertRaisesRegex(tavrin.TavrinTimeout, "Enabled is False"):
                cell.refresh(timeout=0.05)

    def test_auto_poll_yields_each_completion_and_leaves_the_control_idle(self):
        with tavrin.Control(**settings(self.ports)) as cell:
            seen = [(done.ok, cell.DataFloatSwap[0], done.time)
                    for done in cell.auto_poll(20, count=4, timeout=20)]
            self.assertEqual([s[:2] for s in seen], [(True, 104.5)] * 4)
            self.assertEqual(sorted(s[2] for s in seen), [s[2] for s in seen])
            self.assertFalse(cell.AutoPollEnabled)
            self.assertFalse(cell.Busy)
            # Leaving the loop early stops the polling just the same.
            for _ in cell.auto_poll(20, timeout=20):
                break
            self.assertFalse(cell.AutoPollEnabled)
            self.assertEqual(cell.refresh(), 0)  # a busy control would refuse with 1792

    def test_two_controls_on_one_port_each_get_their_own_completion(self):
        with tavrin.Control(**settings(self.ports)) as one, \
                tavrin.Control(**settings(self.ports, NodeAddress="2")) as two:
            one.start()
            two.start()
            # Waiting for the second fires the first's event too, into its own queue.
            self.assertEqual(two.wait(timeout=20).result, 0)
            self.assertEqual(one.wait(timeout=20).result, 0)
            self.assertEqual(one.DataFloatSwap[0], 104.5)
            self.assertEqual(two.DataFloatSwap[0], -3.25)
        self.assertEqual(Simulator.answered(self.bus.stop()), 2)


class NonAsciiPrefix(unittest.TestCase):
    def test_a_port_name_with_a_japanese_prefix_is_reached(self):
        ports = PortsFolder(prefix_head="ポート")
        bus = Simulator(ports, *args_of([7.5]))
        try:
            with tavrin.Control(**settings(ports)) as cell:
                self.assertEqual(cell.AdapterPrefix, ports.prefix)
                self.assertEqual(cell.refresh(), 0)
                self.assertEqual(cell.DataFloatSwap[0], 7.5)
        finally:
            bus.stop()
            ports.remove()

    def test_text_that_is_not_utf8_comes_back_as_it_went_in(self):
        name = os.fsdecode(b"P\xff")  # a lone byte of a file name, as Python decodes it
        with tavrin.Control(library=LIBRARY) as cell:
            cell.AdapterPrefix = name
            self.assertEqual(cell.AdapterPrefix, name)


class Properties(unittest.TestCase):
    def setUp(self):
        self.cell = tavrin.Control(library=LIBRARY)

    def tearDown(self):
        self.cell.release()

    def test_defaults_by_attribute_and_by_name(self):
        c = self.cell
        self.assertEqual((c.Adapter, c.AdapterPrefix, c.CommSettings, c.Function, c.MemStart,
                          c.NodeAddress, c.TimeoutTrans, c.AutoPollEnabled),
                         (1, "COM", "9600,E,8,1", 1, "40001", "1", 150, False))
        c.set("memstart", "30001")  # names in any case, as late-bound hosts call them
        self.assertEqual(c.get("MemStart"), "30001")
        c.CommSettings = "38400,o,8,1"
        self.assertEqual(c.CommSettings, "38400,O,8,1")

    def test_refused_writes_raise_with_the_automation_number_and_keep_the_value(self):
        # (property, value, number, message or None)
        cases = [
            ("Function", 9, 20002, "Illegal value specified for Function property!"),
            ("CommSettings", "9600,X,8,1", 20004, "Invalid Comm Port Settings!"),
            ("AutoPollInterval", 32001, 20011, "AutoPollInterval property must be in range "
                                               "0..32000!"),
            ("Result", 5, 383, None),
            ("Adapter", 2**40, 6, None),
            ("Adapter", object(), 13, None),
        ]
        for name, value, number, message in cases:
            with self.subTest(name=name, value=value):
                before = self.cell.get(name)
                with self.assertRaises(tavrin.TavrinError) as raised:
                    setattr(self.cell, name, value)
                self.assertEqual(raised.exception.number, number)
                self.assertEqual(raised.exception.member, name)
                if message:
                    self.assertEqual(raised.exception.message, message)
                self.assertIn(str(number), str(raised.exception))
                self.assertEqual(self.cell.get(name), before)

    def test_an_unknown_member_is_error_438_and_an_attribute_error(self):
        with self.assertRaises(tavrin.MemberNotFound) as raised:
            self.cell.MemStrat = "30001"
        self.assertEqual(raised.exception.number, 438)
        self.assertIsInstance(raised.exception, AttributeError)
        self.assertFalse(hasattr(self.cell, "NoSuchThing"))
        with self.assertRaises(tavrin.MemberNotFound):
            self.cell.call("NoSuchMethod")

    def test_data_views_share_one_area(self):
        c = self.cell
        c.DataLong[0] = 65538
        self.assertEqual(c.DataWord[0:2], [2, 1])
        self.assertEqual(c.DataLongSwap[0], 131073)
        c.DataFloatSwap[1] = 1.0
        self.assertEqual(c.DataWord[2:4], [0x3F80, 0])
        self.assertEqual(c.call("GetDataFloatSwapM", 1), 1.0)
        c.DataWord[4] = 0x1234
        self.assertEqual(c.DataByte[8:10], [0x34, 0x12])
        self.assertEqual([c.DataBit[64 + k] for k in range(3)], [False, False, True])
        self.assertEqual(c.DataWordBCD[4], 1234)
        c.DataWord[5:8] = [7, -1, 3]
        self.assertEqual(c.DataWord[5:8], [7, -1, 3])
        c.DataFloat[10] = math.pi
        self.assertAlmostEqual(c.DataFloat[10], math.pi, places=6)
        self.assertEqual(len(list(c.DataLong)), 63)  # iteration ends at the first bad index
        with self.assertRaises(tavrin.IndexOutOfRange) as raised:
            c.DataLong[63]
        self.assertEqual(raised.exception.number, 381)
        self.assertEqual(raised.exception.message, "DataLong array index must be in range 0..63!")
        with self.assertRaises(IndexError):
            c.DataWord[-1] = 0
        with self.assertRaises(ValueError):
            c.DataWord[0:2] = [1]

    def test_published_tables_match_the_library(self):
        library = tavrin._load(tavrin.DEFAULT_CLASS, LIBRARY)
        for enum_name, enum in tavrin.enums.PUBLISHED.items():
            with self.subTest(enum=enum_name):
                self.assertEqual(library.enum_members(enum_name),
                                 [(name, int(member)) for name, member in
                                  enum.__members__.items()])
        self.assertEqual(tavrin.constant("res_ax_comm_timeout", LIBRARY), 256)


class Lifetime(unittest.TestCase):
    def test_releasing_twice_does_nothing_and_later_use_raises(self):
        cell = tavrin.Control(library=LIBRARY)
        cell.release()
        cell.release()
        with cell:
            pass
        for use in (lambda: cell.Adapter, lambda: cell.refresh(), lambda: cell.DataWord[0],
                    lambda: cell.set("Adapter", 2)):
            with self.assertRaises(tavrin.ReleasedError):
                use()
        self.assertIn("released", repr(cell))

    def test_another_thread_is_refused(self):
        cell = tavrin.Control(library=LIBRARY)
        raised = []
        worker = threading.Thread(target=lambda: self._call(cell, raised))
        worker.start()
        worker.join()
        self.assertEqual(raised, [tavrin.WrongThreadError, tavrin.WrongThreadError])
        self.assertEqual(cell.Adapter, 1)
        cell.release()

    @staticmethod
    def _call(cell, raised):
        for call in (lambda: cell.Adapter, cell.release):
            try:
                call()
            except tavrin.TavrinError as e:
                raised.append(type(e))

    def test_properties_given_at_creation_are_set_in_order(self):
        with tavrin.Control(library=LIBRARY, Adapter=7, MemStart="30001") as cell:
            self.assertEqual((cell.Adapter, cell.MemStart), (7, "30001"))
        with self.assertRaises(tavrin.TavrinError):
            tavrin.Control(library=LIBRARY, Function=9)


def run_child(code: str, **names) -> subprocess.CompletedProcess:
    """Runs `code` in a fresh interpreter with `names` defined (through JSON), so that a fault
    that ends the process fails one test instead of the whole run."""
    head = "import json\n" + "".join(f"{name} = json.loads({json.dumps(value)!r})\n"
                                      for name, value in names.items())
    return subprocess.run([sys.executable, "-c", head + textwrap.dedent(code)],
                          capture_output=True, text=True, timeout=120)


class CallbacksTheLibraryHolds(TwoCells):
    """The library calls back into Python from the pumps of the creating thread: whatever it
    holds stays alive however the Python objects are dropped."""

    def test_a_tap_that_is_not_kept_goes_on_until_it_is_replaced(self):
        child = run_child("""
            import gc, tavrin
            seen = []
            tavrin.FrameTap(lambda f: seen.append(f.sent), library=props["library"])
            gc.collect()
            with tavrin.Control(**props) as cell:
                print(cell.refresh(), seen)
            tavrin.FrameTap(lambda f: None, library=props["library"]).close()
            gc.collect()
            with tavrin.Control(**props) as cell:
                print(cell.refresh(), seen)
            """, props=settings(self.ports))
        self.assertEqual((child.returncode, child.stdout),
                         (0, "0 [True, False]\n0 [True, False]\n"), child.stderr)

    def test_closing_a_tap_leaves_the_one_that_replaced_it(self):
        first, second = [], []
        older = tavrin.FrameTap(first.append, library=LIBRARY)
        newer = tavrin.FrameTap(second.append, library=LIBRARY)
        older.close()
        with tavrin.Control(**settings(self.ports)) as cell:
            self.assertEqual(cell.refresh(), 0)
            self.assertEqual((len(first), [f.sent for f in second]), (0, [True, False]))
            # Another thread cannot take this thread's tap away.
            raised = []
            worker = threading.Thread(target=lambda: self._close(newer, raised))
            worker.start()
            worker.join()
            self.assertEqual(raised, [tavrin.WrongThreadError])
            self.assertEqual(cell.refresh(), 0)
            self.assertEqual(len(second), 4)
            newer.close()
            newer.close()
            self.assertEqual(cell.refresh(), 0)
            self.assertEqual(len(second), 4)

    @staticmethod
    def _close(tap, raised):
        try:
            tap.close()
        except tavrin.TavrinError as e:
            raised.append(type(e))

    def test_a_control_dropped_on_another_thread_never_reaches_a_later_one(self):
        # The dropped control's read (of a node that never answers) ends while the later
        # control's read of the same port waits for the line, so its Complete comes first.
        child = run_child("""
            import gc, threading, warnings, tavrin
            warnings.simplefilter("ignore")
            dropped = tavrin.Control(**dict(props, NodeAddress="9", TimeoutTrans=300))
            dropped.start()
            holder = [dropped]
            del dropped
            def drop():
                holder.clear()
                gc.collect()
            worker = threading.Thread(target=drop)
            worker.start()
            worker.join()
            with tavrin.Control(**props) as later:
                print(later.refresh(timeout=20), later.DataFloatSwap[0])
                try:
                    print("also", later.wait(timeout=0))
                except tavrin.TavrinTimeout:
                    print("nothing else")
            """, props=settings(self.ports))
        self.assertEqual((child.returncode, child.stdout), (0, "0 104.5\nnothing else\n"),
                         child.stderr)


class Library(unittest.TestCase):
    def test_libraries_that_cannot_be_used(self):
        missing = os.path.join(tempfile.gettempdir(), "no-such-dir", "libtavrin.so")
        cases = [
            (missing, "cannot load the control library " + missing),
            (OTHER_VERSION, r"interface version 3\.\d+; this module needs 2\.x"),
            ("libm.so.6", "is not the control library: it has no entry point"),
        ]
        for path, message in cases:
            with self.subTest(path=path):
                with self.assertRaisesRegex(tavrin.LibraryError, message):
                    tavrin.Control(library=path)

    def test_a_class_the_library_does_not_have(self):
        with self.assertRaises(tavrin.LibraryError) as raised:
            tavrin.Control("Grolle.PlinthBtn", library=LIBRARY)
        self.assertEqual(raised.exception.number, -4)
        with tavrin.Control("tavrin.tavrinctrl.1", library=LIBRARY):
            pass  # the ProgID, in any case

    def test_where_the_library_is_found(self):
        saved = {k: os.environ.get(k) for k in ("TAVRIN_LIBRARY", "XDG_CONFIG_HOME")}
        with tempfile.TemporaryDirectory() as config:
            os.makedirs(os.path.join(config, "tavrin"))
            with open(os.path.join(config, "tavrin", "registry"), "w") as f:
                f.write("# TAVRINLib.TAVRIN=/commented\nother=/x\n"
                        " tavrinlib.tavrin = /registered/libtavrin.so \n")
            try:
                os.environ["XDG_CONFIG_HOME"] = config
                os.environ.pop("TAVRIN_LIBRARY", None)
                self.assertEqual(tavrin.find_library(), "/registered/libtavrin.so")
                # Only the type-library name is registered there.
                self.assertNotIn("registered", tavrin._capi.find_library("TAVRIN.TAVRINCtrl.1")[1])
                os.environ["TAVRIN_LIBRARY"] = "/env/libtavrin.so"
                self.assertEqual(tavrin.find_library(), "/env/libtavrin.so")
                self.assertEqual(tavrin.find_library(library="/given.so"), "/given.so")
            finally:
                for k, v in saved.items():
                    if v is None:
                        os.environ.pop(k, None)
                    else:
                        os.environ[k] = v


if __name__ == "__main__":
    unittest.main()
