#!/usr/bin/python3
"""The program under a locale that writes decimals with a comma: numbers in
the settings file and in the OTHER field still read with a point."""

import os
import subprocess

import harness
from harness import DIALOG_TITLE, ERROR_TITLE, MAIN_TITLE, DesktopCase


class CommaLocale(DesktopCase):
    """de_DE.UTF-8, compiled into the build tree: no system locale is needed."""

    @classmethod
    def setUpClass(cls):
        cls.locales = os.path.join(harness._opts.work, "locales")
        if not os.path.isdir(os.path.join(cls.locales, "de_DE.UTF-8")):
            os.makedirs(cls.locales, exist_ok=True)
            done = subprocess.run(["localedef", "-i", "de_DE", "-f", "UTF-8",
                                   os.path.join(cls.locales, "de_DE.UTF-8")], capture_output=True, text=True)
            if done.returncode != 0:
                raise AssertionError(f"localedef could not build de_DE.UTF-8 (package locales): {done.stderr}")
        cls.env = {"LOCPATH": cls.locales, "LANG": "de_DE.UTF-8", "LC_ALL": "de_DE.UTF-8"}

    def first_run(self, port):
        self.proj = self.projector()
        self.write_settings({port: self.proj.link})
        self.start(self.env)
        self.dialog_win = self.wait_window(DIALOG_TITLE)
        self.dialog = self.acc_window(DIALOG_TITLE)
        self.other = self.find(self.dialog, "OTHER", "text")

    def ok_stores(self, port):
        self.click(self.find(self.dialog, "OK"))
        self.wait_until(lambda: self.stored() or self.windows_of(ERROR_TITLE),
                        "OK opens a port or warns")
        self.assertEqual(self.stored().get("ComPort"), str(port), "the port OTHER named opened and was stored")

    def test_a_stored_port_of_1_5_reads_as_2(self):
        proj = self.projector()
        self.write_settings({2: proj.link}, com_port="1.5", baud=192)
        self.start(self.env)
        self.wait_window(MAIN_TITLE)
        self.check(not self.windows_of(DIALOG_TITLE), "COM2 opened at start, no port dialog")
        self.click_sends(self.find(self.acc_window(MAIN_TITLE), "Power On"), proj, "C00")

    def test_other_typed_as_1_5_means_com2(self):
        self.first_run(2)
        self.type_text(self.dialog_win, "1.5")
        self.wait_until(lambda: self.text(self.other) == "1.5", "OTHER shows 1.5")
        self.ok_stores(2)

    def test_other_set_to_0_6_by_an_assistive_technology_means_com1(self):
        self.first_run(1)
        self.other.queryEditableText().setTextContents("0.6")
        self.wait_until(lambda: self.text(self.other) == "0.6", "OTHER shows 0.6")
        self.ok_stores(1)


if __name__ == "__main__":
    harness.main()
