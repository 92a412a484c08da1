#!/usr/bin/python3
"""Every panel button once by the real mouse, and the keys on a focused button."""

import time

import harness
from harness import DesktopCase, xdo

# Accessible name of each button that sends, and the frame it puts on the wire.
CLICK_BUTTONS = [
    ("Power On", "C00"), ("Power Off", "C01"),
    ("Computer 1 Computer1", "C05"), ("Computer 1 Analog RGB", "C50"), ("Computer 1 Component", "C54"),
    ("Computer 1 S-video", "C34"), ("Computer 1 Scart", "C51"),
    ("Power Management Ready", "C2A"), ("Power Management Off", "C2B"),
    ("Power Management Shut down", "C2E"),
    ("Computer 2 Analog RGB", "C06"), ("Video Video", "C07"),
    ("Screen Normal", "C0F"), ("Screen Wide", "C10"),
    ("Audio Mute On", "C0B"), ("Audio Mute Off", "C0C"), ("Video Mute On", "C0D"), ("Video Mute Off", "C0E"),
    ("Freeze On", "C43"), ("Freeze Off", "C44"), ("On Start Enable", "C28"), ("On Start Disable", "C29"),
    ("Lamp Mode High", "CF LAMPMODE HIGH"), ("Lamp Mode Normal", "CF LAMPMODE NORMAL"),
    ("Lamp Mode Eco", "CF LAMPMODE ECO"),
    ("Menu On", "C1C"), ("Menu Off", "C1D"), ("Menu Enter", "C3F"),
    ("Standard", "C11"), ("Real", "C12"), ("Cinema", "C13"),
    ("Image 1", "C14"), ("Image 2", "C15"), ("Image 3", "C16"),
    ("Image 4", "C17"), ("B.Board", "C18"), ("Dynamic", "C19"),
    ("Display Clear", "C1E"), ("Image (Toggle)", "C27"), ("Image Colorboard", "C39"),
    ("Auto Pc Adj", "C89"), ("P-Timer", "C8A"), ("P-Timer (Exit)", "C8B"),
    ("R/C Key Off NONE", "CF KEYDIS NONE"), ("R/C Key Off R/C", "CF KEYDIS RC"),
    ("R/C Key Off KEY", "CF KEYDIS KEY"),
    ("Status", "CR0"), ("Input Mode", "CR1"), ("Temp", "CR6"), ("Setting", "CR4"),
    ("Lamp Time", "CR3"), ("Lamp Status", "CR LAMPSTS"), ("Lamp Mode", "CR7"),
]

HOLD_BUTTONS = [
    ("Menu up", "C3C"), ("Menu left", "C3B"), ("Menu right", "C3A"), ("Menu down", "C3D"),
    ("Volume up", "C09"), ("Volume down", "C0A"), ("Bright up", "C20"), ("Bright down", "C21"),
    ("D.Zoom up", "C30"), ("D.Zoom down", "C31"), ("Keystone up", "C8E"), ("Keystone down", "C8F"),
]


class Buttons(DesktopCase):

    def setUp(self):
        super().setUp()
        self.proj = self.start_with_port()
        self.panel = self.acc_window(harness.MAIN_TITLE)

    def button(self, name):
        return self.find(self.panel, name)

    def test_every_button_once_by_mouse(self):
        self.key(self.main, "ctrl+h")
        status = self.button("Status")
        self.wait_until(lambda: self.showing(status), "the read-out buttons show")
        self.assertEqual(len(CLICK_BUTTONS) + len(HOLD_BUTTONS), 65)
        for name, command in CLICK_BUTTONS:
            self.click_sends(self.button(name), self.proj, command)
        for name, command in HOLD_BUTTONS:
            before = len(self.proj.commands())
            self.click(self.button(name))
            self.wait_until(lambda: len(self.proj.commands()) > before, f"{name!r} sends {command!r}")
            self.quiet(0.3)
            sent = self.proj.commands()[before:]
            self.assertEqual(set(sent), {command}, f"frames sent by a click on {name!r}")

    def test_focus_starts_on_power_on(self):
        self.key(self.main, "space")
        self.wait_frames(self.proj, ["C00"], "Space at start sends C00 from the focused Power On")

    def test_return_on_a_click_button_does_what_space_does(self):
        self.focus(self.button("Audio Mute On"))
        self.key(self.main, "space")
        self.wait_frames(self.proj, ["C0B"])
        self.key(self.main, "Return")
        self.wait_frames(self.proj, ["C0B", "C0B"], "Return on a focused button sends its command")
        # The hold buttons answer the mouse only.
        self.focus(self.button("Volume up"))
        self.key(self.main, "space", "Return", "KP_Enter")
        self.focus(self.button("Audio Mute Off"))
        self.key(self.main, "space")
        self.wait_until(lambda: "C0C" in self.proj.commands(), "Audio Mute Off sends C0C")
        self.assertEqual(self.proj.commands(), ["C0B", "C0B", "C0C"], "the keyboard sends nothing from a hold button")

    def test_held_space_sends_once(self):
        self.focus(self.button("Audio Mute On"))
        self.activate(self.main)
        xdo("keydown", "space")
        time.sleep(1.5)  # well past the keyboard's auto-repeat delay
        xdo("keyup", "space")
        self.focus(self.button("Audio Mute Off"))
        self.key(self.main, "space")
        self.wait_until(lambda: "C0C" in self.proj.commands(), "Audio Mute Off sends C0C")
        self.assertEqual(self.proj.commands(), ["C0B", "C0C"], "a held Space clicks once")


if __name__ == "__main__":
    harness.main()
