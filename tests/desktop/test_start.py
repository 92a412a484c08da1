#!/usr/bin/python3
"""Start-up as the operator meets it: the first run with its port dialog, and
a start on a stored port."""

import harness
from harness import DIALOG_TITLE, ERROR_TITLE, MAIN_TITLE, DesktopCase


class FirstRun(DesktopCase):
    """Nothing stored: the port dialog comes first, modal, before the main window."""

    def setUp(self):
        super().setUp()
        self.proj = self.projector()
        self.write_settings({1: self.proj.link})
        self.start()
        self.dialog_win = self.wait_window(DIALOG_TITLE)
        self.dialog = self.acc_window(DIALOG_TITLE)
        self.check(not self.windows_of(MAIN_TITLE), "the main window waits for the port dialog")

    def choose_com1_and_ok(self):
        self.click(self.find(self.dialog, "COM1", "radio button"))
        self.click(self.find(self.dialog, "OK"))

    def assert_panel_takes_input(self):
        """The main window is on screen and a real click on it reaches the wire."""
        wid = self.wait_window(MAIN_TITLE)
        main = self.acc_window(MAIN_TITLE)
        self.click_sends(self.find(main, "Power On"), self.proj, "C00")
        self.wait_focus(wid, "the main window took the click")

    def dismiss_warning(self):
        self.wait_window(ERROR_TITLE)
        box = self.acc_window(ERROR_TITLE)
        self.find(box, "Retry Comport", "label")
        self.click(self.find(box, "OK"))
        self.wait_gone(ERROR_TITLE)

    def test_ok_opens_the_port_stores_it_and_closes_the_dialog(self):
        self.choose_com1_and_ok()
        self.wait_gone(DIALOG_TITLE)
        self.assertEqual(self.stored(), {"ComPort": "1", "BaudRate": "192"})
        self.assert_panel_takes_input()

    def test_ok_with_nothing_chosen_warns_and_the_dialog_stays(self):
        self.click(self.find(self.dialog, "OK"))
        self.dismiss_warning()
        self.check(self.windows_of(DIALOG_TITLE), "the port dialog stays after the warning")
        self.check(not self.windows_of(MAIN_TITLE), "the main window still waits")
        self.assertEqual(self.stored(), {})
        self.choose_com1_and_ok()
        self.wait_gone(DIALOG_TITLE)
        self.assert_panel_takes_input()

    def test_cancel_warns_and_a_port_can_still_be_chosen(self):
        self.click(self.find(self.dialog, "Cancel"))
        self.dismiss_warning()
        self.check(self.windows_of(DIALOG_TITLE), "the port dialog stays after Cancel's warning")
        self.assertEqual(self.stored(), {})
        self.choose_com1_and_ok()
        self.wait_gone(DIALOG_TITLE)
        self.assert_panel_takes_input()

    def test_other_set_by_an_assistive_technology_is_what_ok_uses(self):
        other = self.find(self.dialog, "OTHER", "text")
        other.queryEditableText().setTextContents("16")
        self.wait_until(lambda: self.text(other) == "0", "OTHER set to 16 goes back to 0")
        other.queryEditableText().setTextContents("1")
        self.wait_until(lambda: self.text(other) == "1", "OTHER shows 1")
        self.click(self.find(self.dialog, "OK"))
        self.wait_until(lambda: self.stored() or self.windows_of(ERROR_TITLE), "OK opens a port or warns")
        self.assertEqual(self.stored(), {"ComPort": "1", "BaudRate": "192"}, "OK opened the port OTHER shows")

    def test_escape_does_nothing(self):
        self.key(self.dialog_win, "Escape")
        # The click after the key proves the key has been handled.
        com2 = self.find(self.dialog, "COM2", "radio button")
        self.click(com2)
        self.wait_until(lambda: self.checked(com2), "COM2 is selected")
        self.check(self.windows_of(DIALOG_TITLE), "Escape leaves the port dialog on screen")
        self.check(not self.windows_of(ERROR_TITLE), "Escape warns of nothing")
        self.check(not self.windows_of(MAIN_TITLE), "Escape does not end start-up")
        self.assertEqual(self.stored(), {})
        self.choose_com1_and_ok()
        self.wait_gone(DIALOG_TITLE)
        self.assert_panel_takes_input()

    def test_window_system_close_shows_the_main_window_with_the_port_closed(self):
        self.window_close(self.dialog_win)
        self.wait_gone(DIALOG_TITLE)
        self.wait_window(MAIN_TITLE)
        main = self.acc_window(MAIN_TITLE)
        self.click(self.find(main, "Power On"))
        self.assertEqual(self.stored(), {})
        # The notice names the way to COM, which the collapsed window hides.
        notice = self.find(main, "Not sent: the port is closed. Press Ctrl+H, then COM to choose a port.", "label")
        # Reopen a port through COM; only the click after it reaches the wire.
        self.key(self.wait_window(MAIN_TITLE), "ctrl+h")
        self.wait_until(lambda: self.text(notice) == "Not sent: the port is closed. Press COM to choose a port.",
                        lambda: f"the expanded window's notice sends the operator to COM ({self.text(notice)!r})")
        self.click(self.find(main, "COM"))
        self.wait_window(DIALOG_TITLE)
        self.dialog = self.acc_window(DIALOG_TITLE)
        self.choose_com1_and_ok()
        self.wait_gone(DIALOG_TITLE)
        self.click_sends(self.find(main, "Power On"), self.proj, "C00")
        self.assertEqual(self.proj.commands(), ["C00"], "the click while the port was closed sent nothing")

    def test_double_click_on_ok_sends_nothing(self):
        self.click(self.find(self.dialog, "COM1", "radio button"))
        self.click(self.find(self.dialog, "OK"), repeat=2)
        self.quiet()
        self.assertEqual(self.proj.commands(), [], "the double click on OK sends nothing")
        self.wait_gone(DIALOG_TITLE)
        self.assert_panel_takes_input()
        self.assertEqual(self.proj.commands(), ["C00"], "the double click on OK sent nothing")


