#!/usr/bin/python3
"""Press and hold on the yellow arrows: the repeat starts at the press and
ends with the hold, also when the release never reaches the button."""

import time

import harness
from harness import DIALOG_TITLE, ERROR_TITLE, MAIN_TITLE, SCREEN_H, SCREEN_W, DesktopCase, x_frame, xdo

REPEAT_S = 0.1


class Holds(DesktopCase):

    def setUp(self):
        super().setUp()
        self.proj = self.start_with_port()
        self.panel = self.acc_window(MAIN_TITLE)
        self.volume = self.find(self.panel, "Volume up")

    def frames_of(self, command):
        return [t for t, c in self.proj.frames() if c == command]

    def assert_stopped(self, command="C09"):
        """A click after the hold reaches the wire, and no repeat follows it."""
        before = len(self.proj.commands())
        self.click(self.find(self.panel, "Audio Mute On"))
        self.wait_until(lambda: "C0B" in self.proj.commands()[before:], "Audio Mute On sends C0B")
        self.quiet(1.0)
        frames = self.proj.commands()
        after = frames[before + frames[before:].index("C0B") + 1:]
        self.check(command not in after,
                   f"the hold has ended: {after.count(command)} more {command} after a later click")

    def hold(self, seconds, button=1):
        start = time.monotonic()
        self.press(self.volume, button)
        time.sleep(seconds)
        self.release(button)
        return time.monotonic() - start

    def assert_repeats(self, held):
        stamps = self.frames_of("C09")
        # One frame at the press and one a tick for as long as it was held
        # (and a tick or two more while a busy machine delivers the release).
        self.check(len(stamps) <= 3 + held / REPEAT_S, f"{len(stamps)} frames in a hold of {held:.2f} s")
        # A late tick is followed by an early one, but on average the ticks
        # keep their 100 ms: never faster.
        if len(stamps) >= 3:
            mean = (stamps[-1] - stamps[0]) / 1e6 / (len(stamps) - 1)
            self.check(mean >= 0.7 * REPEAT_S, f"repeats come every 100 ms, not every {mean * 1000:.0f} ms")
        return stamps

    def test_a_quick_press_sends_once(self):
        start = time.monotonic()
        x, y = self.centre(self.volume)
        xdo("mousemove", x, y, "mousedown", 1, "mouseup", 1)
        held = time.monotonic() - start
        self.wait_until(lambda: self.frames_of("C09"), "the press sends C09")
        self.assert_stopped()
        stamps = self.assert_repeats(held)
        self.assertGreaterEqual(len(stamps), 1)

    def test_a_one_second_hold_repeats_until_the_release(self):
        held = self.hold(1.0)
        self.assert_stopped()
        stamps = self.assert_repeats(held)
        self.check(len(stamps) >= 5, f"a 1 s hold repeats about ten times ({len(stamps)} frames)")

    def test_a_hold_with_the_right_button_repeats_as_well(self):
        held = self.hold(1.0, button=3)
        self.assert_stopped()
        stamps = self.assert_repeats(held)
        self.check(len(stamps) >= 5, f"a 1 s right-button hold repeats ({len(stamps)} frames)")

    def test_a_release_off_the_button_ends_the_hold(self):
        self.press(self.volume)
        self.wait_until(lambda: len(self.frames_of("C09")) >= 2, "the hold repeats")
        xdo("mousemove", 5, SCREEN_H - 5)  # out of the window altogether
        self.quiet(0.5)
        self.release()
        self.assert_stopped()

    def test_a_release_lost_while_minimised_ends_the_hold(self):
        self.press(self.volume)
        self.wait_until(lambda: len(self.frames_of("C09")) >= 2, "the hold repeats")
        xdo("windowminimize", "--sync", self.main)
        self.release()
        self.activate(self.main)
        self.wait_window(MAIN_TITLE)
        self.assert_stopped()

    def test_a_release_lost_while_unmapped_ends_the_hold(self):
        self.press(self.volume)
        self.wait_until(lambda: len(self.frames_of("C09")) >= 2, "the hold repeats")
        xdo("windowunmap", "--sync", self.main)
        self.release()
        xdo("windowmap", "--sync", self.main)
        self.wait_window(MAIN_TITLE)
        self.wait_until(lambda: self.showing(self.volume), "the panel shows again")
        self.assert_stopped()

    def test_a_release_lost_behind_a_modal_box_ends_the_hold(self):
        self.key(self.main, "ctrl+h")
        com = self.find(self.panel, "COM")
        self.wait_until(lambda: self.showing(com), "the COM button shows")
        self.click(com)
        dialog_win = self.wait_window(DIALOG_TITLE)
        dialog = self.acc_window(DIALOG_TITLE)
        # Out of the panel's way, so the panel's buttons can be clicked.
        main = x_frame(self.main)
        xdo("windowmove", dialog_win, min(main["x"] + main["width"] + 10, SCREEN_W - 220), 20)
        self.wait_until(lambda: self.extents(dialog)[0] >= main["x"] + main["width"], "the dialog has moved")
        self.click(self.find(dialog, "COM2", "radio button"))  # COM2 does not open
        arrow = self.find(self.panel, "Menu left")
        self.press(arrow)
        self.quiet(0.5)  # the hold runs; the port is closed, so nothing reaches the wire yet
        # An assistive technology presses OK: "Retry Comport" comes up, modal.
        self.find(dialog, "OK").queryAction().doAction(0)
        self.wait_window(ERROR_TITLE)
        self.release()
        box = self.acc_window(ERROR_TITLE)
        self.click(self.find(box, "OK"))
        self.wait_gone(ERROR_TITLE)
        self.click(self.find(dialog, "Cancel"))  # back to COM1, which opens
        self.hand_moves_on()
        self.assert_stopped("C3B")
        self.check("C3B" not in self.proj.commands(), f"the hold ended with the box: {self.proj.commands()}")


if __name__ == "__main__":
    harness.main()
