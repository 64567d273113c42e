#!/usr/bin/python3

# SPDX-FileCopyrightText: 2026 The Veloquill developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""The real program as a screen reader meets it: alone on an Xvfb (no tray), with Qt's AT-SPI
bridge on a private session bus, its settings window read through the accessibility tree.

Usage: accessibility_end_to_end_test.py VELOQUILL_BINARY STORE_WRITER [LANGUAGE] [unittest arguments]
LANGUAGE is one of WORDS' keys (English when left out); the program runs in that locale.
Needs Debian's Python with python3-gi and gir1.2-atspi-2.0, Xvfb, dbus-daemon, at-spi2-core.
"""
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import warnings

BINARY = sys.argv.pop(1) if len(sys.argv) > 1 else os.environ.get("VELOQUILL_BINARY", "")
# The program that writes a stored record as Veloquill's own store does.
STORE_WRITER = sys.argv.pop(1) if len(sys.argv) > 1 else os.environ.get("VELOQUILL_STORE_WRITER", "")
LANGUAGE = sys.argv.pop(1) if len(sys.argv) > 1 and not sys.argv[1].startswith("-") else "en"
XVFB_MOUSE = "0-0-Xvfb mouse-N/A"
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
SESSION_CONF = "/usr/share/dbus-1/session.conf"
# What a screen reader hears in each language: names, and patterns for the sentences, whose
# numbers carry the language's decimal separator.
WORDS = {
    "en": dict(locale="en_US.UTF-8", window="Veloquill Settings",
               none="None (No device selected)", speed="Pointer speed",
               acceleration="Pointer acceleration", factor="Precision factor",
               help="Help: {}", step=("Decrease {}", "Increase {}"),
               question=r"^Pointer speed changed\. Keep it\? Going back in \d+ s\.",
               curve="Pointer speed against hand speed",
               curve_says=r"^At slow hand speeds the pointer moves \d+\.\d\d× as far; "
                          r"at fast ones up to \d+\.\d\d×\.$",
               precision=r"^Precision mode, 0\.25× speed$",
               footer=("Quit Veloquill", "Start at login", "About Veloquill")),
    "de": dict(locale="de_DE.UTF-8", window="Veloquill-Einstellungen",
               none="Keines (kein Gerät gewählt)", speed="Zeigergeschwindigkeit",
               acceleration="Zeigerbeschleunigung", factor="Präzisionsfaktor",
               help="Hilfe: {}", step=("{} verringern", "{} erhöhen"),
               question=r"^Zeigergeschwindigkeit geändert\. Behalten\? Zurück in \d+ Sekunden\.",
               curve="Zeigergeschwindigkeit über Handgeschwindigkeit",
               curve_says=r"^Bei langsamer Hand bewegt sich der Zeiger \d+,\d\d× so weit, "
                          r"bei schneller bis zu \d+,\d\d×\.$",
               precision=r"^Präzisionsmodus, 0,25× Geschwindigkeit$",
               footer=("Veloquill beenden", "Bei der Anmeldung starten", "Über Veloquill")),
}
SAY = WORDS[LANGUAGE]
WINDOW = SAY["window"]
# A small laptop screen: the window must fit it whole.
SCREEN_SIZE = (1280, 800)
SCREEN = "%dx%dx24" % SCREEN_SIZE
NONE_CHOICE = SAY["none"]
# Without a tray the program waits this long for one before it opens its window by itself.
WINDOW_DEADLINE = 30
INTERACTIVE = {"push button", "check box", "radio button", "slider", "text", "entry",
               "password text", "toggle button", "spin button", "combo box"}
SLIDERS = {  # name: (minimum, maximum, minimum increment)
    SAY["speed"]: (0.0, 1.0, 0.01),
    SAY["acceleration"]: (0.0, 20.0, 0.1),
}

Atspi = None  # imported once the private buses exist, so that it connects to them


def wait_until(condition, seconds, interval=0.1):
    deadline = time.monotonic() + seconds
    while True:
        result = condition()
        if result or time.monotonic() > deadline:
            return result
        time.sleep(interval)


def read_line(process, seconds):
    """The first line a just-started service prints, or '' if none comes in time."""
    ready, _, _ = select.select([process.stdout], [], [], seconds)
    return process.stdout.readline().decode().strip() if ready else ""


def children(node):
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield child


def walk(node):
    yield node
    for child in children(node):
        yield from walk(child)


def has_state(node, state):
    return node.get_state_set().contains(state)


class SettingsWindowAccessibility(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not BINARY or not os.access(BINARY, os.X_OK):
            raise RuntimeError(f"no veloquill program at {BINARY!r}")
        for program in ("Xvfb", "dbus-daemon", "dbus-send", "xdotool", BUS_LAUNCHER):
            if not shutil.which(program):
                raise RuntimeError(f"{program} is missing: run scripts/setup")
        cls.home = tempfile.mkdtemp(prefix="veloquill-a11y-")
        cls.addClassCleanup(shutil.rmtree, cls.home, ignore_errors=True)
        cls.env = {k: v for k, v in os.environ.items()
                   if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                                "QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE",
                                "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS")}
        cls.env.update(XDG_CONFIG_HOME=cls.home, XDG_RUNTIME_DIR=cls.home)

        xvfb = cls.start(["Xvfb", "-displayfd", "1", "-noreset", "-nolisten", "tcp",
                          "-screen", "0", SCREEN], stdout=subprocess.PIPE)
        number = read_line(xvfb, 10)
        if not number:
            raise RuntimeError("Xvfb did not start")
        cls.env["DISPLAY"] = ":" + number

        bus = cls.start(["dbus-daemon", "--nofork", "--print-address=1",
                         "--config-file=" + SESSION_CONF], stdout=subprocess.PIPE)
        address = read_line(bus, 10)
        if not address:
            raise RuntimeError("the session bus did not start")
        cls.env["DBUS_SESSION_BUS_ADDRESS"] = address

        # Our own launcher, so that nothing outlives the test in a bus's activation.
        cls.start([BUS_LAUNCHER, "--launch-immediately"])
        if not wait_until(cls.a11y_bus_registered, 10):
            raise RuntimeError("the accessibility bus did not come up")

        os.environ.update({k: cls.env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS")})
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        global Atspi
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", ImportWarning)  # gi's importer, not ours
            import gi
            gi.require_version("Atspi", "2.0")
            from gi.repository import Atspi as module
        Atspi = module
        Atspi.init()
        cls.addClassCleanup(Atspi.exit)

        # A stored record for the screen's mouse, at the speed and acceleration it has anyway.
        record = ('{"%s":{"pointerSpeed":0.5,"pointerAcceleration":1.0,'
                  '"pointerDisableAcceleration":false}}' % XVFB_MOUSE)
        subprocess.run([STORE_WRITER,
                        "data:Veloquill_DeviceSpecificSettings_v1=" + record.encode().hex(),
                        "string:selectedDeviceID_v2_settings_state=" + XVFB_MOUSE],
                       env=cls.env, check=True, stdout=subprocess.DEVNULL)

        program_env = dict(cls.env, QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                           LANG=SAY["locale"], LANGUAGE=LANGUAGE)
        program_env.pop("LC_ALL", None)
        program_env.pop("LC_MESSAGES", None)
        cls.log = open(os.path.join(cls.home, "veloquill.log"), "w+b")
        cls.addClassCleanup(cls.log.close)
        cls.program = cls.start([BINARY], env=program_env, stdout=cls.log,
                                stderr=subprocess.STDOUT, stop_first=True)
        cls.window = wait_until(cls.find_window, WINDOW_DEADLINE, 0.25)
        if cls.window is None:
            raise RuntimeError(f'no window "{WINDOW}" in the accessibility tree\n' + cls.tail())
        # The window is built before it is shown; the keyboard reaches it once it is active.
        wait_until(lambda: has_state(cls.window, Atspi.StateType.ACTIVE), 5)
        # Where the keyboard lands once the window settles (a container may hold it first).
        on_row = lambda: (f := cls.focused()) and f.get_role_name() == "radio button" and f
        cls.first_focus = wait_until(on_row, 3) or cls.focused()

    @classmethod
    def start(cls, command, env=None, stop_first=False, **streams):
        streams.setdefault("stdout", subprocess.DEVNULL)
        streams.setdefault("stderr", subprocess.DEVNULL)
        process = subprocess.Popen(command, env=env or cls.env, start_new_session=True,
                                   stdin=subprocess.DEVNULL, **streams)
        cls.addClassCleanup(cls.stop, process, graceful=stop_first)
        return process

    @staticmethod
    def stop(process, graceful):
        # The program leaves as at a logout, restoring its devices; the services, with the
        # helpers they started, go at once.
        if graceful and process.poll() is None:
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                pass
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        process.wait()
        if process.stdout:
            process.stdout.close()

    @classmethod
    def a11y_bus_registered(cls):
        reply = subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
             "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"],
            env=cls.env, capture_output=True, text=True)
        return reply.returncode == 0 and "boolean true" in reply.stdout

    @classmethod
    def find_window(cls):
        desktop = Atspi.get_desktop(0)
        desktop.clear_cache()
        for application in children(desktop):
            if application.get_name().lower() == "veloquill":
                for window in children(application):
                    if window.get_name() == WINDOW:
                        return window
        return None

    @classmethod
    def focused(cls):
        return next((n for n in walk(cls.window) if has_state(n, Atspi.StateType.FOCUSED)), None)

    @classmethod
    def tail(cls):
        cls.log.seek(0)
        return b"\n".join(cls.log.read().splitlines()[-25:]).decode(errors="replace")

    def nodes(self, role=None, name=None):
        self.window.clear_cache()
        return [n for n in walk(self.window)
                if (role is None or n.get_role_name() == role)
                and (name is None or n.get_name() == name)]

    def only(self, role, name):
        found = self.nodes(role, name)
        seen = sorted({n.get_name() for n in self.nodes(role)})
        self.assertEqual(len(found), 1, f'one {role} "{name}" expected; {role}s: {seen}')
        return found[0]

    def choose(self, name):
        # As from the keyboard: the row takes the focus, Space selects it. (Qt's "Toggle"
        # action checks a radio button without telling its group that the user chose it.)
        choice = self.only("radio button", name)
        self.assertTrue(choice.grab_focus(), f'"{name}" did not take the focus')
        self.assertTrue(wait_until(lambda: has_state(choice, Atspi.StateType.FOCUSED), 5),
                        f'"{name}" did not take the focus')
        subprocess.run(["xdotool", "key", "space"], env=self.env, check=True)
        self.assertTrue(wait_until(lambda: has_state(choice, Atspi.StateType.CHECKED), 5),
                        f'"{name}" did not become selected')

    def test_window_is_a_frame_named_veloquill_settings(self):
        self.assertEqual(self.window.get_role_name(), "frame")
        self.assertEqual(self.window.get_name(), WINDOW)
        box = self.window.get_extents(Atspi.CoordType.SCREEN)
        self.assertTrue(box.x >= 0 and box.y >= 0 and box.x + box.width <= SCREEN_SIZE[0]
                        and box.y + box.height <= SCREEN_SIZE[1],
                        f"{box.width}x{box.height} at {box.x},{box.y} is off the screen")

    def test_help_panel_is_a_dialog_with_the_keyboard_until_escape(self):
        button = self.only("push button", SAY["help"].format(SAY["speed"]))
        self.assertTrue(button.grab_focus())
        wait_until(lambda: has_state(button, Atspi.StateType.FOCUSED), 5)
        subprocess.run(["xdotool", "key", "space"], env=self.env, check=True)

        def panel():
            application = self.window.get_parent()
            application.clear_cache()
            return next((w for w in children(application) if w.get_name() == button.get_name()
                         and has_state(w, Atspi.StateType.SHOWING)), None)
        dialog = wait_until(panel, 5)
        self.assertIsNotNone(dialog, "the help panel is not in the accessibility tree")
        self.assertEqual(dialog.get_role_name(), "dialog")
        self.assertTrue(wait_until(lambda: any(has_state(n, Atspi.StateType.FOCUSED)
                                               for n in walk(dialog)), 5),
                        "the help panel does not have the keyboard")
        subprocess.run(["xdotool", "key", "Escape"], env=self.env, check=True)
        self.assertTrue(wait_until(lambda: panel() is None, 5), "Escape left the panel open")
        self.assertTrue(wait_until(lambda: has_state(button, Atspi.StateType.FOCUSED), 5),
                        "the keyboard did not go back to the help button")

    def test_question_is_an_alert_answered_in_one_key_not_by_enter(self):
        slider = self.only("slider", SAY["speed"])
        self.assertTrue(slider.grab_focus())
        wait_until(lambda: has_state(slider, Atspi.StateType.FOCUSED), 5)
        alert = lambda: next((n for n in self.nodes("alert")
                              if has_state(n, Atspi.StateType.SHOWING)), None)
        key = lambda name: subprocess.run(["xdotool", "key", name], env=self.env, check=True)
        # key that answers, speed after
        for answer, speed in (("alt+g", 0.5), ("alt+k", 0.0)):
            with self.subTest(answer=answer):
                key("Home")
                self.assertTrue(wait_until(alert, 5), "no alert in the accessibility tree")
                self.assertRegex(alert().get_name(), SAY["question"])
                key("Return")
                time.sleep(0.3)
                self.assertIsNotNone(alert(), "Enter on the slider answered the question")
                key(answer)
                self.assertTrue(wait_until(lambda: alert() is None, 5), answer + " did not answer")
                self.assertAlmostEqual(slider.get_current_value(), speed)
        # Back to the stored speed, kept.
        slider.set_current_value(0.5)
        self.assertTrue(wait_until(alert, 5))
        key("alt+k")
        self.assertTrue(wait_until(lambda: alert() is None, 5))

    def test_sliders_report_their_values_in_units(self):
        for name, (minimum, maximum, step) in SLIDERS.items():
            with self.subTest(slider=name):
                slider = self.only("slider", name)
                reported = (slider.get_minimum_value(), slider.get_maximum_value(),
                            slider.get_minimum_increment())
                self.assertEqual(tuple(round(v, 6) for v in reported), (minimum, maximum, step),
                                 "minimum, maximum, minimum increment")
        self.assertAlmostEqual(self.only("slider", SAY["speed"]).get_current_value(), 0.5,
                               msg="the stored speed")

    def test_curve_says_how_far_the_pointer_moves(self):
        curves = self.nodes(name=SAY["curve"])
        self.assertEqual(len(curves), 1, "one curve in the window")
        self.assertRegex(curves[0].get_description(), SAY["curve_says"])

    def test_names_carry_no_isolate_marks(self):
        marked = [n.get_name() for n in self.nodes()
                  if "\u2068" in n.get_name() or "\u2069" in n.get_name()]
        self.assertEqual(marked, [])

    def test_controls_are_at_least_44_px(self):
        small = []
        for node in self.nodes():
            states = node.get_state_set()
            if (node.get_role_name() in INTERACTIVE and states.contains(Atspi.StateType.SHOWING)
                    and states.contains(Atspi.StateType.ENABLED)):
                box = node.get_extents(Atspi.CoordType.SCREEN)
                if box.width < 44 or box.height < 44:
                    small.append(f'{node.get_role_name()} "{node.get_name()}" '
                                 f"{box.width}x{box.height}")
        self.assertEqual(small, [])

    def test_precision_mode_shows_its_factor_slider_in_units_and_large_targets(self):
        def toggle():
            box = [n for n in self.nodes("check box") if re.match(SAY["precision"], n.get_name())]
            self.assertEqual(len(box), 1, "one precision mode check box")
            self.assertTrue(box[0].grab_focus())
            wait_until(lambda: has_state(box[0], Atspi.StateType.FOCUSED), 5)
            subprocess.run(["xdotool", "key", "space"], env=self.env, check=True)

        toggle()
        try:
            showing = lambda: [n for n in self.nodes("slider", SAY["factor"])
                               if has_state(n, Atspi.StateType.SHOWING)]
            self.assertTrue(wait_until(showing, 5), "the factor's slider shows while it is on")
            slider = showing()[0]
            self.assertEqual((round(slider.get_minimum_value(), 6),
                              round(slider.get_maximum_value(), 6),
                              round(slider.get_minimum_increment(), 6)), (0.05, 1.0, 0.01))
            self.assertAlmostEqual(slider.get_current_value(), 0.25, msg="one quarter")
            self.test_controls_are_at_least_44_px()
        finally:
            toggle()

    def test_controls_are_named_for_what_they_do(self):
        # One help button per slider and the speed's fine steps; without a tray, quit, start
        # at login and about.
        quit, login, about = SAY["footer"]
        buttons = [SAY["help"].format(name) for name in SLIDERS]
        for name in buttons + [step.format(SAY["speed"]) for step in SAY["step"]]:
            with self.subTest(control=name):
                self.only("push button", name)
        for role, name in (("push button", quit), ("check box", login), (None, about)):
            with self.subTest(control=name):
                self.assertTrue(self.nodes(role, name), f'no {role or "control"} "{name}"')

    def test_focus_starts_on_the_selected_device(self):
        focus = self.first_focus
        self.assertIsNotNone(focus, "nothing has the keyboard focus")
        where = [f'{n.get_role_name()} "{n.get_name()}"' for n in (focus, focus.get_parent())]
        self.assertEqual(focus.get_role_name(), "radio button", " in ".join(where))
        self.assertTrue(has_state(focus, Atspi.StateType.CHECKED), " in ".join(where))

    def test_no_device_disables_the_sliders(self):
        selected = [n.get_name() for n in self.nodes("radio button")
                    if has_state(n, Atspi.StateType.CHECKED)]
        self.choose(NONE_CHOICE)
        try:
            sliders = [s for s in self.nodes("slider") if has_state(s, Atspi.StateType.SHOWING)]
            self.assertTrue(sliders, "no sliders shown")
            wait_until(lambda: not any(has_state(s, Atspi.StateType.ENABLED) for s in sliders), 2)
            for slider in sliders:
                with self.subTest(slider=slider.get_name()):
                    for state in (Atspi.StateType.ENABLED, Atspi.StateType.SENSITIVE):
                        self.assertFalse(has_state(slider, state), state.value_nick)
        finally:
            # The other cases read the window with the device chosen again.
            for name in selected:
                if name != NONE_CHOICE:
                    self.choose(name)


if __name__ == "__main__":
    unittest.main(verbosity=2)