class StoredStart(DesktopCase):

    def test_a_stored_port_opens_without_the_dialog(self):
        proj = self.start_with_port()
        self.check(not self.windows_of(DIALOG_TITLE), "no port dialog on a stored port")
        self.click_sends(self.find(self.acc_window(MAIN_TITLE), "Power On"), proj, "C00")

    def test_a_stored_port_that_does_not_open_brings_the_dialog_saying_why(self):
        proj = self.projector()
        self.write_settings({1: proj.link}, com_port=2, baud=96)
        self.start()
        dialog_win = self.wait_window(DIALOG_TITLE)
        self.check(not self.windows_of(MAIN_TITLE), "the main window waits for the port dialog")
        dialog = self.acc_window(DIALOG_TITLE)
        # Why, in red at its foot, within the dialog's own size; all of it for
        # a screen reader; and the same in the box when OK tries it again.
        absent = f"COM2 ({self.dir}/absent-com2): "
        line = self.find(dialog, "COM2: No such file or directory", "label")
        self.check(line.description.startswith(absent), f"the red line's description is {line.description!r}")
        x, y, w, h = self.extents(line)
        frame = harness.x_frame(dialog_win)["client"]
        self.check(frame[2:] == (207, 267) and x + w <= frame[0] + frame[2] and y + h <= frame[1] + frame[3],
                   f"the red line {(x, y, w, h)} lies within the unchanged dialog {frame}")
        self.click(self.find(dialog, "OK"))
        self.wait_window(ERROR_TITLE)
        box = self.acc_window(ERROR_TITLE)
        self.find(box, "Retry Comport", "label")
        self.find(box, absent + "No such file or directory", "label")
        self.click(self.find(box, "OK"))
        self.wait_gone(ERROR_TITLE)
        self.click(self.find(dialog, "COM1", "radio button"))
        self.click(self.find(dialog, "OK"))
        self.wait_gone(DIALOG_TITLE)
        self.assertEqual(self.stored(), {"ComPort": "1", "BaudRate": "96"})


if __name__ == "__main__":
    harness.main()
