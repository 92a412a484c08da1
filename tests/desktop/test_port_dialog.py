#!/usr/bin/python3
"""The port dialog opened from the panel's COM button, again and again."""

import harness
from harness import DIALOG_TITLE, ERROR_TITLE, MAIN_TITLE, DesktopCase, xdo, x_frame

ROUNDS = 3


class FromPanel(DesktopCase):

    def setUp(self):
        super().setUp()
        self.proj = self.projector("com1")
        self.proj3 = self.projector("com3")
        self.write_settings({1: self.proj.link, 3: self.proj3.link}, com_port=1, baud=192)
        self.start()
        self.main_win = self.wait_window(MAIN_TITLE)
        self.main = self.acc_window(MAIN_TITLE)
        self.key(self.main_win, "ctrl+h")
        self.com = self.find(self.main, "COM")
        self.power_on = self.find(self.main, "Power On")

    def open_dialog(self):
        self.wait_until(lambda: self.showing(self.com), "the COM button shows")
        self.click(self.com)
        wid = self.wait_window(DIALOG_TITLE)
        return wid, self.acc_window(DIALOG_TITLE)

    def assert_one_port_open(self, proj):
        """A click on the panel reaches exactly this projector."""
        before = {id(p): len(p.commands()) for p in self.projectors}
        self.click_sends(self.power_on, proj, "C00")
        for p in self.projectors:
            if p is not proj:
                self.assertEqual(len(p.commands()), before[id(p)], f"nothing reaches {p.link}")

    def press_in_every_dialog(self, button, dialog):
        """Raises every port dialog on screen in turn and clicks its button,
        as an operator would who finds one left behind."""
        bx, by = self.centre(self.find(dialog, button))
        wx, wy, _, _ = self.extents(dialog)
        for wid in self.windows_of(DIALOG_TITLE):
            try:
                xdo("windowactivate", "--sync", wid)  # one try: it may be going
                cx, cy, _, _ = x_frame(wid)["client"]
            except (AssertionError, KeyError):
                self.assert_running()  # a program that died says so first
                raise
            self.click_at(cx + bx - wx, cy + by - wy)
            self.quiet(0.5)

    def test_ok_repeated(self):
        for _ in range(ROUNDS):
            _, dialog = self.open_dialog()
            self.click(self.find(dialog, "OK"))
            self.wait_gone(DIALOG_TITLE)
            self.assert_one_port_open(self.proj)
        self.assertEqual(self.stored(), {"ComPort": "1", "BaudRate": "192"})

    def test_ok_on_another_port_repeated(self):
        for port, proj in ((3, self.proj3), (1, self.proj), (3, self.proj3)):
            _, dialog = self.open_dialog()
            self.click(self.find(dialog, f"COM{port}", "radio button"))
            self.click(self.find(dialog, "OK"))
            self.wait_gone(DIALOG_TITLE)
            self.assert_one_port_open(proj)
            self.assertEqual(self.stored().get("ComPort"), str(port))

    def test_the_panel_takes_clicks_while_the_dialog_is_open(self):
        wid, dialog = self.open_dialog()
        self.click(self.find(self.main, "Audio Mute On"))  # the port is closed: nothing goes out
        self.wait_focus(self.main_win, "the main window took the click beside the open dialog")
        self.check(self.windows_of(DIALOG_TITLE), "the dialog stays open beside the panel")
        self.activate(wid)
        self.click(self.find(dialog, "OK"))
        self.wait_gone(DIALOG_TITLE)
        self.assert_one_port_open(self.proj)
        self.assertEqual(self.proj.commands(), ["C00"], "the click while the port was closed sent nothing")

    def test_cancel_repeated(self):
        for _ in range(ROUNDS):
            _, dialog = self.open_dialog()
            self.click(self.find(dialog, "COM3", "radio button"))
            self.click(self.find(dialog, "9600", "radio button"))
            self.click(self.find(dialog, "Cancel"))
            self.wait_gone(DIALOG_TITLE)
            self.assert_one_port_open(self.proj)
        self.assertEqual(self.stored(), {"ComPort": "1", "BaudRate": "192"})

    def test_escape_repeated(self):
        for _ in range(ROUNDS):
            wid, dialog = self.open_dialog()
            self.key(wid, "Escape")
            com2 = self.find(dialog, "COM2", "radio button")
            self.click(com2)  # handled after the key: the key is done with
            self.wait_until(lambda: self.checked(com2), "COM2 is selected")
            self.check(self.windows_of(DIALOG_TITLE), "Escape leaves the port dialog on screen")
            self.check(not self.windows_of(ERROR_TITLE), "Escape warns of nothing")
            self.click(self.find(dialog, "Cancel"))
            self.wait_gone(DIALOG_TITLE)
            self.assert_one_port_open(self.proj)

    def test_window_system_close_repeated(self):
        for _ in range(ROUNDS):
            wid, _ = self.open_dialog()
            self.window_close(wid)
            self.wait_gone(DIALOG_TITLE)
            self.click(self.power_on)  # the port is closed: nothing goes out
        _, dialog = self.open_dialog()
        self.click(self.find(dialog, "OK"))
        self.wait_gone(DIALOG_TITLE)
        self.assert_one_port_open(self.proj)
        self.assertEqual(self.proj.commands(), ["C00"], "only the click after OK reached the wire")

    def test_return_on_ok_and_on_cancel_does_what_a_click_does(self):
        # OK takes COM3; Cancel then goes back to it, whatever is chosen.
        for button, port, proj in (("OK", "COM3", self.proj3), ("Cancel", "COM1", self.proj3)):
            wid, dialog = self.open_dialog()
            self.click(self.find(dialog, port, "radio button"))
            self.focus(self.find(dialog, button))
            self.key(wid, "Return")
            self.wait_until(lambda: not self.windows_of(DIALOG_TITLE), "the dialog goes")
            # At once, within a double click's time: a screen reader's press is
            # no stray second click, and acts.
            sent = len(proj.commands())
            self.power_on.queryAction().doAction(0)
            self.wait_until(lambda: proj.commands()[sent:] == ["C00"],
                            lambda: f"the press sends C00 at once (the wire: {proj.commands()[sent:]})")
            self.hand_moves_on()
            self.assert_one_port_open(proj)

    def test_com_again_after_ok_keeps_one_dialog_and_the_program_alive(self):
        _, dialog = self.open_dialog()
        self.click(self.find(dialog, "COM3", "radio button"))
        self.click(self.find(dialog, "OK"))
        self.wait_until(lambda: self.stored().get("ComPort") == "3", "COM3 is stored")
        self.hand_moves_on()
        self.click(self.com)
        self.wait_window(DIALOG_TITLE)
        self.quiet(0.5)
        dialogs = len(self.windows_of(DIALOG_TITLE))
        self.press_in_every_dialog("OK", self.acc_window(DIALOG_TITLE))
        self.assert_running()
        self.check(dialogs == 1, f"one port dialog at a time (there were {dialogs})")
        self.wait_gone(DIALOG_TITLE)
        self.assert_one_port_open(self.proj3)

    def test_com_again_after_escape_keeps_one_dialog_and_the_program_alive(self):
        wid, dialog = self.open_dialog()
        self.key(wid, "Escape")
        self.hand_moves_on()
        self.click(self.com)
        self.wait_window(DIALOG_TITLE)
        self.quiet(0.5)
        dialogs = len(self.windows_of(DIALOG_TITLE))
        self.press_in_every_dialog("Cancel", self.acc_window(DIALOG_TITLE))
        self.assert_running()
        self.check(dialogs == 1, f"one port dialog at a time (there were {dialogs})")
        self.wait_gone(DIALOG_TITLE)
        self.assert_one_port_open(self.proj)

    def test_double_click_on_ok_or_cancel_sends_nothing(self):
        for button in ("OK", "Cancel"):
            _, dialog = self.open_dialog()
            sent = self.proj.commands()
            self.click(self.find(dialog, button), repeat=2)
            self.quiet()
            self.assertEqual(self.proj.commands(), sent, f"a double click on {button} sends nothing")
            self.wait_gone(DIALOG_TITLE)
            self.assert_one_port_open(self.proj)
        self.assertEqual(self.proj.commands(), ["C00", "C00"])


if __name__ == "__main__":
    harness.main()
